#include "scheduler/SendemailActionFrm.h"
#include "tests/support/ActionWindows.h"

#include <QPushButton>
#include <QTimer>

using TestRecords::At;

TEST(MailText, DateAddressesAndServerText)
{
    EXPECT_EQ(MailText::Rfc822Date(At(2009, 2, 17, 10, 0, 30), 7200), "Tue, 17 Feb 2009 10:00:30 +0200");
    EXPECT_EQ(MailText::Rfc822Date(At(2024, 3, 3, 9, 5, 7), -(3 * 3600 + 1800)), "Sun, 3 Mar 2024 09:05:07 -0330");
    EXPECT_EQ(MailText::Rfc822Date(At(1999, 12, 31, 23, 59, 59), 0), "Fri, 31 Dec 1999 23:59:59 +0000");

    const struct {
        const char *list;
        QStringList addresses;
    } lists[] = {
        {"a@x.org,b@x.org,,c@x.org", {"a@x.org", "b@x.org", "c@x.org"}},
        {",,cc@x.org,", {"cc@x.org"}},
        {"\"Smith, Ann\" <ann@x.org>, Bob<bob@x.org>", {"ann@x.org", "bob@x.org"}},
        {"  spaced@x.org  ", {"spaced@x.org"}},
        {", ,", {}},
    };
    for (const auto &l : lists)
        EXPECT_EQ(MailText::SplitRecipients(l.list), l.addresses) << l.list;

    const struct {
        const char *text;
        bool ok;
        const char *host;
        int port;
    } servers[] = {{" mail.x.org : 587 ", true, "mail.x.org", 587},
                   {"mail.x.org:", true, "mail.x.org", 25},
                   {"mail.x.org", true, "mail.x.org", 25},
                   {":25", false, "", 25},
                   {"mail.x.org:smtp", false, "mail.x.org", 25}};
    for (const auto &s : servers) {
        QString host;
        int port = 0;
        EXPECT_EQ(MailText::ParseServer(s.text, &host, &port), s.ok) << s.text;
        if (s.ok) {
            EXPECT_EQ(host, s.host);
            EXPECT_EQ(port, s.port);
        }
    }
}

TEST(MailText, MessageIsTheHeaderLinesThenTheBodyWithCrLf)
{
    const QByteArray m =
        MailText::Compose("Ann<ann@x.org>", "a@x.org,b@x.org,,c@x.org", "Dentist\r\nBcc: evil@x.org",
                          {"Bring the card\nand the form", "", "-- sig"}, At(2009, 2, 17, 10, 0, 30), 3600);
    EXPECT_EQ(m, "From: Ann<ann@x.org>\r\n"
                 "To: a@x.org,b@x.org,,c@x.org\r\n"
                 "Date: Tue, 17 Feb 2009 10:00:30 +0100\r\n"
                 "Subject: Dentist Bcc: evil@x.org\r\n"
                 "X-mailer: Palvaro - automatic ToDo reminders windows utility\r\n"
                 "\r\n"
                 "Bring the card\r\nand the form\r\n"
                 "\r\n"
                 "-- sig");

    EXPECT_EQ(MailText::TestBodyLines("me@x.org", "mail.x.org:25", "me", "abc", true, "sig"),
              (QStringList{"SMTP Server:Port ->mail.x.org:25", "From Address ->me@x.org",
                           "SMTP Server authentication selected.", " Username -> me", " Password -> *** (3 characters)",
                           "", "sig"}));
    EXPECT_EQ(MailText::TestBodyLines("me@x.org", "mail.x.org:25", "me", "abc", false, "sig"),
              (QStringList{"SMTP Server:Port ->mail.x.org:25", "From Address ->me@x.org", "", "sig"}));
}

