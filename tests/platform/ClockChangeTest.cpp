#include "platform/ClockChange.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/SignalCounter.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cerrno>

// A set clock cannot be made here without setting the host's clock, which no
// test may do: these tests arm the real timer and drive its read path.
namespace {

class TProbedSource : public TLinuxClockChangeSource {
public:
    TProbedSource() = default;
    explicit TProbedSource(time_t farPoint)
        : TLinuxClockChangeSource(farPoint, nullptr)
    {
    }
    using TLinuxClockChangeSource::TakeReadResult;
};


} // namespace

TEST(LinuxClockChangeSource, ArmsTheKernelTimerAndStaysQuietWhileTheClockRunsOn)
{
    TestSupport::CapturedLog log;
    TLinuxClockChangeSource source;
    TestSupport::SignalCounter sets(source, &IClockChangeSource::ClockSet);
    EXPECT_TRUE(source.Watching());
    sets.WaitFor(1, 300);
    EXPECT_EQ(sets.count, 0);
    EXPECT_FALSE(log.Text().contains(QStringLiteral("Clock watch")));
}

TEST(LinuxClockChangeSource, ACancelledTimerIsOneChangeAndIsArmedAgain)
{
    TProbedSource source;
    TestSupport::SignalCounter sets(source, &IClockChangeSource::ClockSet);
    ASSERT_TRUE(source.Watching());

    source.TakeReadResult(-1, ECANCELED);
    EXPECT_EQ(sets.count, 1);
    EXPECT_TRUE(source.Watching());
    // Armed again, the timer is quiet until the next change.
    sets.WaitFor(2, 200);
    EXPECT_EQ(sets.count, 1);
    source.TakeReadResult(-1, ECANCELED);
    EXPECT_EQ(sets.count, 2);
    EXPECT_TRUE(source.Watching());

    // Nothing to read after all: no change, still watching.
    source.TakeReadResult(-1, EAGAIN);
    source.TakeReadResult(-1, EINTR);
    EXPECT_EQ(sets.count, 2);
    EXPECT_TRUE(source.Watching());
}

TEST(LinuxClockChangeSource, AReadThatFailsEndsTheWatchWithAWarningAndNoChange)
{
    TestSupport::CapturedLog log;
    TProbedSource source;
    TestSupport::SignalCounter sets(source, &IClockChangeSource::ClockSet);
    source.TakeReadResult(-1, EBADF);
    EXPECT_EQ(sets.count, 0);
    EXPECT_FALSE(source.Watching());
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Clock watch: reading the timer failed")));
}

TEST(LinuxClockChangeSource, ThePointPassingIsReportedThroughTheRealTimerOnceAndTheWatchEnds)
{
    // A point in 1970 has passed: the kernel makes the timer readable at once.
    TProbedSource source(1);
    TestSupport::SignalCounter sets(source, &IClockChangeSource::ClockSet);
    EXPECT_TRUE(sets.WaitFor(1, 5000));
    EXPECT_FALSE(source.Watching());
    // Not armed at a past point again: that would wake the program on end.
    sets.WaitFor(2, 200);
    EXPECT_EQ(sets.count, 1);
}
