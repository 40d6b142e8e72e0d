#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
QString UniqueName(const char *tag)
{
    return QStringLiteral("BrivaneTest-%1-%2").arg(QLatin1String(tag)).arg(QCoreApplication::applicationPid());
}
} // namespace

TEST(SingleInstance, SecondHolderSeesTheFirstAndItsSignalArrives)
{
    TSingleInstance first(UniqueName("pair"));
    ASSERT_FALSE(first.AlreadyExists());
    TSingleInstance second(UniqueName("pair"));
    EXPECT_TRUE(second.AlreadyExists());

    // Nobody listening yet (first copy still starting): the post succeeds silently.
    EXPECT_TRUE(second.PostShowSignal());

    ASSERT_TRUE(first.Listen());
    QSignalSpy spy(&first, &TSingleInstance::ShowRequested);
    EXPECT_TRUE(second.PostShowSignal());
    QElapsedTimer t;
    t.start();
    while (spy.isEmpty() && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 3);
}

TEST(SingleInstance, LeftoversOfACrashedCopyDoNotBlockTheNextStart)
{
    const QString name = UniqueName("stale");
    TSingleInstance probe(name);
    // A lock naming a process that no longer exists, and a dead socket file.
    QFile lock(probe.LockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write("999999\n" + QCoreApplication::applicationName().toUtf8() + "\n" + QHostInfo::localHostName().toUtf8()
               + "\n");
    lock.close();
    QFile sock(probe.ServerName());
    ASSERT_TRUE(sock.open(QIODevice::WriteOnly));
    sock.close();

    TSingleInstance next(name);
    EXPECT_FALSE(next.AlreadyExists());
    EXPECT_TRUE(next.Listen());
}
