#include "platform/ClockChange.h"

#include "core/vornLogFile.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {
// The far point the timer waits for. The kernel will not let the clock be set
// anywhere near the largest time it keeps (in 2262), so with a 64-bit time_t
// this point never arrives; with a 32-bit one it is early in 2038.
constexpr time_t kFarPoint = std::numeric_limits<time_t>::max();

QString ErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}
} // namespace

TLinuxClockChangeSource::TLinuxClockChangeSource(QObject *parent)
    : TLinuxClockChangeSource(kFarPoint, parent)
{
}

TLinuxClockChangeSource::TLinuxClockChangeSource(time_t farPoint, QObject *parent)
    : IClockChangeSource(parent)
    , FFarPoint(farPoint)
{
    FFd = ::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    if (FFd < 0) {
        LogError(QStringLiteral("Clock watch: no timer (") + ErrorText(errno)
                 + QStringLiteral("); a set clock is noticed at the next pass"));
        return;
    }
    if (!Arm()) {
        StopWatching();
        return;
    }
    FNotifier = new QSocketNotifier(FFd, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TLinuxClockChangeSource::OnReadable);
}

TLinuxClockChangeSource::~TLinuxClockChangeSource()
{
    StopWatching();
}

bool TLinuxClockChangeSource::Watching() const
{
    if (FFd < 0 || !FNotifier || !FNotifier->isEnabled())
        return false;
    itimerspec current{};
    return ::timerfd_gettime(FFd, &current) == 0 && (current.it_value.tv_sec != 0 || current.it_value.tv_nsec != 0);
}

bool TLinuxClockChangeSource::Arm()
{
    itimerspec farAway{};
    farAway.it_value.tv_sec = FFarPoint;
    if (::timerfd_settime(FFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &farAway, nullptr) == 0)
        return true;
    LogError(QStringLiteral("Clock watch: the timer could not be armed (") + ErrorText(errno)
             + QStringLiteral("); a set clock is noticed at the next pass"));
    return false;
}

void TLinuxClockChangeSource::StopWatching()
{
    delete FNotifier;
    FNotifier = nullptr;
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
}

void TLinuxClockChangeSource::OnReadable()
{
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(FFd, &expirations, sizeof expirations);
    TakeReadResult(static_cast<long>(n), n < 0 ? errno : 0);
}

void TLinuxClockChangeSource::TakeReadResult(long n, int err)
{
    if (n < 0 && err == ECANCELED) {
        // Until it is armed again the timer reads as cancelled, but it no
        // longer wakes anyone: arm first, then tell.
        if (!Arm())
            StopWatching();
        emit ClockSet();
        return;
    }
    if (n < 0) {
        if (err == EAGAIN || err == EINTR)
            return; // nothing to read after all
        LogError(QStringLiteral("Clock watch: reading the timer failed (") + ErrorText(err)
                 + QStringLiteral("); a set clock is noticed at the next pass"));
        StopWatching();
        return;
    }
    LogInfo(QStringLiteral("Clock watch: the clock was set past the timer's far point; watching ends"));
    StopWatching();
    emit ClockSet();
}
