// Every unit test runs in a throw-away home: nothing touches the real user's files.
#include "core/MessageBox.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/brivane-test-home-XXXXXX"));
    const QByteArray h = home.path().toUtf8();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_DATA_HOME", h + "/.local/share");
    qputenv("XDG_CACHE_HOME", h + "/.cache");
    qputenv("XDG_DOCUMENTS_DIR", h + "/Documents");
    qputenv("XDG_DESKTOP_DIR", h + "/Desktop");
    qputenv("TMPDIR", h + "/tmp");
    QDir(home.path()).mkpath(QStringLiteral("tmp"));
    QDir(home.path()).mkpath(QStringLiteral("Desktop"));
    QDir(home.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home.path() + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", h + "/run");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/brivane-test-bus");
    // No sound server and only the PulseAudio driver: the real sound player
    // fails cleanly instead of reaching the host's speakers through ALSA.
    qputenv("PULSE_SERVER", "unix:/nonexistent/brivane-test-pulse");
    qputenv("CANBERRA_DRIVER", "pulse");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));

    QApplication app(argc, argv);
    // A test that forgets to answer a box must not hang the run.
    SetMessageBoxHandler(TestSupport::DefaultMessageBoxAnswer);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
