#include "platform/SystemHelpers.h"
#include "core/vornLogFile.h"
#include "platform/Desktop.h"
#include "platform/ResourceLibrary.h"
#include "platform/Trash.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Permissions.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

using HelperLog = TestSupport::CapturedLog;

// Points an environment variable elsewhere for the scope of a test.
class EnvOverride {
public:
    EnvOverride(const char *name, const QString &value)
        : FName(name)
        , FOld(qgetenv(name))
        , FHad(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value.toUtf8());
    }
    ~EnvOverride()
    {
        if (FHad)
            qputenv(FName, FOld);
        else
            qunsetenv(FName);
    }

private:
    const char *FName;
    QByteArray FOld;
    bool FHad;
};

} // namespace

TEST(ProgramFolders, PortableOnlyWithThePictureLibraryBesideTheExecutableElseDataBesideTheBinFolder)
{
    QTemporaryDir root;
    const QString r = root.path() + QLatin1Char('/');
    EnvOverride xdg("XDG_CONFIG_HOME", r + "config");
    struct Case {
        const char *what;
        QString layout; // the executable first; made empty, relative to root; "/" at the end: a folder
        bool portable;
        QString data;
        QString config;
    };
    const Case cases[] = {
        {"a copy carrying its library", "copy/Brivane copy/grresrep.rcc", true, "copy/", "copy/"},
        {"installed into a writable prefix", "pre/bin/Brivane pre/share/brivane/grresrep.rcc", false,
         "pre/share/brivane/", "config/Brivane/"},
        {"help beside it is no library", "loose/Brivane loose/Help/help_index.html", false, "share/brivane/",
         "config/Brivane/"},
        {"nor a folder named like it", "odd/Brivane odd/grresrep.rcc/", false, "share/brivane/", "config/Brivane/"},
        {"a renamed program's settings go by its name", "usr/bin/Agenda", false, "usr/share/brivane/",
         "config/Agenda/"},
    };
    for (const Case &c : cases) {
        const QStringList layout = c.layout.split(QLatin1Char(' '));
        for (const QString &entry : layout) {
            if (entry.endsWith(QLatin1Char('/'))) {
                ASSERT_TRUE(QDir().mkpath(r + entry));
                continue;
            }
            ASSERT_TRUE(QDir().mkpath(QFileInfo(r + entry).absolutePath()));
            ASSERT_TRUE(WriteAll(r + entry, ""));
        }
        const QString exe = r + layout.first();
        const Desktop::ProgramFolders f = Desktop::ResolveProgramFolders(exe, QFileInfo(exe).fileName());
        EXPECT_EQ(f.portable, c.portable) << c.what;
        EXPECT_EQ(f.data.toStdString(), (r + c.data).toStdString()) << c.what;
        EXPECT_EQ(f.config.toStdString(), (r + c.config).toStdString()) << c.what;
        EXPECT_TRUE(QFileInfo(f.config).isDir()) << c.what;
    }

    // A copy carrying its library in a folder the user cannot write keeps its
    // settings where they can be saved.
    TestSupport::ReadOnlyFolder readOnly(r + "copy");
    TestSupport::PermissionsEnforced enforced;
    if (!TestSupport::PermissionsEnforced::FolderRefusesWrites(r + "copy"))
        GTEST_SKIP() << "file permissions are not enforced here";
    const Desktop::ProgramFolders shared = Desktop::ResolveProgramFolders(r + "copy/Brivane", "Brivane");
    EXPECT_FALSE(shared.portable);
    EXPECT_EQ(shared.data, r + "copy/");
    EXPECT_EQ(shared.config, r + "config/Brivane/");
}

TEST(SoundFolders, UserSoundsBesideAPortableCopyElseInTheDataHomeAndLookedUpFirst)
{
    QTemporaryDir root;
    const QString r = root.path() + QLatin1Char('/');
    EnvOverride xdg("XDG_DATA_HOME", r + "data");

    const Desktop::SoundFolders portable = Desktop::ResolveSoundFolders(r + "copy/Sounds/", true, "Brivane");
    EXPECT_EQ(portable.user, r + "copy/Sounds/");
    EXPECT_EQ(portable.program, r + "copy/Sounds/");
    const Desktop::SoundFolders renamed = Desktop::ResolveSoundFolders(r + "share/brivane/Sounds", false, "Agenda");
    EXPECT_EQ(renamed.user, r + "data/Agenda/Sounds/");
    const Desktop::SoundFolders installed = Desktop::ResolveSoundFolders(r + "share/brivane/Sounds", false, "Brivane");
    EXPECT_EQ(installed.user, r + "data/Brivane/Sounds/");
    EXPECT_EQ(installed.program, r + "share/brivane/Sounds/");

    ASSERT_TRUE(installed.MakeUserFolder());
    ASSERT_TRUE(QDir().mkpath(installed.program));
    for (const char *name : {"both.wav", "user.wav"})
        ASSERT_TRUE(WriteAll(installed.user + name, "RIFF"));
    for (const char *name : {"both.wav", "program.wav"})
        ASSERT_TRUE(WriteAll(installed.program + name, "RIFF"));
    ASSERT_TRUE(QDir().mkpath(installed.user + "folder.wav"));
    ASSERT_TRUE(WriteAll(installed.program + "folder.wav", "RIFF"));
    EXPECT_EQ(installed.Find("both.wav"), installed.user + "both.wav");
    EXPECT_EQ(installed.Find("user.wav"), installed.user + "user.wav");
    EXPECT_EQ(installed.Find("program.wav"), installed.program + "program.wav");
    EXPECT_EQ(installed.Find("folder.wav"), installed.program + "folder.wav") << "a folder is no sound";
    EXPECT_EQ(installed.Find("none.wav"), QString());
    EXPECT_EQ(installed.Find(QString()), QString());
    // A path kept because it could not be copied plays from where it is.
    EXPECT_EQ(installed.Find(installed.program + "program.wav"), installed.program + "program.wav");
    EXPECT_EQ(installed.Find(r + "elsewhere/none.wav"), QString());
}