namespace {

// Decodes "=?UTF-8?B?...?=" words (folded with CR LF SP) back to the text.
QString DecodeWords(const QByteArray &header, int *longestWord = nullptr)
{
    QByteArray utf8;
    for (const QByteArray &word : header.split('\n')) {
        const QByteArray w = word.trimmed();
        if (longestWord)
            *longestWord = std::max(*longestWord, int(w.size()));
        EXPECT_TRUE(w.startsWith("=?UTF-8?B?") && w.endsWith("?=")) << w.constData();
        const QByteArray bytes = QByteArray::fromBase64(w.mid(10, w.size() - 12));
        // Each word holds whole characters.
        EXPECT_TRUE(QString::fromUtf8(bytes).toUtf8() == bytes
                    && !QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter))
            << w.constData();
        utf8 += bytes;
    }
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(MailText, HeaderTextsOfAnyScriptBecomeWordsOfWholeCharacters)
{
    EXPECT_EQ(MailText::EncodeHeaderText("Dentist at 10: bring the card"), "Dentist at 10: bring the card");
    EXPECT_EQ(MailText::EncodeFromHeader("Ann<ann@x.org>"), "Ann<ann@x.org>");
    EXPECT_EQ(MailText::EncodeHeaderText(QString::fromUtf8("Zadzwoń")), "=?UTF-8?B?WmFkendvxYQ=?=");

    const QString texts[] = {
        QString::fromUtf8("Zadzwoń do mamy — Привет 日本 ✓"),
        QString::fromUtf8("日本語の長い件名は七十五文字を超えるので何語かに分けられます"),
        QString::fromUtf8("🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂🎂"),
        QString::fromUtf8("a🎂bcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghij🎂 Ωμέγα"),
    };
    // Every line that holds encoded words has at most 76 characters, the header's name included.
    auto checkLines = [](const QByteArray &header) {
        for (const QByteArray &line : header.split('\n'))
            EXPECT_LE(line.trimmed().size() + (line.startsWith(' ') ? 1 : 0), 76) << header.constData();
        for (const char c : header)
            EXPECT_TRUE(uchar(c) < 0x80);
    };
    for (const QString &t : texts) {
        const QByteArray h = MailText::EncodeHeaderText(t, 9);
        int longest = 0;
        EXPECT_EQ(DecodeWords(h, &longest), t);
        EXPECT_LE(longest, 75) << h.constData();
        checkLines("Subject: " + h);
    }
    EXPECT_GT(MailText::EncodeHeaderText(texts[1]).count("=?UTF-8?B?"), 1);

    const QByteArray from = MailText::EncodeFromHeader(QString::fromUtf8("Łucja Żak<lucja@x.org>"));
    ASSERT_TRUE(from.endsWith(" <lucja@x.org>")) << from.constData();
    EXPECT_EQ(DecodeWords(from.chopped(14)), QString::fromUtf8("Łucja Żak"));
    // A name that fills its line leaves the address to the next one.
    const QString longName = QString::fromUtf8("Łucja Żak Ωμέγα Привет Ωμ"); // 40 bytes
    const QByteArray folded = MailText::EncodeFromHeader(longName + "<lucja.zak@example.org>");
    checkLines("From: " + folded);
    ASSERT_TRUE(folded.endsWith("\r\n <lucja.zak@example.org>")) << folded.constData();
    EXPECT_EQ(DecodeWords(folded.chopped(25).trimmed()), longName);
}

TEST(MailText, NonAsciiMessageIsUtf8QuotedPrintable)
{
    const QString subject = QString::fromUtf8("Zadzwoń — Привет 日本 🎂");
    const QString line = QString::fromUtf8("Łódź = 100% ✓, Ёлка; ") + QString(80, QChar(0x65e5)) + " end ";
    const QByteArray m = MailText::Compose(QString::fromUtf8("Zoë<zoe@x.org>"), "a@x.org", subject,
                                           {line, "", "-- sig"}, At(2009, 2, 17, 10, 0, 30), 3600);
    const qsizetype split = m.indexOf("\r\n\r\n");
    ASSERT_GT(split, 0);
    const QByteArray head = m.left(split);
    EXPECT_TRUE(head.contains("\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                              "Content-Transfer-Encoding: quoted-printable"))
        << head.constData();
    EXPECT_TRUE(head.startsWith("From: =?UTF-8?B?"));
    for (const QByteArray &l : head.split('\n'))
        EXPECT_LE(l.trimmed().size(), 76) << l.constData();
    for (const char c : m)
        EXPECT_TRUE(uchar(c) < 0x80);

    // Decoding the body gives back the text; no line passes 76 characters.
    QByteArray decoded;
    const QByteArray body = m.mid(split + 4);
    for (const QByteArray &l : body.split('\n')) {
        QByteArray raw = l;
        if (raw.endsWith('\r'))
            raw.chop(1);
        EXPECT_LE(raw.size(), 76);
        const bool soft = raw.endsWith('=');
        if (soft)
            raw.chop(1);
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == '=') {
                decoded += char(raw.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else {
                decoded += raw[i];
            }
        }
        if (!soft)
            decoded += "\r\n";
    }
    decoded.chop(2);
    EXPECT_EQ(QString::fromUtf8(decoded), line + "\r\n\r\n-- sig");
}

namespace {

struct EmailActionTest : ActionWindowFixture {
    void SetUp() override
    {
        ActionWindowFixture::SetUp();
        prefs.SetHost(" smtp.x.org ");
        prefs.SetPort("2525");
        prefs.SetFromaddress("ann@x.org");
        prefs.SetFromName("Ann");
        prefs.SetEmailSignature("-- sent by Brivane");
        prefs.SetUserID("ann");
        prefs.SetPassword("secret");
        context.PauseMs = 50;
    }
    TTaskData &AddMail(const QString &to, const QString &cc, const QString &bcc, bool repeating = false)
    {
        TTaskData t = repeating ? TestRecords::Repeating(srDays, 1, At(2009, 2, 17, 10, 0, 0))
                                : TestRecords::Alarm("Dentist", At(2009, 2, 17, 10, 0, 0));
        t.Title.Set("Dentist");
        t.Notes1.Set("Bring the card");
        t.Notes2.Set(" and the form");
        t.SendEmail = true;
        t.EmailTo.Set(to);
        t.EmailCc.Set(cc);
        t.EmailBcc.Set(bcc);
        t.InService = true;
        return list.AddTask(t);
    }
    // Starts a window for the record at 0, runs its countdown to the end and
    // waits for it to close; returns the result line it showed.
    QString Run(bool atOnce = false)
    {
        QPointer<TCountdownActionForm> form = new TSendemailActionForm(context);
        form->SetStartAtOnce(atOnce);
        form->StartAction(0);
        Tick(form, form->Countdown);
        EXPECT_FALSE(Child<QPushButton>(form, "btnCancel")->isEnabled());
        QString result;
        Settle([&] {
            if (form && Child<QLabel>(form, "lblSecsRemaining")->text() != "Sending e-mail...")
                result = Child<QLabel>(form, "lblSecsRemaining")->text();
            return !result.isEmpty();
        });
        EXPECT_TRUE(Settle([&] { return Closed(form); }));
        return result;
    }
};

} // namespace

TEST_F(EmailActionTest, CountdownThenOneMessageToTheSplitRecipients)
{
    prefs.SetEmailActionWaittime(5);
    TTaskData &task = AddMail("a@x.org;b@x.org", "", "c@x.org");
    QPointer<TCountdownActionForm> form = new TSendemailActionForm(context);
    form->StartAction(0);
    EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), "in 5 second(s)");
    EXPECT_EQ(Tick(form, 4), (QStringList{"in 4 second(s)", "in 3 second(s)", "in 2 second(s)", "in 1 second(s)"}));
    EXPECT_EQ(Child<QLabel>(form, "lblSendto")->text(), "To: a@x.org;b@x.org;;c@x.org");
    EXPECT_TRUE(mail.Messages.isEmpty());
    delete form.data();
    task.ActionCount = 0;

    EXPECT_EQ(Run(), "E-mail successfully sent");
    ASSERT_EQ(mail.Messages.size(), 1);
    const TMailMessage &m = mail.Messages[0];
    EXPECT_EQ(m.EnvelopeSender, "ann@x.org");
    EXPECT_EQ(m.Recipients, (QStringList{"a@x.org", "b@x.org", "c@x.org"}));
    const QString date = MailText::Rfc822Date(now, MailText::LocalUtcOffset(now));
    EXPECT_EQ(m.Data, "From: Ann<ann@x.org>\r\nTo: a@x.org,b@x.org,,c@x.org\r\nDate: " + date.toLatin1()
                          + "\r\nSubject: Dentist\r\n"
                            "X-mailer: Palvaro - automatic ToDo reminders windows utility\r\n\r\n"
                            "Bring the card and the form\r\n\r\n-- sent by Brivane");
    EXPECT_EQ(mail.Servers[0].Host, "smtp.x.org");
    EXPECT_EQ(mail.Servers[0].Port, 2525);
    EXPECT_EQ(mail.Servers[0].ReplyTimeoutSeconds, 60);
    // No login unless the server asks for one, whatever is stored.
    EXPECT_EQ(mail.Servers[0].User, "");
    EXPECT_EQ(mail.Servers[0].Password, "");
    EXPECT_EQ(task.HasRun, 1);
    EXPECT_EQ(task.LastRun, now);
    EXPECT_TRUE(task.Delivered);
    EXPECT_FALSE(task.InService);
    EXPECT_EQ(task.ActionCount, 0);
}

TEST_F(EmailActionTest, ResultTextsAndTheRescheduleRules)
{
    prefs.SetSMTPRequiresAuthentication(true);
    prefs.SetFromName("");
    const struct {
        bool accepted;
        bool noteOpen;
        bool repeating;
    } cases[] = {{true, false, false}, {false, false, false}, {false, false, true},
                 {true, true, false},  {true, false, true},   {false, true, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.accepted * 100 + c.noteOpen * 10 + c.repeating);
        list.Clear();
        mail.Messages.clear();
        mail.Servers.clear();
        mail.Error = c.accepted ? QString() : QStringLiteral("550 no such user");
        TTaskData &task = AddMail("", "cc@x.org", "", c.repeating); // Cc alone is enough
        task.PopupNoteFormVisible = c.noteOpen;
        const TDateTime lastRun = task.LastRun;
        EXPECT_EQ(Run(true), c.accepted ? "E-mail successfully sent" : "E-mail not sent");
        ASSERT_EQ(mail.Messages.size(), 1);
        EXPECT_EQ(mail.Messages[0].Recipients, QStringList{"cc@x.org"});
        EXPECT_TRUE(mail.Messages[0].Data.startsWith("From: ann@x.org\r\nTo: ,cc@x.org,\r\n"));
        EXPECT_EQ(mail.Servers[0].User, "ann");
        EXPECT_EQ(mail.Servers[0].Password, "secret");
        EXPECT_EQ(task.HasRun, c.accepted ? 1 : 0);
        EXPECT_EQ(task.LastRun, c.accepted ? now : lastRun);
        // Sent or not, the reminder moves on, unless its note is still open.
        const bool moved = !c.noteOpen;
        EXPECT_EQ(task.Delivered, moved && !c.repeating);
        EXPECT_EQ(task.Scheduled, moved && c.repeating ? At(2009, 2, 18, 10, 0, 0) : At(2009, 2, 17, 10, 0, 0));
    }
}

TEST_F(EmailActionTest, NoRecipientsOrCancelSendNothing)
{
    AddMail(";", " , ", "");
    EXPECT_EQ(Run(true), "E-mail not sent");
    EXPECT_TRUE(mail.Messages.isEmpty());
    EXPECT_TRUE(list.GetTask(0).Delivered);

    list.Clear();
    TTaskData &task = AddMail("a@x.org", "", "");
    QPointer<TCountdownActionForm> form = new TSendemailActionForm(context);
    form->StartAction(0);
    Tick(form, 2);
    Child<QPushButton>(form, "btnCancel")->click();
    EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), "Action canceled");
    Tick(form, 10); // the countdown is over
    ASSERT_TRUE(Settle([&] { return Closed(form); }));
    EXPECT_TRUE(mail.Messages.isEmpty());
    EXPECT_EQ(task.HasRun, 0);
    EXPECT_TRUE(task.Delivered);
}

