#pragma once
// Sends a fired reminder's e-mail after a countdown the user can cancel: the
// title as subject, the notes and the signature as body, to the reminder's
// recipients. The SMTP exchange runs on a thread of its own so that a slow
// server does not stop the program; the window waits for its result.

#include "platform/Network.h"
#include "scheduler/CountdownFrm.h"

#include <QDateTime>
#include <atomic>
#include <memory>

class QThread;
class TPreferences;

// A message ready for the transport, or the reason there is none.
struct TMailJob {
    bool Ok = false;
    TMailServer Server;
    TMailMessage Message;
    QString Error;
};

namespace MailText {

// "Tue, 17 Feb 2009 10:00:00 +0100": English names, the given offset from UTC.
QString Rfc822Date(TDateTime local, int utcOffsetSeconds);
// The local zone's offset from UTC at a local date-time.
int LocalUtcOffset(TDateTime local);
// The text inside the angle brackets, or the whole text trimmed.
QString AddressPart(const QString &text);
// Split at commas outside double quotes; each trimmed to its address, empty ones left out.
QStringList SplitRecipients(const QString &list);
// "host:port" with blanks trimmed; port 25 when none is given (false: no usable server).
bool ParseServer(const QString &text, QString *host, int *port);
// A header text as it goes into the message: ASCII as it is, any other as
// RFC 2047 encoded words of UTF-8, each of whole characters and at most 75
// characters long, folded onto lines of their own of at most 76 characters;
// firstLineUsed: what the header's name already takes of the first line.
QByteArray EncodeHeaderText(const QString &text, int firstLineUsed = 0);
// "Name<address>": only a non-ASCII name is encoded; the address stays readable.
QByteArray EncodeFromHeader(const QString &from);
// Quoted-printable body with CR LF line ends, lines of at most 76 characters;
// a soft break never falls inside a UTF-8 character.
QByteArray QuotedPrintable(const QByteArray &text);
// The whole message: headers, an empty line, the body lines; CR LF line ends.
// All ASCII: plain headers, no MIME. Anything else: a UTF-8 MIME text body.
QByteArray Compose(const QString &from, const QString &to, const QString &subject, const QStringList &bodyLines,
                   TDateTime now, int utcOffsetSeconds);
// The reminder's message parts as its window sends them.
QStringList BodyLines(const TTaskData &task, const QString &signature);
QString FromText(const TPreferences &prefs);
QString RecipientList(const TTaskData &task);
QStringList TestBodyLines(const QString &fromAddress, const QString &server, const QString &user,
                          const QString &password, bool authRequired, const QString &signature);

} // namespace MailText

class TSendemailActionForm : public TCountdownActionForm {
    Q_OBJECT
public:
    explicit TSendemailActionForm(TActionContext &context, QWidget *owner = nullptr);
    // Ends a running exchange and waits for its thread (about a second at most).
    ~TSendemailActionForm() override;

    QLabel *lblSendto;

    // Everything the transport needs, composed now (the clock is read here).
    static TMailJob PrepareMail(const QString &from, const QString &to, const QString &subject, const QString &server,
                                const QStringList &bodyLines, const QString &user, const QString &password);
    // Composes and sends in the calling thread; false on any failure.
    static bool SendMailMessage(IMailTransport *mail, const QString &from, const QString &to, const QString &subject,
                                const QString &server, const QStringList &bodyLines, const QString &user,
                                const QString &password, QString *errorText = nullptr);
    // The settings test: a message from the address to itself. Blocks the
    // calling thread while the server answers.
    static bool SendTestEmail(IMailTransport *mail, const QString &signature, const QString &fromAddress,
                              const QString &server, const QString &user, const QString &password, bool authRequired,
                              QString *errorText = nullptr);

    bool Sending() const;

signals:
    // The exchange ended; the window then shows the result.
    void SendFinished(bool ok);

public:
    int StartValue() const override;
    void CancelTimerTimer() override;

private:
    void StartSending(const TMailJob &job);
    void SendDone(bool ok, const QString &error);
    void Finish();

    QThread *FWorker = nullptr;
    std::shared_ptr<std::atomic<bool>> FAbort;
    bool FResultOk = false;
    QString FResultError;
};
