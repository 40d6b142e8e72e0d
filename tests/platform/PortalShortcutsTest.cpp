#include "platform/PortalShortcuts.h"
#include "platform/SessionType.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kAdd = 10;
constexpr int kList = 11;

const char *const kBusConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*" eavesdrop="true"/><allow receive_sender="*"/>
  </policy>
</busconfig>
)";

bool WaitFor(const std::function<bool()> &done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A bus of the test's own, never the desktop's, with the fake portal on it.
struct PortalBus : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString socket = dir.filePath("bus");
        QFile config(dir.filePath("bus.conf"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QString::fromLatin1(kBusConfig).arg(socket).toUtf8());
        config.close();
        daemon.start("/usr/bin/dbus-daemon", {"--config-file=" + config.fileName(), "--nofork", "--nopidfile"});
        ASSERT_TRUE(daemon.waitForStarted(5000));
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(socket); })) << "no bus socket";
        address = "unix:path=" + socket;
        connectionName = QStringLiteral("portal-test-%1").arg(++connections);
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(connectionName);
        for (QProcess *p : {&fake, &daemon}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(1000);
            }
        }
    }
    // Starts the fake with its options, then connects.
    void StartPortal(const QStringList &options = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);
        fake.setProcessEnvironment(env);
        fake.start("/usr/bin/python3",
                   QStringList{"-B", BRIVANE_SOURCE_DIR "/tests/e2e/helper/fake_portal.py", dir.filePath("record.txt")}
                       + options);
        ASSERT_TRUE(fake.waitForStarted(5000));
        ASSERT_TRUE(WaitFor([&] { return fake.canReadLine() || fake.state() == QProcess::NotRunning; }, 10000));
        ASSERT_EQ(fake.readLine().trimmed(), "ready") << fake.readAllStandardError().toStdString();
    }
    QDBusConnection Bus() { return QDBusConnection::connectToBus(address, connectionName); }
    QStringList Record()
    {
        QFile f(dir.filePath("record.txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                           : QStringList();
    }
    void Activate(const QString &id)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(
            "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", "org.example.FakePortal", "Activate");
        m << id;
        const QDBusMessage reply = Bus().call(m, QDBus::BlockWithGui, 5000);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    const QHash<int, TPortalHotKeys::TShortcutName> names{{kAdd, {"add-reminder", "Add a reminder"}},
                                                          {kList, {"open-reminders", "Open the reminders"}}};
    QTemporaryDir dir;
    QProcess daemon, fake;
    QString address, connectionName;
    static inline int connections = 0;
};

} // namespace

TEST_F(PortalBus, BothKeysAreBoundInOneRequestAndActivationsOpenTheirWindows)
{
    StartPortal();
    EXPECT_EQ(TPortalHotKeys::PortalVersion(Bus()), 1u);
    QString sessionPath;
    {
        TPortalHotKeys keys(Bus(), names);
        std::vector<int> pressed;
        QObject::connect(&keys, &IHotKeys::Pressed, [&](int id) { pressed.push_back(id); });
        QSignalSpy bound(&keys, &TPortalHotKeys::Bound);
        EXPECT_EQ(keys.Register(kList, QChar(u't')), IHotKeys::TResult::Registered);
        EXPECT_EQ(keys.Register(kAdd, QChar(u'a')), IHotKeys::TResult::Registered);
        ASSERT_TRUE(WaitFor([&] { return !bound.isEmpty(); })) << Record().join(" | ").toStdString();
        const QStringList afterBind = Record();
        ASSERT_GE(afterBind.size(), 4);
        EXPECT_TRUE(afterBind[0].startsWith("session /org/freedesktop/portal/desktop/session/"));
        sessionPath = afterBind[0].mid(8);
        EXPECT_EQ(afterBind.mid(1),
                  QStringList({"bind add-reminder CTRL+SHIFT+A", "bind open-reminders CTRL+SHIFT+T", "bound 2"}));
        const auto triggers = bound.at(0).at(0).value<QMap<QString, QString>>();
        EXPECT_EQ(triggers.value("open-reminders"), "Press CTRL+SHIFT+T");

        Activate("open-reminders");
        Activate("add-reminder");
        ASSERT_TRUE(WaitFor([&] { return pressed.size() == 2; }));
        EXPECT_EQ(pressed, (std::vector<int>{kList, kAdd}));

        // A key given up is bound no more and opens nothing.
        keys.Unregister(kAdd);
        ASSERT_TRUE(WaitFor([&] { return bound.size() == 2; }));
        EXPECT_EQ(Record().mid(afterBind.size() + 2), QStringList({"bind open-reminders CTRL+SHIFT+T", "bound 1"}));
        Activate("add-reminder");
        Activate("open-reminders");
        ASSERT_TRUE(WaitFor([&] { return pressed.size() == 3; }));
        EXPECT_EQ(pressed.back(), kList);
    }
    // The program's end closes its session: the desktop frees the keys.
    EXPECT_TRUE(WaitFor([&] { return Record().contains("closed " + sessionPath); }));
}

