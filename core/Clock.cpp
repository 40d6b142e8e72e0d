#include "core/Clock.h"

#include "core/DateTime.h"

#include <QDateTime>
#include <cmath>
#include <ctime>

namespace {
const Clock::ISource *g_source = nullptr;

// The boot-time clock counts through suspend, unlike the monotonic one, so a
// sleep does not look like the clock being set.
long long SystemSteadyMs()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
} // namespace

namespace Clock {

double Now()
{
    if (g_source)
        return g_source->Now();
    return DateTimeFromQDateTime(QDateTime::currentDateTime());
}

int UtcOffsetSeconds()
{
    if (g_source)
        return g_source->UtcOffsetSeconds();
    return QDateTime::currentDateTime().offsetFromUtc();
}

int ISource::UtcOffsetSeconds() const
{
    TDateTime earlier, later;
    LocalReadings(Now(), earlier, later);
    return int(std::lround((Now() - earlier) * 86400.0));
}

double Today()
{
    return std::floor(Now());
}

long long SteadyMs()
{
    return g_source ? g_source->SteadyMs() : SystemSteadyMs();
}

long long ISource::SteadyMs() const
{
    return SystemSteadyMs();
}

void SetSource(const ISource *source)
{
    g_source = source;
}

} // namespace Clock
