#include "app/hiddenfrm.h"

#include "app/InitApp.h"
#include "app/PalvaroApplication.h"
#include "app/vornLogFile.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "scheduler/TaskScheduler.h"

Thddnorm *hddnorm = nullptr;

Thddnorm::Thddnorm(TSingleInstance *instance, QWidget *parent)
    : QWidget(parent)
    , FSessionEnd(new TSessionEndWatcher(this))
{
    setObjectName(QStringLiteral("hddnorm"));
    setWindowTitle(QStringLiteral("Thddnorm"));
    hddnorm = this;
    if (instance) {
        connect(instance, &TSingleInstance::ShowRequested, this, &Thddnorm::ShowRequested);
        instance->Listen();
    }
    connect(FSessionEnd, &TSessionEndWatcher::QueryEndSession, this, &Thddnorm::QueryEndSession);
    // Last, once the window is wired: overdue reminders may fire right here.
    FTaskScheduler = new TTaskScheduler();
    FTaskScheduler->Start();
}

Thddnorm::~Thddnorm()
{
    if (FTaskScheduler) {
        FTaskScheduler->Stop();
        delete FTaskScheduler;
        FTaskScheduler = nullptr;
    }
    if (hddnorm == this)
        hddnorm = nullptr;
}

void Thddnorm::ShowRequested(int status)
{
    LogInfo(QStringLiteral("Show request from another copy, status %1").arg(status));
}

void Thddnorm::QueryEndSession()
{
    InitApp::MarkListModified();
    if (App())
        App()->TerminateApplication(QStringLiteral("WMQueryEndSession"));
}
