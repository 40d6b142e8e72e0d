#include "app/PalvaroApplication.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "platform/Desktop.h"
#include "platform/FormShaper.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/TestSupport.h"
#include "ui/PalvaroSplashFrm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// An environment for a portable copy (an executable with its picture library
// beside it) placed in a temporary folder, with the program-wide ini pointing
// beside it.
struct EnvFixture {
    explicit EnvFixture(const QString &exeName)
    {
        exePath = dir.filePath(exeName);
        TestSupport::WriteAll(exePath, "");
        TestSupport::WriteAll(dir.filePath("grresrep.rcc"), "");
        app = std::make_unique<TPalvaroApplication>(exePath, &boxes, &shell);
        app->Edition = TPalvaroApplication::EditionFromPath(exePath);
        ini = std::make_unique<TvornIniFile>(app->IniPath());
        app->Ini = ini.get();
    }
    QTemporaryDir dir;
    QString exePath;
    TScriptedAnswers boxes;
    Shell::FakeShell shell;
    std::unique_ptr<TPalvaroApplication> app;
    std::unique_ptr<TvornIniFile> ini;
};
// Addresses a build could be given.
const TDeploymentSites kSites{"https://web.test", "hello@web.test", "help@web.test", "https://dl.test", "https://dl2.test"};

} // namespace

TEST(Environment, BrivaneProfileNamesEverythingAfterTheExecutable)
{
    EnvFixture env("Brivane");
    TPalvaroApplication &app = *env.app;
    EXPECT_EQ(app.ProgramName, "Brivane");
    EXPECT_EQ(app.Edition, 0);
    app.Sites = kSites;
    app.LoadEditionProfile();
    EXPECT_EQ(app.ProductName, "Brivane");
    EXPECT_EQ(app.PreferencesFileName, "Brivane.pfc");
    EXPECT_EQ(app.IniPath(), env.dir.path() + "/Brivane.ini");
    EXPECT_EQ(app.GetFile("LOG"), "Brivane.log");
    EXPECT_EQ(app.LogPath(), qEnvironmentVariable("XDG_STATE_HOME") + "/Brivane/Brivane.log");
    EXPECT_EQ(app.GetFile("STORAGE-FILE"), "Brivane.dat");
    const QString docs = QDir::homePath() + "/Documents";
    EXPECT_EQ(app.GetFolder("STORAGE-FOLDER"), docs + "/Brivane/");
    EXPECT_EQ(app.GetFolder("STORAGE-BACKUP-FOLDER"), docs + "/Brivane/Backup/");
    EXPECT_EQ(app.GetProgramFolder("SOUNDS"), env.dir.path() + "/Sounds/");
    EXPECT_EQ(app.GetFolder("TEMP"), QDir::tempPath() + "/");
    // Keys are found without regard to case; a missing key is empty.
    EXPECT_EQ(app.GetFile("help_contents"), "help_index.html");
    EXPECT_EQ(app.GetFile("NO-SUCH-KEY"), "");
    EXPECT_EQ(app.GetInternet("WEBPAGE"), "https://web.test/?from_exe");
    EXPECT_EQ(app.GetInternet("CONTACT-EMAIL"), "Brivane reminder <hello@web.test>");
    EXPECT_EQ(app.GetInternet("VERSION-CHECK-FILE"), "https://dl.test/bin/CurVer.txt");
    EXPECT_EQ(app.GetInternet("DOWNLOAD-UPDATE"), "https://dl.test/download.htm?from_exe");
}

TEST(Environment, ARenamedExecutableTakesTheSecondProfileButKeepsItsOwnFileNames)
{
    EnvFixture env("Agenda");
    TPalvaroApplication &app = *env.app;
    EXPECT_EQ(app.Edition, 1);
    app.Sites = kSites;
    app.Sites.Download2.clear(); // the first download site serves both
    app.LoadEditionProfile();
    EXPECT_EQ(app.ProductName, "Corvisk");
    EXPECT_EQ(app.PreferencesFileName, "Corvisk.pfc");
    EXPECT_EQ(app.GetFile("STORAGE-FILE"), "Agenda.dat");
    EXPECT_EQ(app.GetFile("INI"), "Agenda.ini");
    EXPECT_EQ(app.GetFile("LOG"), "Agenda.log");
    EXPECT_TRUE(app.GetFolder("STORAGE-FOLDER").endsWith("/Documents/Agenda/"));
    EXPECT_EQ(app.GetInternet("VERSION-CHECK-FILE"), "https://dl.test/bin/CurSVer.txt");
    EXPECT_EQ(app.GetInternet("DOWNLOAD-UPDATE"), "https://dl.test/reminders/reminders.html?from_exe#download_now");
    EXPECT_TRUE(app.GetInternet("CONTACT-EMAIL").startsWith("Corvisk <"));
    // The check is on the full path and case counts.
    EXPECT_EQ(TPalvaroApplication::EditionFromPath("/opt/Brivane/Agenda"), 0);
    EXPECT_EQ(TPalvaroApplication::EditionFromPath("/opt/brivane/brivane"), 1);
}

