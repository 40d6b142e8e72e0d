#include "scheduler/MailMessage.h"

#include "core/Clock.h"
#include "core/LineBreaks.h"
#include "storage/GlobalPreferences.h"

#include <QDateTime>

// --- message text ---

namespace MailText {

QString Rfc822Date(TDateTime local, int utcOffsetSeconds)
{
    static const char *const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(local, y, mo, d, h, mi, s, ms);
    const int minutes = std::abs(utcOffsetSeconds) / 60;
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 %8%9%10")
        .arg(QLatin1String(kDays[DayOfTheWeek(local) - 1]))
        .arg(d)
        .arg(QLatin1String(kMonths[mo - 1]))
        .arg(y, 4, 10, QLatin1Char('0'))
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(mi, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'))
        .arg(utcOffsetSeconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

int LocalUtcOffset(TDateTime local)
{
    return DateTimeToQDateTime(local).offsetFromUtc();
}

QString AddressPart(const QString &text)
{
    const qsizetype open = text.indexOf(QLatin1Char('<'));
    if (open >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char('>'), open + 1);
        return text.mid(open + 1, close < 0 ? -1 : close - open - 1).trimmed();
    }
    return text.trimmed();
}

QStringList SplitRecipients(const QString &list)
{
    QStringList out;
    QString current;
    bool quoted = false;
    auto take = [&] {
        const QString address = AddressPart(current);
        if (!address.isEmpty())
            out << address;
        current.clear();
    };
    for (const QChar c : list) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(',') && !quoted)
            take();
        else
            current += c;
    }
    take();
    return out;
}

bool ParseServer(const QString &text, QString *host, int *port)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    *host = (colon < 0 ? text : text.left(colon)).trimmed();
    const QString portText = colon < 0 ? QString() : text.mid(colon + 1).trimmed();
    *port = 25;
    if (!portText.isEmpty()) {
        bool ok = false;
        const int p = portText.toInt(&ok);
        if (!ok || p <= 0 || p > 65535)
            return false;
        *port = p;
    }
    return !host->isEmpty();
}

namespace {

// A header value on one line: a line break in a title must not start a header of its own.
QString HeaderValue(const QString &value)
{
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v;
}

// Line breaks inside a body line become CR LF, the only line end mail knows.
QString BodyLine(const QString &line)
{
    QString v = ToLineFeeds(line);
    v.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return v;
}

bool IsAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7f)
            return false;
    return true;
}

// One character as UTF-8 starting at i (a surrogate pair counts as one); i moves past it.
QByteArray NextCharacter(const QString &text, qsizetype &i)
{
    qsizetype n = 1;
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        n = 2;
    const QByteArray bytes = text.mid(i, n).toUtf8();
    i += n;
    return bytes;
}

} // namespace

QByteArray EncodeHeaderText(const QString &text, int firstLineUsed)
{
    if (IsAscii(text))
        return text.toLatin1();
    // A line with encoded words holds at most 76 characters, a word at most
    // 75: "=?UTF-8?B?" and "?=" leave the rest for base64, 3 bytes per 4.
    static constexpr int kLine = 76;
    static constexpr int kWord = 75;
    static constexpr int kFrame = 12;
    auto wordBytes = [](int room) { return (std::min(room, kWord) - kFrame) / 4 * 3; };
    qsizetype budget = std::max(wordBytes(kLine - firstLineUsed), 4);
    QList<QByteArray> words;
    QByteArray chunk;
    auto flush = [&] {
        if (!chunk.isEmpty())
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
        budget = wordBytes(kLine - 1); // later lines start with one blank
    };
    for (qsizetype i = 0; i < text.size();) {
        const QByteArray c = NextCharacter(text, i);
        if (!chunk.isEmpty() && chunk.size() + c.size() > budget)
            flush();
        chunk += c;
    }
    flush();
    // Folded: the white space between encoded words is not part of the text.
    return words.join("\r\n ");
}

QByteArray EncodeFromHeader(const QString &from)
{
    const qsizetype open = from.indexOf(QLatin1Char('<'));
    if (open < 0 || IsAscii(from.left(open)))
        return EncodeHeaderText(from);
    const QByteArray name = EncodeHeaderText(from.left(open).trimmed(), int(sizeof("From: ") - 1));
    const QByteArray address = from.mid(open).toUtf8();
    const qsizetype lastLine = name.size() - (name.lastIndexOf('\n') + 1);
    // The address goes on a line of its own when the name's last line has no room.
    return name + (lastLine + 1 + address.size() > 76 ? "\r\n " : " ") + address;
}

QByteArray QuotedPrintable(const QByteArray &text)
{
    constexpr int kLineLimit = 76; // including the "=" of a soft break
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype l = 0; l < lines.size(); ++l) {
        QByteArray line = lines[l];
        if (line.endsWith('\r'))
            line.chop(1);
        int column = 0;
        for (qsizetype i = 0; i < line.size();) {
            // A UTF-8 sequence stays on one line: its lead byte tells its length.
            const auto lead = uchar(line[i]);
            qsizetype n = 1;
            if (lead >= 0xf0)
                n = 4;
            else if (lead >= 0xe0)
                n = 3;
            else if (lead >= 0xc0)
                n = 2;
            n = std::min(n, line.size() - i);
            QByteArray piece;
            for (qsizetype k = i; k < i + n; ++k) {
                const auto b = uchar(line[k]);
                const bool last = k + 1 == line.size();
                const bool plain = (b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !last);
                if (plain) {
                    piece += char(b);
                } else {
                    piece += '=';
                    piece += kHex[b >> 4];
                    piece += kHex[b & 15];
                }
            }
            const bool lastPiece = i + n == line.size();
            if (column + piece.size() > (lastPiece ? kLineLimit : kLineLimit - 1)) {
                out += "=\r\n";
                column = 0;
            }
            out += piece;
            column += int(piece.size());
            i += n;
        }
        if (l + 1 < lines.size())
            out += "\r\n";
    }
    return out;
}

