#pragma once
// Shuts down, restarts or logs off after a countdown the user can cancel.
// The request goes to the login manager; the store is saved by the end of
// the session that follows.

#include "platform/Power.h"
#include "scheduler/CountdownFrm.h"

class TShutdownForm : public TCountdownActionForm {
    Q_OBJECT
public:
    explicit TShutdownForm(TActionContext &context, QWidget *owner = nullptr);

    // The old session-end flags.
    static constexpr int EWX_LOGOFF = 0;
    static constexpr int EWX_SHUTDOWN = 1;
    static constexpr int EWX_REBOOT = 2;
    static constexpr int EWX_FORCE = 4;
    static constexpr int EWX_POWEROFF = 8;
    // The flags of a shutdown type; -1 for an unknown type.
    static int FlagsFor(int shutdownType);
    // Asks the login manager for what the flags say; a box when it cannot.
    void ExitWindowsWithPrivilege(int flags);

    int StartValue() const override;
    QString CountdownText() const override;
    void CancelTimerTimer() override;
};
