#include "scheduler/ShutdownFrm.h"

#include "core/Clock.h"
#include "core/MessageTypes.h"
#include "core/vornLogFile.h"
#include "platform/Desktop.h"
#include "platform/MessageBoxes.h"

#include <QTimer>

TShutdownForm::TShutdownForm(TActionContext &context, QWidget *owner)
    : TCountdownActionForm(context, QStringLiteral("Shutdown"), QStringLiteral("TL_9"), owner)
{
    setObjectName(QStringLiteral("ShutdownForm"));
    lblTitle->setWordWrap(true);
    lblTitle->setGeometry(20, 40, 291, 29);
    imgActionTypeLogo->move(20, 70);
    lblSecsRemaining->move(60, 80);
}

int TShutdownForm::StartValue() const
{
    return StartAtOnce ? 3 : Context.Prefs().ShutdownWaittime();
}

QString TShutdownForm::CountdownText() const
{
    const QString secs = QStringLiteral(" %1 second(s)").arg(Countdown);
    switch (FTaskData ? FTaskData->ShutdownType : -1) {
    case skShutdown: return QStringLiteral("Shutdown in") + secs;
    case skRestart: return QStringLiteral("Restart in") + secs;
    case skLogOff: return QStringLiteral("Log off ") + Desktop::UserName() + QStringLiteral(" in") + secs;
    }
    return QString();
}

std::optional<IPower::TAction> TShutdownForm::PowerActionFor(int shutdownType)
{
    switch (shutdownType) {
    case skShutdown: return IPower::TAction::PowerOff;
    case skRestart: return IPower::TAction::Reboot;
    case skLogOff: return IPower::TAction::LogOff;
    }
    return std::nullopt;
}

void TShutdownForm::CancelTimerTimer()
{
    if (!FTaskData || Pausing())
        return;
    TTaskData &task = *FTaskData;
    --Countdown;
    lblSecsRemaining->setText(CountdownText());
    lblSecsRemaining->adjustSize();
    if (Countdown != 0)
        return;
    CancelTimer->stop();
    task.LastRun = Clock::Now();
    task.HasRun = task.HasRun + 1;
    if (!task.NewScheduleCalculated)
        TRecurrence::RescheduleAfterRun(task);
    Context.MarkListModified();
    LogInfo(QStringLiteral("About to execute: EWX_FORCE or EWX_SHUTDOWN or EWX_POWEROFF"));
    if (const std::optional<IPower::TAction> action = PowerActionFor(task.ShutdownType))
        RequestPowerAction(*action);
    MayClose = true;
    close();
}

void TShutdownForm::RequestPowerAction(IPower::TAction action)
{
    // The box is named for what failed and carries the login manager's own
    // reason; it does not wait for an answer, so the countdowns go on.
    const QString title = action == IPower::TAction::PowerOff ? tr("Could not power off")
                          : action == IPower::TAction::Reboot ? tr("Could not restart")
                                                              : tr("Could not log off");
    QString why;
    if (!Context.Power || !Context.Power->CanRequest(&why)) {
        if (!Context.Power)
            why = QStringLiteral("no login manager");
        LogError(QStringLiteral("Session end not possible: ") + why);
        if (Context.Boxes)
            Context.Boxes->Notice(tr("The login manager could not be asked:\r%1").arg(why), TMsgIcon::Error, title,
                                  nullptr);
        return;
    }
    if (!Context.Power->Request(action, &why)) {
        LogError(QStringLiteral("Session end refused: ") + why);
        if (Context.Boxes)
            Context.Boxes->Notice(tr("The login manager refused:\r%1").arg(why), TMsgIcon::Error, title, nullptr);
    }
}
