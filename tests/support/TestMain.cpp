// Every unit test runs in a throw-away home: nothing touches the real user's files.
#include "tests/support/SandboxHome.h"
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
    TestSupport::PointHomeAt(home.path(), "test");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    // The program's own login manager object must never reach the machine's:
    // a test that starts the whole program gets a system bus that is not there.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
