#include "scheduler/RunProgramActionFrm.h"

#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/vornLogFile.h"
#include "platform/Shell.h"

#include <QTimer>

TRunProgramActionForm::TRunProgramActionForm(TActionContext &context, QWidget *owner)
    : TCountdownActionForm(context, QStringLiteral("Run a program"), QStringLiteral("TL_7"), owner)
    , lblRunprogram(new QLabel(QStringLiteral("Run program:"), this))
{
    setObjectName(QStringLiteral("RunProgramActionForm"));
    lblRunprogram->setObjectName(QStringLiteral("lblRunprogram"));
    lblTitle->move(20, 32);
    lblRunprogram->move(22, 50);
    lblRunprogram->adjustSize();
    imgActionTypeLogo->move(24, 74);
    lblSecsRemaining->move(64, 80);
}

int TRunProgramActionForm::StartValue() const
{
    return StartAtOnce ? 1 : Context.Prefs().RunprogramWaittime();
}

QString TRunProgramActionForm::ErrorText(int shellResult)
{
    switch (shellResult) {
    case 2: return QStringLiteral("File not found!");
    case 3: return QStringLiteral("Path not found!");
    case 11: return QStringLiteral("Bad format!");
    case 27: return QStringLiteral("File association incomplete!");
    case 31: return QStringLiteral("No association found!");
    }
    return QString();
}

void TRunProgramActionForm::CancelTimerTimer()
{
    if (!FTaskData || Pausing())
        return;
    TTaskData &task = *FTaskData;
    --Countdown;
    lblRunprogram->setText(QStringLiteral("Run: ") + FileNamePart(task.ProgramPathname.Get()) + QLatin1Char(' ')
                           + task.ProgramParameters.Get());
    lblRunprogram->adjustSize();
    lblSecsRemaining->setText(CountdownText());
    lblSecsRemaining->adjustSize();
    if (Countdown != 0)
        return;
    CancelTimer->stop();
    const int result = Context.Shell
                           ? Context.Shell->Open(task.ProgramPathname.Get(), task.ProgramParameters.Get(), QString())
                           : Shell::kFileNotFound;
    if (result >= 32) {
        task.LastRun = Clock::Now();
        task.HasRun = task.HasRun + 1;
        FinishRun();
        return;
    }
    LogWarning(QStringLiteral("Run program: ") + task.ProgramPathname.Get() + QStringLiteral(" could not be opened (")
               + QString::number(result) + QLatin1Char(')'));
    const QString error = ErrorText(result);
    ShowThenPause(error.isEmpty() ? lblSecsRemaining->text() : error, [this] { CancelAction(); });
}

void TRunProgramActionForm::FinishRun()
{
    RescheduleAndClose();
}
