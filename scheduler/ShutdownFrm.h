#pragma once
// Shuts down, restarts or logs off after a countdown the user can cancel.
// The request goes to the login manager; the store is saved by the end of
// the session that follows.

#include "platform/Power.h"
#include "scheduler/CountdownFrm.h"

#include <optional>

class TShutdownForm : public TCountdownActionForm {
    Q_OBJECT
public:
    explicit TShutdownForm(TActionContext &context, QWidget *owner = nullptr);

    // The power action of a shutdown type; none for an unknown type.
    static std::optional<IPower::TAction> PowerActionFor(int shutdownType);
    // Asks the login manager for the action; a box when it cannot.
    void RequestPowerAction(IPower::TAction action);

    int StartValue() const override;
    QString CountdownText() const override;
    void CancelTimerTimer() override;
};