TEST(Environment, WithoutAddressesThereIsNoLinkAndNoUpdateCheck)
{
    for (const char *name : {"Brivane", "Agenda"}) {
        SCOPED_TRACE(name);
        EnvFixture env(name);
        env.app->Sites = {};
        env.app->LoadEditionProfile();
        for (const char *key : {"WEBPAGE", "CONTACT-EMAIL", "LOG-EMAIL", "VERSION-CHECK-FILE", "DOWNLOAD-UPDATE"})
            EXPECT_EQ(env.app->GetInternet(key), "") << key;
    }
}

TEST(Environment, TheBuildDateIsTheDateOfTheCommitBuilt)
{
    QProcess git;
    git.setWorkingDirectory(QStringLiteral(BRIVANE_SOURCE_DIR));
    git.start(QStringLiteral("git"), {"log", "-1", "--format=%cs"});
    const bool ok = git.waitForFinished(10000) && git.exitStatus() == QProcess::NormalExit && git.exitCode() == 0;
    const QString date = QString::fromLatin1(git.readAllStandardOutput()).trimmed();
    if (!ok || date.size() != 10)
        GTEST_SKIP() << "not a git checkout";
    EXPECT_EQ(FormatDateTime(QStringLiteral("yyyy-mm-dd"), TPalvaroApplication::BuiltOn()), date);
}

TEST(Environment, UsersSectionMovesTheStoreForThisUser)
{
    EnvFixture env("Brivane");
    env.ini->WriteString("users", Desktop::UserName(), "/srv/Shared/Store");
    env.app->LoadEditionProfile();
    EXPECT_EQ(env.app->GetFolder("STORAGE-FOLDER"), "/srv/Shared/Store/");
    EXPECT_EQ(env.app->GetFolder("STORAGE-BACKUP-FOLDER"), "/srv/Shared/Store/Backup/");
}

TEST(Environment, HelpPagesOpenDirectlyOrThroughTheRedirectPage)
{
    EnvFixture env("Brivane");
    env.app->LoadEditionProfile();
    QDir(env.dir.path()).mkdir("Help");
    env.app->OpenHelpPage("HELP_CONTENTS");
    env.app->OpenHelpPage("HELP_PREF_EMAIL");
    const QString help = env.dir.path() + "/Help/";
    EXPECT_EQ(env.shell.Opened, (QStringList{help + "help_index.html", help + "help_redirect.html"}));
    EXPECT_EQ(TestSupport::ReadAll(help + "help_redirect.html"),
              QByteArray("<script type=\"text/javascript\"><!--\r\n"
                         "window.location = \"help_preferences.html#e-mail\"\r\n"
                         "--></script>\r\n"));
}

TEST(Environment, SetLogLevelWritesTheIniAndChangesTheLogAtOnce)
{
    EnvFixture env("Brivane");
    QTemporaryDir logDir;
    TvornLogFile log(logDir.filePath("x.log"), 1, 0, 1);
    const TvornLogFile::TRecording recording(log);
    env.app->SetLogLevel(true);
    EXPECT_EQ(env.ini->ReadInteger("Debug", "Level", 0), 3);
    EXPECT_EQ(log.Level, 3);
    env.app->SetLogLevel(false);
    EXPECT_EQ(env.ini->ReadInteger("Debug", "Level", 0), 1);
    EXPECT_EQ(log.Level, 1);
}

TEST(Environment, EnsureFolderCreatesOneLevelOnly)
{
    EnvFixture env("Brivane");
    const QString one = env.dir.path() + "/Sounds/";
    EXPECT_NO_THROW(env.app->EnsureFolder(one));
    EXPECT_TRUE(QDir(one).exists());
    const QString deep = env.dir.path() + "/a/b/c/";
    try {
        env.app->EnsureFolder(deep);
        FAIL() << "expected an error";
    } catch (const EvornError &e) {
        EXPECT_EQ(e.Message(), "Error: Cannot create " + deep + ".");
    }
}