TEST(SafeFileName, ReplacesExactlyTheEightCharacters)
{
    EXPECT_EQ(SafeFileName(QStringLiteral("Meeting: 10/12 <draft>")), QStringLiteral("Meeting__10_12__draft_"));
    EXPECT_EQ(SafeFileName(QStringLiteral(" :\\/*?><")), QStringLiteral("________"));
    EXPECT_EQ(SafeFileName(QStringLiteral("a\"b|c.d-é")), QStringLiteral("a\"b|c.d-é"));
}

TEST(RunOnStartup, EntryIsWrittenDetectedAndRemoved)
{
    QTemporaryDir config;
    EnvOverride xdg("XDG_CONFIG_HOME", config.path());
    HelperLog log;
    const QString entry = config.path() + QStringLiteral("/autostart/BrivaneTest.desktop");

    EXPECT_FALSE(RunOnStartupExists(QStringLiteral("BrivaneTest")));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Info: RunOnStartupRegKeyExists (BrivaneTest): False")));

    ASSERT_TRUE(SetRunOnStartup(QStringLiteral("BrivaneTest"), QStringLiteral("/opt/My Apps/Brivane"), true));
    const QString text = QString::fromUtf8(ReadAll(entry));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=\"/opt/My Apps/Brivane\"\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(RunOnStartupExists(QStringLiteral("BrivaneTest")));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Info: RunOnStartupRegKeyExists (BrivaneTest): True")));

    // Another program's entry is left alone.
    ASSERT_TRUE(WriteAll(config.path() + QStringLiteral("/autostart/other.desktop"), "[Desktop Entry]\n"));
    EXPECT_TRUE(SetRunOnStartup(QStringLiteral("BrivaneTest"), QString(), false));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(RunOnStartupExists(QStringLiteral("BrivaneTest")));
    // Disabling what is not there succeeds and changes nothing.
    EXPECT_TRUE(SetRunOnStartup(QStringLiteral("BrivaneTest"), QString(), false));
    EXPECT_EQ(QDir(config.path() + QStringLiteral("/autostart")).entryList(QDir::Files), QStringList{"other.desktop"});
    EXPECT_FALSE(log.Text().contains(QStringLiteral("Error")));
}

TEST(RunOnStartup, SpecialCharactersInThePathCannotBreakTheCommand)
{
    QTemporaryDir config;
    EnvOverride xdg("XDG_CONFIG_HOME", config.path());
    ASSERT_TRUE(SetRunOnStartup(QStringLiteral("BrivaneTest"), QStringLiteral("/opt/a\"b$c`d\\e%f\nExec=evil"), true));
    const QString text = QString::fromUtf8(ReadAll(config.path() + QStringLiteral("/autostart/BrivaneTest.desktop")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\\nExec=evil\"\n")))
        << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("\nExec=")), 1);
}

TEST(RunOnStartup, HiddenEntryCountsAsAbsentAndFailuresAreLogged)
{
    QTemporaryDir config;
    EnvOverride xdg("XDG_CONFIG_HOME", config.path());
    HelperLog log;
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("autostart")));
    ASSERT_TRUE(WriteAll(config.path() + QStringLiteral("/autostart/BrivaneTest.desktop"),
                         "[Desktop Entry]\nType=Application\nExec=\"/x\"\nHidden=true\n"));
    EXPECT_FALSE(RunOnStartupExists(QStringLiteral("BrivaneTest")));

    // The autostart folder cannot be made where a file is in the way.
    QTemporaryDir blocked;
    EnvOverride xdg2("XDG_CONFIG_HOME", blocked.path());
    ASSERT_TRUE(WriteAll(blocked.path() + QStringLiteral("/autostart"), "not a folder"));
    EXPECT_FALSE(SetRunOnStartup(QStringLiteral("BrivaneTest"), QStringLiteral("/x"), true));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Error: RunOnStartup: Enable Run on startupCannot create folder")));
}

