#include "extras/CheckVersionFrm.h"
#include "platform/CurlHttp.h"
#include "platform/ResourceLibrary.h"
#include "tests/fakes/FakeShell.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/LocalHttpServer.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using TestSupport::CapturedLog;
using TestSupport::LocalHttpServer;

namespace {

const QString kOwnVersion = QStringLiteral("3.92");
const TDateTime kOwnBuild = EncodeDate(2009, 2, 17);
const QString kMarker = QStringLiteral("Info:   *** CheckforUpdates *** ");
const QString kError15 = QStringLiteral("Error 15: Unable to connect to the server.");

void ProcessDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray VersionFile(const char *ver, int day, int month, int year)
{
    return QStringLiteral("[CurrentVersion]\r\nver=%1\r\n\r\n[Build]\r\nDay=%2\r\nMonth=%3\r\nYear=%4\r\n")
        .arg(QLatin1String(ver))
        .arg(day)
        .arg(month)
        .arg(year)
        .toLatin1();
}

// One check against url with the real web client, the program at 3.92 built 17 Feb 2009.
struct CheckRig {
    QTemporaryDir Temp;
    TActionContext Context;
    Shell::ScopedFakeShell ShellFake;

    TUpdateCheckSettings Settings(const QString &url) const
    {
        TUpdateCheckSettings s;
        s.VersionCheckFile = url;
        s.DownloadUpdate = QStringLiteral("https://download.example.test/download.htm?from_exe");
        s.TempFolder = Temp.path() + QLatin1Char('/');
        s.Version = kOwnVersion;
        s.BuildDate = kOwnBuild;
        s.Http = std::make_shared<TCurlHttpClient>();
        return s;
    }
    QStringList TempFiles() const { return QDir(Temp.path()).entryList(QDir::Files); }
};

bool WaitForResult(TCheckVersionForm *form)
{
    QSignalSpy finished(form, &TCheckVersionForm::CheckFinished);
    return !form->Checking() || finished.wait(20000);
}

} // namespace

TEST(UpdateCheck, VersionTextsAndBuildDatesDecideTheOutcome)
{
    using O = TUpdateOutcome;
    const TDateTime feb16 = EncodeDate(2009, 2, 16), feb17 = EncodeDate(2009, 2, 17), feb18 = EncodeDate(2009, 2, 18);
    struct Case {
        const char *published;
        const char *own;
        TDateTime publishedBuild;
        int c;
        O outcome;
    } cases[] = {
        {"3.93", "3.92", feb17, 1, O::NewerVersion},
        {"3.100", "3.92", feb18, -8, O::UpToDate}, // text, not number: '1' < '9'
        {"10.0", "3.92", feb18, -2, O::UpToDate}, // '1' < '3'
        {"3.91", "3.92", feb18, -1, O::UpToDate},
        {"3.92", "3.92", feb18, 0, O::MinorImprovements}, // same version, built a day later
        {"3.92", "3.92", feb17, 0, O::UpToDate},
        {"3.92", "3.92", feb16, 0, O::UpToDate},
        {"3.92", "3.92", 0, 0, O::UpToDate}, // a published date that does not exist
        {"3.92A", "3.92", feb16, 1, O::NewerVersion}, // the longer text with the same beginning
        {"3.92", "3.92A", feb18, -1, O::UpToDate},
        {"3.92a", "3.92A", feb18, 0, O::MinorImprovements}, // letters compare without case
        {"3.92a", "3.92A", feb17, 0, O::UpToDate},
        {"3.9b", "3.9A", feb17, 1, O::NewerVersion},
        {"3.9[", "3.9a", feb17, '[' - 'A', O::NewerVersion}, // only a-z fold, and both sides fold
        {"0.00", "3.92", feb18, '0' - '3', O::UpToDate},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.published) + " vs " + c.own);
        const int got = CompareVersionTexts(QString::fromLatin1(c.published), QString::fromLatin1(c.own));
        EXPECT_EQ(got, c.c);
        EXPECT_EQ(DecideUpdateOutcome(got, c.publishedBuild, feb17 + 0.75), c.outcome);
    }
}

