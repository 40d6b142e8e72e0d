#include "extras/CheckVersionFrm.h"
#include "platform/CurlHttp.h"
#include "platform/ResourceLibrary.h"
#include "tests/fakes/FakeShell.h"
#include "tests/support/ActionWindows.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/LocalHttpServer.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using TestSupport::LocalHttpServer;

namespace {

const QString kMarker = QStringLiteral("Info:   *** CheckforUpdates *** ");
const QString kError15 = QStringLiteral("Error 15: Unable to connect to the server.");

QByteArray VersionFile(const char *ver, int day, int month, int year)
{
    return QByteArray("[CurrentVersion]\r\nver=") + ver + "\r\n\r\n[Build]\r\nDay=" + QByteArray::number(day)
           + "\r\nMonth=" + QByteArray::number(month) + "\r\nYear=" + QByteArray::number(year) + "\r\n";
}

// Checks with the real web client for a program 3.92 built 17 Feb 2009.
struct CheckRig {
    QTemporaryDir Temp;
    Shell::FakeShell ShellFake;
    TActionContext Context;

    CheckRig() { Context.Shell = &ShellFake; }

    TCheckVersionForm *Start(const QString &url)
    {
        TUpdateCheckSettings s;
        s.VersionCheckFile = url;
        s.DownloadUpdate = QStringLiteral("https://download.example.test/download.htm?from_exe");
        s.TempFolder = Temp.path() + QLatin1Char('/');
        s.Version = QStringLiteral("3.92");
        s.BuildDate = EncodeDate(2009, 2, 17);
        s.Http = std::make_shared<TCurlHttpClient>();
        return CheckforUpdates(Context, s);
    }
};

bool WaitForResult(TCheckVersionForm *form)
{
    QSignalSpy finished(form, &TCheckVersionForm::CheckFinished);
    return !form->Checking() || finished.wait(20000);
}

void Press(QPushButton *button)
{
    button->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(UpdateCheck, VersionTextsAndBuildDatesDecideTheOutcome)
{
    using O = TUpdateOutcome;
    const TDateTime feb16 = EncodeDate(2009, 2, 16), feb17 = EncodeDate(2009, 2, 17), feb18 = feb17 + 1;
    struct Case {
        const char *published, *own;
        TDateTime publishedBuild;
        int c;
        O outcome;
    } cases[] = {
        {"3.93", "3.92", feb17, 1, O::NewerVersion},
        {"3.100", "3.92", feb18, '1' - '9', O::UpToDate}, // text, not number
        {"10.0", "3.92", feb18, '1' - '3', O::UpToDate},
        {"3.92", "3.92", feb18, 0, O::MinorImprovements}, // same version, built a day later
        {"3.92", "3.92", feb17, 0, O::UpToDate},
        {"3.92", "3.92", feb16, 0, O::UpToDate},
        {"3.92", "3.92", 0, 0, O::UpToDate}, // a published date that does not exist
        {"3.92A", "3.92", feb16, 1, O::NewerVersion}, // the longer text with the same beginning
        {"3.92", "3.92A", feb18, -1, O::UpToDate},
        {"3.92a", "3.92A", feb18, 0, O::MinorImprovements}, // letters compare without case
        {"3.92a", "3.92A", feb17, 0, O::UpToDate},
        {"3.9[", "3.9a", feb17, '[' - 'A', O::NewerVersion}, // the program's letters fold too
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.published) + " vs " + c.own);
        const int got = CompareVersionTexts(QString::fromLatin1(c.published), QString::fromLatin1(c.own));
        EXPECT_EQ(got, c.c);
        // Only the day of the program's build counts, not its hour.
        EXPECT_EQ(DecideUpdateOutcome(got, c.publishedBuild, feb17 + 0.75), c.outcome);
    }
}

