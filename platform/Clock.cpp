#include "platform/Clock.h"

#include "app/DateTime.h"

#include <QDateTime>
#include <cmath>

namespace {
bool g_pinned = false;
double g_pinnedValue = 0.0;
} // namespace

namespace Clock {

double Now()
{
    if (g_pinned)
        return g_pinnedValue;
    return DateTimeFromQDateTime(QDateTime::currentDateTime());
}

double Today()
{
    return std::floor(Now());
}

void Pin(double when)
{
    g_pinned = true;
    g_pinnedValue = when;
}

void Advance(double days)
{
    g_pinnedValue += days;
}

void Unpin()
{
    g_pinned = false;
}

bool IsPinned()
{
    return g_pinned;
}

} // namespace Clock