TEST_F(PortalBus, WithoutTheInterfaceOrThePortalKeysAreUnsupported)
{
    // No portal on the bus at all.
    EXPECT_EQ(TPortalHotKeys::PortalVersion(Bus()), 0u);
    StartPortal({"--no-shortcuts"});
    EXPECT_EQ(TPortalHotKeys::PortalVersion(Bus()), 0u);
    TPortalHotKeys keys(Bus(), names);
    EXPECT_EQ(keys.Register(kList, QChar(u'T')), IHotKeys::TResult::Unsupported);
    QCoreApplication::processEvents();
    EXPECT_FALSE(keys.SessionOpen());
    EXPECT_TRUE(Record().isEmpty());
}

TEST_F(PortalBus, ACancelledBindIsReportedAndAnotherSessionsKeysAreNotOurs)
{
    StartPortal({"--cancel-bind"});
    TPortalHotKeys keys(Bus(), names);
    int pressed = 0;
    QObject::connect(&keys, &IHotKeys::Pressed, [&](int) { ++pressed; });
    QSignalSpy failed(&keys, &TPortalHotKeys::Failed);
    keys.Register(kList, QChar(u'T'));
    ASSERT_TRUE(WaitFor([&] { return !failed.isEmpty(); }));
    EXPECT_TRUE(failed.at(0).at(0).toString().contains("cancelled"));

    // A second program's session on the same portal: its activation is not ours.
    {
        TPortalHotKeys other(QDBusConnection::connectToBus(address, connectionName + "-other"), names);
        QSignalSpy otherFailed(&other, &TPortalHotKeys::Failed);
        other.Register(kList, QChar(u'T'));
        ASSERT_TRUE(WaitFor([&] { return !otherFailed.isEmpty(); }));
        Activate("open-reminders"); // goes to the newest session: the other one
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QDBusConnection::disconnectFromBus(connectionName + "-other");
    EXPECT_EQ(pressed, 0);
}

TEST(SessionType, WaylandGetsXWaylandUnlessTheUserChoseAPlatform)
{
    const QByteArray oldSession = qgetenv("XDG_SESSION_TYPE");
    const QByteArray oldPlatform = qgetenv("QT_QPA_PLATFORM");
    const struct {
        const char *Session; // nullptr: unset
        const char *Platform;
        const char *Expected; // QT_QPA_PLATFORM afterwards, nullptr: unset
        bool Logged;
    } cases[] = {{nullptr, nullptr, nullptr, false},      {"x11", nullptr, nullptr, false},
                 {"wayland", nullptr, "xcb", true},       {"Wayland", nullptr, "xcb", true},
                 {"wayland", "wayland", "wayland", true}, {"x11", "offscreen", "offscreen", false}};
    for (const auto &c : cases) {
        c.Session ? qputenv("XDG_SESSION_TYPE", c.Session) : qunsetenv("XDG_SESSION_TYPE");
        c.Platform ? qputenv("QT_QPA_PLATFORM", c.Platform) : qunsetenv("QT_QPA_PLATFORM");
        const QString line = SessionType::KeepX11Windows();
        const std::string what = std::string(c.Session ? c.Session : "-") + "/" + (c.Platform ? c.Platform : "-");
        EXPECT_EQ(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"), c.Expected != nullptr) << what;
        if (c.Expected) {
            EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), c.Expected) << what;
        }
        EXPECT_EQ(!line.isEmpty(), c.Logged) << what;
    }
    oldSession.isNull() ? qunsetenv("XDG_SESSION_TYPE") : qputenv("XDG_SESSION_TYPE", oldSession);
    oldPlatform.isNull() ? qunsetenv("QT_QPA_PLATFORM") : qputenv("QT_QPA_PLATFORM", oldPlatform);
}