TEST_F(EmailActionTest, TestMessageGoesFromTheAddressToItselfWithTheMaskedPassword)
{
    prefs.SetEmailSignature("sig");
    QString error;
    EXPECT_TRUE(MailText::SendTestEmail(&mail, "sig", "me@x.org", "mail.x.org:26", "me", "abc", true, &error));
    ASSERT_EQ(mail.Messages.size(), 1);
    const TMailMessage &m = mail.Messages[0];
    EXPECT_EQ(m.EnvelopeSender, "me@x.org");
    EXPECT_EQ(m.Recipients, QStringList{"me@x.org"});
    EXPECT_TRUE(m.Data.startsWith("From: me@x.org\r\nTo: me@x.org\r\nDate: "));
    EXPECT_TRUE(m.Data.contains("\r\nSubject: Test e-mail settings\r\n"));
    EXPECT_TRUE(m.Data.endsWith("\r\n Password -> *** (3 characters)\r\n\r\nsig"));
    EXPECT_FALSE(m.Data.contains("abc"));
    EXPECT_EQ(mail.Servers[0].Port, 26);
    EXPECT_EQ(mail.Servers[0].Password, "abc");

    EXPECT_TRUE(MailText::SendTestEmail(&mail, "sig", "me@x.org", "mail.x.org", "me", "abc", false));
    EXPECT_EQ(mail.Servers[1].User, "");
    EXPECT_EQ(mail.Servers[1].Password, "");
    mail.Error = "refused";
    EXPECT_FALSE(MailText::SendTestEmail(&mail, "sig", "me@x.org", "mail.x.org", "", "", false, &error));
    EXPECT_EQ(error, "refused");
}

