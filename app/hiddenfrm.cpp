#include "app/hiddenfrm.h"

#include "app/PalvaroApplication.h"
#include "core/EndRequest.h"
#include "core/vornLogFile.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "scheduler/TaskScheduler.h"

Thddnorm::Thddnorm(TActionContext &actions, TPalvaroApplication *app, TSingleInstance *instance,
                   ISessionEndSource *sessionEnd, QWidget *parent)
    : QWidget(parent)
    , FActions(actions)
    , FApp(app)
{
    setObjectName(QStringLiteral("hddnorm"));
    setWindowTitle(QStringLiteral("Thddnorm"));
    if (instance) {
        connect(instance, &TSingleInstance::ShowRequested, this, &Thddnorm::ShowRequested);
        instance->Listen();
    }
    if (sessionEnd)
        connect(sessionEnd, &ISessionEndSource::QueryEndSession, this, &Thddnorm::QueryEndSession);
    // Last, once the window is wired: overdue reminders may fire right here.
    FTaskScheduler = new TTaskScheduler(FActions);
    FTaskScheduler->Start();
}

Thddnorm::~Thddnorm()
{
    if (FTaskScheduler) {
        FTaskScheduler->Stop();
        delete FTaskScheduler;
        FTaskScheduler = nullptr;
    }
}

void Thddnorm::ShowRequested(int status)
{
    LogInfo(QStringLiteral("Show request from another copy, status %1").arg(status));
}

void Thddnorm::QueryEndSession()
{
    RequestProgramEnd();
    FActions.MarkListModified();
    if (FApp)
        FApp->TerminateApplication(QStringLiteral("WMQueryEndSession"));
}