TEST(RecycleBin, MovesIntoTheTrashEvenWhenTheDataFolderIsMissing)
{
    QTemporaryDir root;
    const QString dataHome = root.path() + QStringLiteral("/fresh/share");
    EnvOverride xdg("XDG_DATA_HOME", dataHome);
    const QString victim = root.path() + QStringLiteral("/Meeting__draft_.tsk");
    ASSERT_TRUE(WriteAll(victim, "reminder"));
    const QString cwdFiles = QDir::current().filePath(QStringLiteral("files"));
    const bool cwdFilesBefore = QFileInfo::exists(cwdFiles);

    EXPECT_TRUE(Trash::MoveToTrash(victim));
    EXPECT_FALSE(QFile::exists(victim));
    EXPECT_EQ(ReadAll(dataHome + QStringLiteral("/Trash/files/Meeting__draft_.tsk")), QByteArray("reminder"));
    EXPECT_TRUE(QFile::exists(dataHome + QStringLiteral("/Trash/info/Meeting__draft_.tsk.trashinfo")));
    EXPECT_EQ(QFileInfo::exists(cwdFiles), cwdFilesBefore);

    EXPECT_FALSE(Trash::MoveToTrash(victim));
    EXPECT_FALSE(Trash::MoveToTrash(QString()));
}

TEST(Images, NumberedPicturesFillTheListWithLimeTransparent)
{
    QStringList asked;
    const TPictureSource source = [&asked](const QString &name) {
        asked << name;
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(QColor(10 * (asked.size()), 0, 200));
        img.setPixelColor(0, 0, QColor(0, 255, 0));
        return img;
    };
    TImageList list(16, 16);
    LoadNumberedImages(source, list, 3, QStringLiteral("TB16_"));
    // Each picture comes with its variant for dense screens.
    EXPECT_EQ(asked, (QStringList{"TB16_0", "TB16_0@2x", "TB16_1", "TB16_1@2x", "TB16_2", "TB16_2@2x"}));
    ASSERT_EQ(list.Count(), 3);
    const QImage second = list.Pixmap(1).toImage();
    EXPECT_EQ(second.pixelColor(5, 5), QColor(30, 0, 200));
    EXPECT_EQ(second.pixelColor(0, 0).alpha(), 0);
    const QPixmap secondDense = list.Pixmap(1, 2.0);
    EXPECT_EQ(secondDense.size(), QSize(32, 32));
    EXPECT_EQ(secondDense.toImage().pixelColor(10, 10), QColor(40, 0, 200));

    LoadImage(source, list, 1, QStringLiteral("TB16_12"));
    EXPECT_EQ(asked.mid(asked.size() - 2), (QStringList{"TB16_12", "TB16_12@2x"}));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Pixmap(1).toImage().pixelColor(5, 5), QColor(70, 0, 200));
    EXPECT_EQ(list.Pixmap(0).toImage().pixelColor(5, 5), QColor(10, 0, 200));
}

TEST(ShellHelpers, ContactMailWithoutMailProgramWarnsOnce)
{
    Shell::FakeShell shell;
    HelperLog log;
    TScriptedAnswers boxes;
    shell.Result = Shell::kNoAssociation;
    SendContactEmail(shell, &boxes, QStringLiteral("contact@brivane.example.org"), QStringLiteral("Hello"),
                     QStringLiteral("Q&A #1"));
    ASSERT_EQ(shell.Opened.size(), 1);
    EXPECT_EQ(shell.Opened[0],
              QStringLiteral("mailto:contact@brivane.example.org?subject=Hello&body=Q%26A%20%231"));
    EXPECT_EQ(boxes.Texts, QStringList{"Error 14: No mail client installed."});
    EXPECT_TRUE(
        log.Text().contains(QStringLiteral("Warning: SendContactEMail: No mail client installed? ErrorCode: 31")));

    shell.Result = Shell::kSuccess;
    SendContactEmail(shell, &boxes, QStringLiteral("a@b.example"), QStringLiteral("Hi"), QString());
    EXPECT_EQ(boxes.Texts.size(), 1);

    OpenWithShell(shell, QStringLiteral("https://brivane.example.org/help"));
    EXPECT_EQ(shell.Opened.last(), QStringLiteral("https://brivane.example.org/help"));
}

TEST(OSVersion, KeepsTheOldOneLineForm)
{
    EXPECT_EQ(FormatOSVersionText(QStringLiteral("linux"), QStringLiteral("6.1.0-13-amd64"),
                                  QStringLiteral("Debian GNU/Linux 12 (bookworm)")),
              QStringLiteral("Linux Version 6.1 (Build 0: Debian GNU/Linux 12 (bookworm))"));
    EXPECT_EQ(FormatOSVersionText(QStringLiteral("linux"), QStringLiteral("5.15"), QStringLiteral("X")),
              QStringLiteral("Linux Version 5.15 (Build 0: X)"));
    EXPECT_EQ(FormatOSVersionText(QStringLiteral("linux"), QString(), QStringLiteral("X")), QString());
    EXPECT_TRUE(OSVersionText().contains(
        QRegularExpression(QStringLiteral("^Linux Version \\d+\\.\\d+ \\(Build \\d+: .*\\)$"))))
        << OSVersionText().toStdString();
}