QByteArray Compose(const QString &from, const QString &to, const QString &subject, const QStringList &bodyLines,
                   TDateTime now, int utcOffsetSeconds)
{
    QStringList body;
    for (const QString &l : bodyLines)
        body << BodyLine(l);
    const QString bodyText = body.join(QLatin1String("\r\n"));
    const bool ascii = IsAscii(from) && IsAscii(to) && IsAscii(subject) && IsAscii(bodyText);
    QList<QByteArray> lines;
    lines << "From: " + EncodeFromHeader(HeaderValue(from)) << "To: " + HeaderValue(to).toUtf8()
          << "Date: " + Rfc822Date(now, utcOffsetSeconds).toLatin1()
          << "Subject: " + EncodeHeaderText(HeaderValue(subject), int(sizeof("Subject: ") - 1))
          << "X-mailer: Palvaro - automatic ToDo reminders windows utility";
    if (ascii) {
        lines << QByteArray() << bodyText.toLatin1();
        return lines.join("\r\n");
    }
    // Whether the server takes 8-bit bodies is known only inside the SMTP
    // exchange, after the message is made; quoted-printable passes everywhere.
    lines << "MIME-Version: 1.0"
          << "Content-Type: text/plain; charset=UTF-8"
          << "Content-Transfer-Encoding: quoted-printable" << QByteArray() << QuotedPrintable(bodyText.toUtf8());
    return lines.join("\r\n");
}

QStringList BodyLines(const TTaskData &task, const QString &signature)
{
    return {task.Notes1.Get() + task.Notes2.Get(), QString(), signature};
}

QString FromText(const TPreferences &prefs)
{
    if (prefs.FromName().isEmpty())
        return prefs.Fromaddress();
    return prefs.FromName() + QLatin1Char('<') + prefs.Fromaddress() + QLatin1Char('>');
}

QString RecipientList(const TTaskData &task)
{
    QString list = task.EmailTo.Get() + QLatin1Char(',') + task.EmailCc.Get() + QLatin1Char(',') + task.EmailBcc.Get();
    list.replace(QLatin1Char(';'), QLatin1Char(','));
    return list;
}

QStringList TestBodyLines(const QString &fromAddress, const QString &server, const QString &user,
                          const QString &password, bool authRequired, const QString &signature)
{
    QStringList lines;
    lines << QStringLiteral("SMTP Server:Port ->") + server << QStringLiteral("From Address ->") + fromAddress;
    if (authRequired) {
        lines << QStringLiteral("SMTP Server authentication selected.") << QStringLiteral(" Username -> ") + user
              << QStringLiteral(" Password -> ") + QString(password.size(), QLatin1Char('*')) + QStringLiteral(" (")
                     + QString::number(password.size()) + QStringLiteral(" characters)");
    }
    lines << QString() << signature;
    return lines;
}

// --- sending ---

TMailJob PrepareMail(const QString &from, const QString &to, const QString &subject, const QString &server,
                     const QStringList &bodyLines, const QString &user, const QString &password)
{
    TMailJob job;
    if (!MailText::ParseServer(server, &job.Server.Host, &job.Server.Port)) {
        job.Error = QStringLiteral("no usable mail server in \"") + server + QLatin1Char('"');
        return job;
    }
    job.Server.User = user;
    job.Server.Password = password;
    job.Message.EnvelopeSender = MailText::AddressPart(from);
    job.Message.Recipients = MailText::SplitRecipients(to);
    if (job.Message.Recipients.isEmpty()) {
        job.Error = QStringLiteral("no recipient");
        return job;
    }
    const TDateTime now = Clock::Now();
    job.Message.Data = MailText::Compose(from, to, subject, bodyLines, now, MailText::LocalUtcOffset(now));
    job.Ok = true;
    return job;
}

bool SendMailMessage(IMailTransport *mail, const QString &from, const QString &to, const QString &subject,
                     const QString &server, const QStringList &bodyLines, const QString &user, const QString &password,
                     QString *errorText)
{
    const TMailJob job = PrepareMail(from, to, subject, server, bodyLines, user, password);
    if (!job.Ok || !mail) {
        if (errorText)
            *errorText = job.Ok ? QStringLiteral("no mail transport") : job.Error;
        return false;
    }
    return mail->Send(job.Server, job.Message, errorText);
}

bool SendTestEmail(IMailTransport *mail, const QString &signature, const QString &fromAddress, const QString &server,
                   const QString &user, const QString &password, bool authRequired, QString *errorText)
{
    const QStringList body = MailText::TestBodyLines(fromAddress, server, user, password, authRequired, signature);
    return SendMailMessage(mail, fromAddress, fromAddress, QStringLiteral("Test e-mail settings"), server, body,
                           authRequired ? user : QString(), authRequired ? password : QString(), errorText);
}

} // namespace MailText