TEST(UpdateCheck, EndToEndAgainstALocalServer)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    server.Serve("/newer", {200, VersionFile("3.93", 1, 1, 2009), {}});
    server.Serve("/rebuilt", {200, VersionFile("3.92", 18, 2, 2009), {}});
    server.Serve("/same", {200, VersionFile("3.92", 17, 2, 2009), {}});
    server.Serve("/older", {200, VersionFile("3.91", 1, 6, 2010), {}});
    server.Serve("/webpage", {200, "<html><body>Welcome</body></html>", {}});
    // Saved by a Windows editor: byte-order mark, other letter case, no build section.
    server.Serve("/windows", {200, "\xEF\xBB\xBF[currentversion]\r\nVER=3.92A\r\n", {}});
    const QString dead = QStringLiteral("http://127.0.0.1:%1/newer").arg(LocalHttpServer::DeadPort());

    const QString newer = QStringLiteral("A newer version has been published!\nYou can download it now.");
    const QString minor =
        QStringLiteral("There are minor improvements to the current version\nDo you wish to download it?");
    const QString latest = QStringLiteral("You are already using the latest version.");
    struct Case {
        const char *name;
        QString url;
        QString status;
        bool download;
        QString cancelCaption;
        QString published; // empty: the file is never read
        QString comparison; // empty: no comparison
    } cases[] = {
        {"newer", server.Url("/newer"), newer, true, "Cancel", "3.93", "1"},
        {"same version, later build", server.Url("/rebuilt"), minor, true, "Cancel", "3.92", "0"},
        {"same version and build", server.Url("/same"), latest, false, "Close", "3.92", "0"},
        {"older", server.Url("/older"), latest, false, "Close", "3.91", "-1"},
        {"saved on Windows", server.Url("/windows"), newer, true, "Cancel", "3.92A", "1"},
        // No version published: never "latest".
        {"404", server.Url("/missing"), kError15, false, "Cancel", {}, {}},
        {"not a version file", server.Url("/webpage"), kError15, false, "Cancel", "0.00", {}},
        {"nobody listening", dead, kError15, false, "Cancel", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CapturedLog log;
        CheckRig rig;
        QPointer<TCheckVersionForm> form = CheckforUpdates(rig.Context, rig.Settings(c.url));
        ASSERT_TRUE(form);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->lblStatus->text(), "Checking...");
        EXPECT_FALSE(form->btnDownload->isVisible());

        ASSERT_TRUE(WaitForResult(form));
        EXPECT_EQ(form->lblStatus->text(), c.status);
        EXPECT_EQ(form->btnDownload->isVisible(), c.download);
        if (c.download) {
            EXPECT_EQ(form->focusWidget(), form->btnDownload);
        }
        EXPECT_EQ(form->btnCancel->text(), c.cancelCaption);
        EXPECT_TRUE(rig.TempFiles().isEmpty()) << rig.TempFiles().join(' ').toStdString();

        QStringList expected = {kMarker, "Info:  ManuallCheck ", "Info: Connected: Download URL --> " + c.url};
        if (!c.published.isEmpty())
            expected << "Info: Current version: 3.92"
                     << "Info: Published version: " + c.published << "Info: Temp version check file deleted";
        if (!c.comparison.isEmpty())
            expected << "Info: Compare versions result: " + c.comparison;
        expected << kMarker;
        // The log's own opening lines come first.
        QStringList lines = log.Lines();
        lines = lines.mid(lines.indexOf(kMarker));
        // The temporary file's name is its own each time; only its folder is known.
        const QString tempLine = "Info: Temp folder: " + rig.Settings(c.url).TempFolder + "chkcurver.";
        if (!c.published.isEmpty() && lines.size() > 3) {
            EXPECT_TRUE(lines[3].startsWith(tempLine) && lines[3].endsWith(".tmp")) << lines[3].toStdString();
            lines.removeAt(3);
        }
        EXPECT_EQ(lines.join('\n').toStdString(), expected.join('\n').toStdString());

        form->btnCancel->click();
        ProcessDeletes();
        EXPECT_TRUE(form.isNull());
    }
    EXPECT_EQ(server.Requests,
              (QStringList{"/newer", "/rebuilt", "/same", "/older", "/windows", "/missing", "/webpage"}));
}

TEST(UpdateCheck, DownloadOpensThePageAndOnlyTheButtonsClose)
{
    TResourceLibrary library;
    const QString path = QStringLiteral(BRIVANE_TEST_RUN_DIR) + QStringLiteral("/grresrep.rcc");
    ASSERT_TRUE(library.Load(path)) << qPrintable(path);
    LocalHttpServer server;
    server.Serve("/v", {200, VersionFile("3.93", 1, 1, 2010), {}});
    TTaskList list;
    CheckRig rig;
    rig.Context.Library = &library;
    rig.Context.List = &list;
    int refreshes = 0;
    rig.Context.Windows.TaskList = true;
    rig.Context.Windows.RefreshTaskList = [&] { ++refreshes; };

    QPointer<TCheckVersionForm> form = CheckforUpdates(rig.Context, rig.Settings(server.Url("/v")));
    EXPECT_EQ(form->size(), QSize(TCheckVersionForm::kWidth, TCheckVersionForm::kHeight));
    EXPECT_FALSE(form->mask().isEmpty()); // shaped by its picture
    ASSERT_TRUE(WaitForResult(form));
    EXPECT_TRUE(form->mask().contains(form->btnDownload->geometry().center()));
    EXPECT_TRUE(form->mask().contains(form->btnCancel->geometry().center()));

    EXPECT_FALSE(form->close()); // the window manager's close is refused
    EXPECT_TRUE(form->isVisible());
    form->btnDownload->click();
    ProcessDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(rig.ShellFake.Fake.Opened, QStringList{"https://download.example.test/download.htm?from_exe"});
    // The check serves no reminder: the list and its window are left alone.
    EXPECT_EQ(list.ModifiedAt(), 0.0);
    EXPECT_EQ(refreshes, 0);
}

TEST(UpdateCheck, ClosingWhileTheServerIsSilentDropsItsLateAnswer)
{
    CapturedLog log;
    LocalHttpServer server;
    server.Serve("/v", {200, VersionFile("3.93", 1, 1, 2010), {}});
    server.Hold();
    CheckRig rig;
    QPointer<TCheckVersionForm> first = CheckforUpdates(rig.Context, rig.Settings(server.Url("/v")));
    QPointer<TCheckVersionForm> second = CheckforUpdates(rig.Context, rig.Settings(server.Url("/v")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Waiting() == 2; }, 20000));
    // The program keeps taking clicks while the request is out.
    EXPECT_TRUE(first->Checking());
    first->btnCancel->click();
    ProcessDeletes();
    EXPECT_TRUE(first.isNull());

    server.Release();
    ASSERT_TRUE(WaitForResult(second));
    EXPECT_EQ(second->Outcome(), TUpdateOutcome::NewerVersion);
    QTest::qWait(50);
    // Two starts, one result.
    EXPECT_EQ(log.Lines().count(kMarker), 3);
    second->btnCancel->click();
    ProcessDeletes();
}
