#pragma once
// The reminder's e-mail as text: the message the transport sends (headers,
// RFC 2047 words, quoted-printable body, the recipients' addresses) and the
// settings test's message.

#include "core/DateTime.h"
#include "model/TaskData.h"
#include "platform/Network.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

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

// --- sending ---
// Everything the transport needs, composed now (the clock is read here).
TMailJob PrepareMail(const QString &from, const QString &to, const QString &subject, const QString &server,
                     const QStringList &bodyLines, const QString &user, const QString &password);
// Composes and sends in the calling thread; false on any failure.
bool SendMailMessage(IMailTransport *mail, const QString &from, const QString &to, const QString &subject,
                     const QString &server, const QStringList &bodyLines, const QString &user, const QString &password,
                     QString *errorText = nullptr);
// The settings test: a message from the address to itself. Blocks the
// calling thread while the server answers.
bool SendTestEmail(IMailTransport *mail, const QString &signature, const QString &fromAddress, const QString &server,
                   const QString &user, const QString &password, bool authRequired, QString *errorText = nullptr);

} // namespace MailText