TEST(UpdateCheck, EndToEndAgainstALocalServer)
{
    LocalHttpServer server;
    server.Serve("/newer", VersionFile("3.93", 1, 1, 2009));
    server.Serve("/rebuilt", VersionFile("3.92", 18, 2, 2009));
    server.Serve("/same", VersionFile("3.92", 17, 2, 2009));
    server.Serve("/older", VersionFile("3.91", 1, 6, 2010));
    server.Serve("/webpage", "<html><body>Welcome</body></html>");
    // Saved by a Windows editor: byte-order mark, other letter case, no build section.
    server.Serve("/windows", "\xEF\xBB\xBF[currentversion]\r\nVER=3.92A\r\n");
    const QString dead = QStringLiteral("http://127.0.0.1:%1/newer").arg(LocalHttpServer::DeadPort());

    const QString newer = "A newer version has been published!\nYou can download it now.";
    const QString minor = "There are minor improvements to the current version\nDo you wish to download it?";
    const QString latest = "You are already using the latest version.";
    struct Case {
        QString url, status;
        bool download;
        QString cancel, published, comparison; // empty: the file is not read / not compared
    } cases[] = {
        {server.Url("/newer"), newer, true, "Cancel", "3.93", "1"},
        {server.Url("/rebuilt"), minor, true, "Cancel", "3.92", "0"},
        {server.Url("/same"), latest, false, "Close", "3.92", "0"},
        {server.Url("/older"), latest, false, "Close", "3.91", "-1"},
        {server.Url("/windows"), newer, true, "Cancel", "3.92A", "1"},
        // Nothing published: an error, never "latest", and why.
        {server.Url("/missing"), kError15 + "\nHTTP status 404", false, "Cancel", {}, {}},
        {server.Url("/webpage"), kError15 + "\nThe reply names no published version.", false, "Cancel", "0.00", {}},
        // libcurl's words follow; only their beginning is ours to know.
        {dead, kError15 + "\nFailed to connect to 127.0.0.1 port ", false, "Cancel", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        TestSupport::CapturedLog log;
        CheckRig rig;
        QPointer<TCheckVersionForm> form = rig.Start(c.url);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(Child<QLabel>(form, "lblStatus")->text(), "Checking...");
        ASSERT_TRUE(WaitForResult(form));
        if (c.url == dead)
            EXPECT_TRUE(Child<QLabel>(form, "lblStatus")->text().startsWith(c.status))
                << Child<QLabel>(form, "lblStatus")->text().toStdString();
        else
            EXPECT_EQ(Child<QLabel>(form, "lblStatus")->text(), c.status);
        EXPECT_EQ(Child<QPushButton>(form, "btnDownload")->isVisible(), c.download);
        EXPECT_EQ(form->focusWidget(),
                  c.download ? Child<QPushButton>(form, "btnDownload") : Child<QPushButton>(form, "btnCancel"));
        EXPECT_EQ(Child<QPushButton>(form, "btnCancel")->text(), c.cancel);
        EXPECT_TRUE(QDir(rig.Temp.path()).isEmpty());

        // The temporary file's name is its own each time.
        const QString temp = "Info: Temp folder: " + rig.Temp.path() + "/chkcurver.";
        QStringList want = {kMarker, "Info:  ManuallCheck ", "Info: Connected: Download URL --> " + c.url};
        if (!c.published.isEmpty())
            want << temp + "?.tmp"
                 << "Info: Current version: 3.92"
                 << "Info: Published version: " + c.published << "Info: Temp version check file deleted";
        if (!c.comparison.isEmpty())
            want << "Info: Compare versions result: " + c.comparison;
        want << kMarker;
        QStringList got = log.Lines();
        got = got.mid(got.indexOf(kMarker)); // after the log's own opening lines
        if (!c.published.isEmpty() && got.size() > 3 && got[3].startsWith(temp) && got[3].endsWith(".tmp"))
            got[3] = want[3];
        EXPECT_EQ(got.join('\n').toStdString(), want.join('\n').toStdString());
        Press(Child<QPushButton>(form, "btnCancel"));
        EXPECT_TRUE(form.isNull());
    }
    EXPECT_EQ(server.Requests,
              QStringList({"/newer", "/rebuilt", "/same", "/older", "/windows", "/missing", "/webpage"}));
}

TEST(UpdateCheck, OnlyTheButtonsCloseAndALateAnswerFindsNoWindow)
{
    TResourceLibrary library;
    ASSERT_TRUE(library.Load(QStringLiteral(BRIVANE_TEST_RUN_DIR "/grresrep.rcc")));
    TestSupport::CapturedLog log;
    LocalHttpServer server;
    server.Serve("/v", VersionFile("3.93", 1, 1, 2010));
    server.Hold();
    TTaskList list;
    CheckRig rig;
    rig.Context.Library = &library;
    rig.Context.List = &list;
    QPointer<TCheckVersionForm> first = rig.Start(server.Url("/v"));
    QPointer<TCheckVersionForm> second = rig.Start(server.Url("/v"));
    EXPECT_FALSE(second->mask().isEmpty()); // shaped by its picture
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Waiting() == 2; }, 20000));
    Press(Child<QPushButton>(first, "btnCancel")); // while its request is out
    EXPECT_TRUE(first.isNull());

    server.Release();
    ASSERT_TRUE(WaitForResult(second));
    QTest::qWait(50);
    EXPECT_EQ(log.Lines().count(kMarker), 3); // two starts, one result
    EXPECT_TRUE(second->mask().contains(Child<QPushButton>(second, "btnDownload")->geometry().center()));
    EXPECT_FALSE(second->close()); // the window manager's close is refused
    Press(Child<QPushButton>(second, "btnDownload"));
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(rig.ShellFake.Opened, QStringList{"https://download.example.test/download.htm?from_exe"});
    EXPECT_EQ(list.ModifiedAt(), 0.0); // it serves no reminder
}
