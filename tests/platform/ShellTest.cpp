#include "platform/Shell.h"
#include "tests/support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

// Sets an environment variable for the scope of a test.
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

// A program (that needs nothing from PATH) that writes its arguments, one a line, then its working folder,
// into the file marker (through a temporary name, so a reader never sees half).
bool WriteRecorder(const QString &path, const QString &marker)
{
    const QByteArray m = marker.toUtf8();
    const QByteArray script = "#!/bin/sh\n{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; pwd; } > '" + m
                              + ".tmp'\n/bin/mv '" + m + ".tmp' '" + m + "'\n";
    return WriteAll(path, script)
           && QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The recorder's lines once it has run, joined by "|"; empty when it did not
// run within a few seconds.
std::string RecordedLines(const QString &marker)
{
    QDeadlineTimer deadline(10000);
    while (!QFileInfo::exists(marker) && !deadline.hasExpired())
        QThread::msleep(20);
    QStringList lines = QString::fromUtf8(ReadAll(marker)).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QFile::remove(marker);
    return lines.join(QLatin1Char('|')).toStdString();
}

std::string Joined(const QStringList &lines)
{
    return lines.join(QLatin1Char('|')).toStdString();
}

// What the program's shell answers, started the way the program starts it.
int OpenWithDesktopShell(const QString &target, const QString &parameters = QString())
{
    return Shell::CreateDesktopShell()->Open(target, parameters, QString());
}

} // namespace

TEST(ShellOpen, BareProgramNamesAreLookedUpOnPathNeverInTheCurrentFolder)
{
    QTemporaryDir root;
    const QString r = root.path() + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(r + "bin") && QDir().mkpath(r + "cwd") && QDir().mkpath(r + "home"));
    const QString marker = r + "marker";
    ASSERT_TRUE(WriteRecorder(r + "bin/brivane-recorder", marker));
    EnvOverride path("PATH", QStringLiteral("/nonexistent-brivane:") + r + "bin");
    EnvOverride home("HOME", r + "home");

    EXPECT_EQ(OpenWithDesktopShell(QStringLiteral("brivane-recorder"), QStringLiteral("-center \"two words\"")),
              Shell::kSuccess);
    EXPECT_EQ(RecordedLines(marker), Joined({"-center", "two words", r + "home"}))
        << "arguments, then the working folder: the user's home";

    // A program lying in the current folder but not on PATH is not started,
    // and neither is a file on PATH that is not executable.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(r + "cwd"));
    ASSERT_TRUE(WriteRecorder(r + "cwd/brivane-local", marker));
    ASSERT_TRUE(WriteAll(r + "bin/brivane-plain", "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n"));
    const int local = OpenWithDesktopShell(QStringLiteral("brivane-local"));
    const int plain = OpenWithDesktopShell(QStringLiteral("brivane-plain"));
    const int missing = OpenWithDesktopShell(QStringLiteral("brivane-no-such-program"));
    QDir::setCurrent(before);
    EXPECT_EQ(local, Shell::kFileNotFound);
    EXPECT_EQ(plain, Shell::kFileNotFound);
    EXPECT_EQ(missing, Shell::kFileNotFound);
    QThread::msleep(200);
    EXPECT_FALSE(QFileInfo::exists(marker)) << "a program outside PATH was started";
}

TEST(ShellOpen, HomeFolderAndQuotedPathsWithBlanks)
{
    QTemporaryDir root;
    const QString r = root.path() + QLatin1Char('/');
    const QString marker = r + "marker";
    ASSERT_TRUE(QDir().mkpath(r + "home/my tools"));
    ASSERT_TRUE(WriteRecorder(r + "home/my tools/rec", marker));
    EnvOverride home("HOME", r + "home");
    EnvOverride path("PATH", r + "nowhere");

    EXPECT_EQ(OpenWithDesktopShell(QStringLiteral("~/my tools/rec"), QStringLiteral("a")), Shell::kSuccess);
    EXPECT_EQ(RecordedLines(marker), Joined({"a", r + "home/my tools"}));

    // Quoted as pasted from a file manager; what follows the closing quote
    // comes before the parameters, still without a shell.
    const QString quoted = QLatin1Char('"') + r + "home/my tools/rec\"";
    EXPECT_EQ(OpenWithDesktopShell(quoted, QStringLiteral("b")), Shell::kSuccess);
    EXPECT_EQ(RecordedLines(marker), Joined({"b", r + "home/my tools"}));
    EXPECT_EQ(OpenWithDesktopShell(QStringLiteral("\"~/my tools/rec\" -x \"y z\""), QStringLiteral("$(id)")), Shell::kSuccess);
    EXPECT_EQ(RecordedLines(marker), Joined({"-x", "y z", "$(id)", r + "home/my tools"}));

    // Missing below the home folder: the usual codes.
    EXPECT_EQ(OpenWithDesktopShell(QStringLiteral("~/my tools/gone")), Shell::kFileNotFound);
    EXPECT_EQ(OpenWithDesktopShell(QStringLiteral("\"~/no folder/rec\"")), Shell::kPathNotFound);
}
