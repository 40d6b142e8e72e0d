#pragma once
// The power actions and the sleep notices through systemd-logind on the
// system bus. Without a system bus or a login manager every request fails
// with its reason and no sleep notice ever comes; the program runs on.

#include "platform/Power.h"

#include <QObject>

class TLoginManagerPower : public IPower {
    Q_OBJECT
public:
    explicit TLoginManagerPower(QObject *parent = nullptr);
    bool CanRequest(QString *errorText) override;
    bool Request(TAction action, QString *errorText) override;

private slots:
    void PrepareForSleep(bool sleeping);

private:
    bool FListening = false;
};