namespace {

// A server that never answers: the exchange ends only when told to.
class THangingTransport : public IMailTransport {
public:
    bool Send(const TMailServer &server, const TMailMessage &, QString *errorText) override
    {
        Started = true;
        while (!(server.Abort && server.Abort->load()))
            QThread::msleep(5);
        *errorText = QStringLiteral("aborted");
        return false;
    }
    std::atomic<bool> Started{false};
};

} // namespace

TEST_F(EmailActionTest, ASilentServerNeitherStopsTheProgramNorHoldsItsEnd)
{
    THangingTransport hanging;
    context.Mail = &hanging;
    AddMail("a@x.org", "", "");
    QPointer<TCountdownActionForm> form = new TSendemailActionForm(context);
    form->SetStartAtOnce(true);
    form->StartAction(0);
    form->CancelTimerTimer();
    int otherTicks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++otherTicks; });
    other.start(10);
    EXPECT_TRUE(Settle([&] { return otherTicks >= 5; })); // the event loop goes on
    EXPECT_TRUE(hanging.Started);
    EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), "Sending e-mail...");
    EXPECT_FALSE(Child<QPushButton>(form, "btnCancel")->isEnabled()); // no cancel once sending
    QElapsedTimer t;
    t.start();
    delete form.data(); // the program ends with the exchange still open
    EXPECT_LT(t.elapsed(), 1000);
}
