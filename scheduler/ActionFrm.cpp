#include "scheduler/ActionFrm.h"

#include "core/Clock.h"
#include "core/MessageTypes.h"
#include "model/Recurrence.h"
#include "platform/MessageBoxes.h"
#include "platform/SoundPlayer.h"
#include "storage/GlobalPreferences.h"

#include <QCloseEvent>
#include <QLabel>

QString ActionScheduleText(const TPreferences *prefs, const TTaskData &task)
{
    const QString suffix = prefs ? prefs->TimeFormatSuffix() : QString();
    return FormatDateTime(QStringLiteral("  ddd, d mmm yyyy, hh:mm") + suffix, task.Scheduled) + QStringLiteral(", ")
           + TTaskList::RepeatRuleText(task);
}

TActionForm::TActionForm(TActionContext &context, QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , Context(context)
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
    FTaskData = Context.List ? Context.List->SharedTask(i) : nullptr;
}

void TActionForm::StartAction(int i)
{
    Bind(i);
    if (!FTaskData)
        return;
    labSchedule->setText(ActionScheduleText(Context.Preferences, *FTaskData));
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
        if (Context.Boxes)
            Context.Boxes->Notice(QStringLiteral("FTaskData unassigned"), TMsgIcon::None);
        return -1;
    }
    return Context.List ? Context.List->IndexOfTask(FTaskData.get()) : -1;
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
    if (Context.Sound)
        Context.Sound->Stop();
    Context.MarkListModified();
    Context.Windows.ListChanged();
}

TPlaysoundForm::TPlaysoundForm(TActionContext &context, QWidget *owner)
    : TActionForm(context, owner)
{
    setWindowTitle(QStringLiteral("PlaysoundForm"));
}

bool TPlaysoundForm::IsSoundOnly() const
{
    const TTaskData *t = FTaskData.get();
    return t && !t->PopupNote && !t->SendEmail && !t->RunProgram && !t->ShutdownComputer && !t->SpecialForm;
}

QString TPlaysoundForm::SoundPath(const Desktop::SoundFolders &sounds, const TTaskData &task)
{
    return sounds.Find(task.SoundFile.Get());
}

void TPlaysoundForm::StartSound(int i)
{
    Bind(i);
    if (!FTaskData)
        return;
    IncActionCount();
    if (IsSoundOnly()) {
        TRecurrence::RescheduleAfterRun(*FTaskData);
        FTaskData->LastRun = Clock::Now();
    }
    if (Context.Sound)
        Sound::PlayFileOn(*Context.Sound, SoundPath(Context.Sounds, *FTaskData));
    MayClose = true;
    close();
}

void TPlaysoundForm::FormClose()
{
    // The sound keeps playing after this window is gone.
    Context.MarkListModified();
    Context.Windows.ListChanged();
    DecActionCount();
    if (IsSoundOnly() && FTaskData)
        FTaskData->InService = HasOpenActions();
}

void StartActionWindow(TActionForm &form, int i, bool startAtOnce)
{
    if (startAtOnce)
        form.SetStartAtOnce(true);
    if (auto *sound = qobject_cast<TPlaysoundForm *>(&form))
        sound->StartSound(i);
    else
        form.StartAction(i);
}
