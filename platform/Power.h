#pragma once
// Ending the session or the machine, and hearing that the machine sleeps and
// wakes, through the system's login manager.

#include <QObject>
#include <QString>

class IPower : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    enum class TAction { PowerOff, Reboot, LogOff };
    virtual ~IPower() = default;
    // Whether the login manager can be asked at all (errorText says why not).
    virtual bool CanRequest(QString *errorText) = 0;
    // Asks for the action, forced (open programs do not get to object);
    // false with the reason when the request could not be made.
    virtual bool Request(TAction action, QString *errorText) = 0;

signals:
    // true before the machine sleeps, false after it woke.
    void SleepChanged(bool sleeping);
};
