#include "scheduler/ActionFrm.h"

#include "app/Globals.h"
#include "app/MessageBox.h"
#include "app/PalvaroApplication.h"
#include "platform/Clock.h"
#include "platform/SoundPlayer.h"
#include "scheduler/TaskScheduler.h"
#include "storage/GlobalPreferences.h"

#include <QCloseEvent>
#include <QLabel>

QString ActionScheduleText(const TTaskData &task)
{
    const QString suffix = Preferences ? Preferences->TimeFormatSuffix() : QString();
    return FormatDateTime(QStringLiteral("  ddd, d mmm yyyy, hh:mm") + suffix, task.Scheduled) + QStringLiteral(", ")
           + TTaskList::RepeatRuleText(task);
}

TActionForm::TActionForm(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , labSchedule(new QLabel(this))
    , lblTitle(new QLabel(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);
    resize(192, 84);
    labSchedule->setObjectName(QStringLiteral("labSchedule"));
    labSchedule->move(24, 0);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->move(24, 16);
}

TActionForm::~TActionForm() = default;

void TActionForm::Bind(int i)
{
    FTaskData = TaskList ? TaskList->SharedTask(i) : nullptr;
}

void TActionForm::StartAction(int i)
{
    Bind(i);
    if (!FTaskData)
        return;
    labSchedule->setText(ActionScheduleText(*FTaskData));
    labSchedule->adjustSize();
    lblTitle->setText(FTaskData->Title.Get());
    lblTitle->adjustSize();
    setWindowTitle(FTaskData->Title.Get());
    show();
}

void TActionForm::SetTaskData(int i)
{
    Bind(i);
}

int TActionForm::RecordIndex()
{
    if (!FTaskData) {
        ShowMessage(QStringLiteral("FTaskData unassigned"));
        return -1;
    }
    return TaskList ? TaskList->IndexOfTask(FTaskData.get()) : -1;
}

void TActionForm::IncActionCount()
{
    if (FTaskData)
        ++FTaskData->ActionCount;
}

void TActionForm::DecActionCount()
{
    if (FTaskData)
        --FTaskData->ActionCount;
}

bool TActionForm::HasOpenActions() const
{
    return FTaskData && FTaskData->ActionCount > 0;
}

void TActionForm::closeEvent(QCloseEvent *event)
{
    if (!MayClose) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

void TActionForm::FormClose()
{
    BaseCloseSteps();
}

void TActionForm::BaseCloseSteps()
{
    Sound::Stop();
    if (TaskList)
        TaskList->MarkModified();
    if (TaskListOpen && !TaskFormOpen)
        RefreshTaskList();
}

TPlaysoundForm::TPlaysoundForm(QWidget *owner)
    : TActionForm(owner)
{
    setWindowTitle(QStringLiteral("PlaysoundForm"));
}

bool TPlaysoundForm::IsSoundOnly() const
{
    const TTaskData *t = FTaskData.get();
    return t && !t->PopupNote && !t->SendEmail && !t->RunProgram && !t->ShutdownComputer && !t->SpecialForm;
}

QString TPlaysoundForm::SoundPath(const TTaskData &task)
{
    const QString folder = App() ? App()->GetProgramFolder(QStringLiteral("SOUNDS")) : QString();
    return folder + task.SoundFile.Get();
}

void TPlaysoundForm::StartSound(int i)
{
    Bind(i);
    if (!FTaskData)
        return;
    IncActionCount();
    if (IsSoundOnly()) {
        TTaskScheduler::RescheduleAfterRun(*FTaskData);
        FTaskData->LastRun = Clock::Now();
    }
    Sound::PlayFile(SoundPath(*FTaskData));
    MayClose = true;
    close();
}

void TPlaysoundForm::FormClose()
{
    // The sound keeps playing after this window is gone.
    if (TaskList)
        TaskList->MarkModified();
    if (TaskListOpen && !TaskFormOpen)
        RefreshTaskList();
    DecActionCount();
    if (IsSoundOnly() && FTaskData)
        FTaskData->InService = HasOpenActions();
}
