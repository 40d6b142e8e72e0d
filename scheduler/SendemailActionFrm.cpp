#include "scheduler/SendemailActionFrm.h"

#include "core/Clock.h"
#include "core/vornLogFile.h"
#include "storage/GlobalPreferences.h"

#include <QPushButton>
#include <QThread>
#include <QTimer>

// --- the window ---

TSendemailActionForm::TSendemailActionForm(TActionContext &context, QWidget *owner)
    : TCountdownActionForm(context, QStringLiteral("Send an e-mail"), QStringLiteral("TL_5"), owner)
    , lblSendto(new QLabel(QStringLiteral("Send mail to:"), this))
{
    setObjectName(QStringLiteral("SendemailActionForm"));
    lblSendto->setObjectName(QStringLiteral("lblSendto"));
    lblTitle->move(20, 32);
    lblSendto->move(22, 50);
    lblSendto->adjustSize();
    imgActionTypeLogo->move(24, 74);
    lblSecsRemaining->move(64, 80);
}

TSendemailActionForm::~TSendemailActionForm()
{
    if (FWorker) {
        FAbort->store(true);
        FWorker->wait();
        delete FWorker;
    }
}

bool TSendemailActionForm::Sending() const
{
    return FWorker != nullptr;
}

int TSendemailActionForm::StartValue() const
{
    return StartAtOnce ? 1 : Context.Prefs().EmailActionWaittime();
}

void TSendemailActionForm::CancelTimerTimer()
{
    if (!FTaskData || Pausing() || Sending())
        return;
    const TTaskData &task = *FTaskData;
    --Countdown;
    lblTitle->setText(task.Title.Get());
    lblTitle->adjustSize();
    lblSendto->setText(QStringLiteral("To: ") + task.EmailTo.Get() + QLatin1Char(';') + task.EmailCc.Get()
                       + QLatin1Char(';') + task.EmailBcc.Get());
    lblSendto->adjustSize();
    lblSecsRemaining->setText(CountdownText());
    lblSecsRemaining->adjustSize();
    if (Countdown != 0)
        return;
    CancelTimer->stop();
    const TPreferences &prefs = Context.Prefs();
    const QStringList body = MailText::BodyLines(task, prefs.EmailSignature());
    btnCancel->setEnabled(false);
    lblSecsRemaining->setText(QStringLiteral("Sending e-mail..."));
    lblSecsRemaining->adjustSize();
    lblSecsRemaining->repaint();
    const bool auth = prefs.SMTPRequiresAuthentication();
    const TMailJob job = MailText::PrepareMail(MailText::FromText(prefs), MailText::RecipientList(task),
                                               task.Title.Get(), prefs.Host() + QLatin1Char(':') + prefs.Port(), body,
                                               auth ? prefs.UserID() : QString(), auth ? prefs.Password() : QString());
    if (!job.Ok || !Context.Mail) {
        SendDone(false, job.Ok ? QStringLiteral("no mail transport") : job.Error);
        return;
    }
    StartSending(job);
}

void TSendemailActionForm::StartSending(const TMailJob &job)
{
    FAbort = std::make_shared<std::atomic<bool>>(false);
    TMailServer server = job.Server;
    server.Abort = FAbort.get();
    IMailTransport *mail = Context.Mail;
    // The thread writes only these two members and ends before the window
    // reads them (finished is delivered here after the thread's last step).
    FWorker = QThread::create([this, mail, server, message = job.Message] {
        QString error;
        const bool ok = mail->Send(server, message, &error);
        FResultOk = ok;
        FResultError = error;
    });
    connect(FWorker, &QThread::finished, this, [this] {
        FWorker->wait();
        delete FWorker;
        FWorker = nullptr;
        SendDone(FResultOk, FResultError);
    });
    FWorker->start();
}

void TSendemailActionForm::SendDone(bool ok, const QString &error)
{
    if (ok && FTaskData) {
        FTaskData->LastRun = Clock::Now();
        FTaskData->HasRun = FTaskData->HasRun + 1;
    } else if (!ok) {
        LogWarning(QStringLiteral("E-mail not sent: ") + error);
    }
    emit SendFinished(ok);
    ShowThenPause(ok ? QStringLiteral("E-mail successfully sent") : QStringLiteral("E-mail not sent"),
                  [this] { Finish(); });
}

void TSendemailActionForm::Finish()
{
    RescheduleAndClose();
}
