#include "core/Clock.h"

#include "core/DateTime.h"

#include <QDateTime>
#include <cmath>

namespace {
const Clock::ISource *g_source = nullptr;
} // namespace

namespace Clock {

double Now()
{
    if (g_source)
        return g_source->Now();
    return DateTimeFromQDateTime(QDateTime::currentDateTime());
}

double Today()
{
    return std::floor(Now());
}

void SetSource(const ISource *source)
{
    g_source = source;
}

} // namespace Clock
