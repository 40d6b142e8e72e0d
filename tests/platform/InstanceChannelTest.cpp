#include "platform/InstanceChannel.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <future>
#include <gtest/gtest.h>

namespace {

QString UniqueName(const char *tag)
{
    return QStringLiteral("BrivaneChannelTest-%1-%2").arg(QLatin1String(tag)).arg(QCoreApplication::applicationPid());
}

// The client blocks, so it runs on its own thread while this one serves.
template <typename T>
T Serve(std::future<T> &pending, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (pending.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pending.get();
}

bool WaitFor(const std::function<bool()> &done, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct Channel : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(channel.Listen(name)); }
    std::future<InstanceClient::TResult> SendAsync(const TInstanceRequest &request, int answerMs = 5000)
    {
        const QString server = channel.ServerName();
        return std::async(std::launch::async, [server, request, answerMs] {
            return InstanceClient::Send(server, request, 2000, answerMs);
        });
    }
    const QString name = UniqueName("srv");
    TInstanceChannel channel;
};

} // namespace

TEST_F(Channel, CommandAndAnswerCrossInBothDirectionsAndLater)
{
    const TInstanceRequest request{{"add", "Tee 茶 ☕", "--note", QString(70000, QChar(u'ä'))}, "/home/ü"};
    std::vector<TInstanceRequest> seen;
    QPointer<TInstanceReply> held;
    QObject::connect(&channel, &TInstanceChannel::CommandRequested, &channel, [&](TInstanceReply *reply) {
        seen.push_back(reply->Request());
        held = reply;
        // Answered from the event loop, after the handler returned.
        QTimer::singleShot(50, reply, [reply] { reply->Answer({2, "out ✓\n", "--at: not a time\n"}); });
    });
    auto pending = SendAsync(request);
    const InstanceClient::TResult result = Serve(pending);
    ASSERT_EQ(result.Outcome, InstanceClient::TOutcome::Answered) << result.Reason.toStdString();
    EXPECT_EQ(result.Answer, (TInstanceAnswer{2, "out ✓\n", "--at: not a time\n"}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], request);
    // Once the answer is out, the connection and its reply go.
    EXPECT_TRUE(WaitFor([&] { return held.isNull(); }));
}

TEST(InstanceChannel, TheShowMessageOfASecondStartStillArrives)
{
    TSingleInstance secondStart(UniqueName("show"));
    TInstanceChannel running;
    ASSERT_TRUE(running.Listen(secondStart.ServerName()));
    QSignalSpy shows(&running, &TInstanceChannel::ShowRequested);
    QSignalSpy commands(&running, &TInstanceChannel::CommandRequested);
    ASSERT_TRUE(secondStart.PostShowSignal());
    EXPECT_TRUE(WaitFor([&] { return !shows.isEmpty(); }));
    ASSERT_EQ(shows.size(), 1);
    EXPECT_EQ(shows.at(0).at(0).toInt(), 3);
    EXPECT_TRUE(commands.isEmpty());
}

TEST_F(Channel, NoCopyGivesUpAndACopyThatNeverAnswersTimesOut)
{
    const InstanceClient::TResult none = InstanceClient::Send(UniqueName("nobody"), {{"list"}, "/"}, 200, 200);
    EXPECT_EQ(none.Outcome, InstanceClient::TOutcome::NoCopy);
    EXPECT_FALSE(none.Reason.isEmpty());

    QPointer<TInstanceReply> held;
    QObject::connect(&channel, &TInstanceChannel::CommandRequested, &channel,
                     [&](TInstanceReply *reply) { held = reply; });
    auto pending = SendAsync({{"list"}, "/"}, 300);
    const InstanceClient::TResult silent = Serve(pending);
    EXPECT_EQ(silent.Outcome, InstanceClient::TOutcome::NoAnswer);
    // The caller gave up: an answer kept for it has nobody left to go to.
    EXPECT_TRUE(WaitFor([&] { return held.isNull(); }));
}

TEST_F(Channel, GarbageAndOversizedFramesAreDroppedAndTheNextCallerIsServed)
{
    QSignalSpy commands(&channel, &TInstanceChannel::CommandRequested);
    for (const QByteArray &junk :
         {QByteArray("cmd 99999999999\n"), QByteArray("hello\n"), QByteArray("cmd 3\nabc"), QByteArray(100000, 'x')}) {
        QLocalSocket socket;
        socket.connectToServer(name);
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(junk);
        socket.waitForBytesWritten(1000);
        EXPECT_TRUE(WaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; })) << junk.constData();
    }
    EXPECT_TRUE(commands.isEmpty());

    QObject::connect(&channel, &TInstanceChannel::CommandRequested, &channel, [](TInstanceReply *reply) {
        reply->Answer({0, "ok\n", {}});
    });
    auto pending = SendAsync({{"list", "--json"}, "/"});
    EXPECT_EQ(Serve(pending).Answer.Out, "ok\n");
}

TEST(InstanceFrames, DamagedPayloadsAreRefused)
{
    const QByteArray frame = InstanceFrames::Request({{"list"}, "/tmp"});
    const QByteArray payload = frame.mid(frame.indexOf('\n') + 1);
    ASSERT_TRUE(InstanceFrames::ReadRequest(payload));
    EXPECT_FALSE(InstanceFrames::ReadRequest(payload.left(payload.size() - 1)));
    EXPECT_FALSE(InstanceFrames::ReadRequest(payload + 'x'));
    QByteArray otherFormat = payload;
    otherFormat[3] = 2; // the format number, big-endian
    EXPECT_FALSE(InstanceFrames::ReadRequest(otherFormat));
}