TEST(FormShaper, RegionIsOneRowHighRunsOfNonKeyPixels)
{
    // Key colour is whatever the bottom-right pixel holds.
    const QRgb key = qRgb(255, 0, 255);
    QImage img(5, 3, QImage::Format_RGB32);
    img.fill(key);
    img.setPixel(1, 0, qRgb(1, 2, 3));
    img.setPixel(2, 0, qRgb(9, 9, 9));
    img.setPixel(4, 0, qRgb(0, 0, 0));
    for (int x = 0; x < 5; ++x)
        img.setPixel(x, 1, qRgb(200, 200, 200));
    const QVector<QRect> rects = TFormShaper::BuildRects(img);
    EXPECT_EQ(rects, (QVector<QRect>{QRect(1, 0, 2, 1), QRect(4, 0, 1, 1), QRect(0, 1, 5, 1)}));
    const QRegion region = TFormShaper::BuildRegion(img);
    EXPECT_TRUE(region.contains(QPoint(2, 0)));
    EXPECT_FALSE(region.contains(QPoint(3, 0)));
    EXPECT_FALSE(region.contains(QPoint(4, 2)));
}

TEST(FormShaper, PictureMakesTheWindowBorderlessAndEmptyPictureRestoresIt)
{
    QWidget w;
    w.resize(300, 200);
    TFormShaper shaper(&w);
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(qRgb(0, 255, 0));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            img.setPixel(x, y, qRgb(250, 240, 200));
    shaper.SetPicture(img);
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.size(), QSize(40, 30));
    EXPECT_EQ(w.mask().boundingRect(), QRect(0, 0, 30, 20));
    shaper.SetPicture(QImage());
    EXPECT_FALSE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.size(), QSize(300, 200));
    EXPECT_TRUE(w.mask().isEmpty());
}

TEST(Splash, ShowsTheVersionAndClosesItselfAfterItsVisibilityTime)
{
    QPointer<TPalvaroSplashForm> splash = new TPalvaroSplashForm(nullptr, QStringLiteral("3.92"));
    splash->SetVisibilityTime(1500);
    EXPECT_EQ(splash->findChild<QLabel *>(QStringLiteral("lblTitle"))->text(), "ver 3.92");
    EXPECT_FALSE(splash->close()); // nobody else may close it
    splash->show();
    auto *timer = splash->findChild<QTimer *>(QStringLiteral("VisibilityTimer"));
    ASSERT_TRUE(timer && timer->isActive());
    EXPECT_EQ(timer->interval(), 1500);
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

TEST(Environment, EachUserKeepsAPrivateLogOfTheirOwn)
{
    // Two users on one machine differ by their home and their state folder.
    QTemporaryDir users;
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedState = qgetenv("XDG_STATE_HOME");
    struct User {
        QString home, state, expectedLog;
    };
    const User alice{users.filePath("alice"), QString(), users.filePath("alice/.local/state/Brivane/Brivane.log")};
    const User bob{users.filePath("bob"), users.filePath("bob-state"), users.filePath("bob-state/Brivane/Brivane.log")};
    QStringList logs;
    for (const User &u : {alice, bob}) {
        QDir().mkpath(u.home);
        qputenv("HOME", u.home.toUtf8());
        if (u.state.isEmpty())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", u.state.toUtf8());
        EnvFixture env("Brivane");
        EXPECT_EQ(env.app->LogPath(), u.expectedLog);
        TvornLogFile log(env.app->LogPath(), 3, 1, 1);
        log.Info("store of " + u.home);
        logs << env.app->LogPath();
    }
    qputenv("HOME", savedHome);
    qputenv("XDG_STATE_HOME", savedState);

    ASSERT_EQ(logs.size(), 2);
    ASSERT_NE(logs[0], logs[1]);
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    for (const QString &path : logs) {
        SCOPED_TRACE(path.toStdString());
        const QString text = QString::fromUtf8(TestSupport::ReadAll(path));
        EXPECT_TRUE(text.contains("Info: store of ")) << text.toStdString();
        EXPECT_EQ(QFile::permissions(path) & others, QFileDevice::Permissions());
        EXPECT_EQ(QFile::permissions(QFileInfo(path).path()) & others, QFileDevice::Permissions());
    }
    // Neither sees the other's lines.
    EXPECT_FALSE(QString::fromUtf8(TestSupport::ReadAll(logs[1])).contains(alice.home));
}
