#include "tests/fakes/FakeClock.h"

#include "core/DateTime.h"

#include <optional>

namespace {
class PinnedSource : public Clock::ISource {
public:
    double Now() const override { return Value; }
    long long SteadyMs() const override { return Steady; }
    int UtcOffsetSeconds() const override { return Utc ? UtcOffsetAt(*Utc) : ISource::UtcOffsetSeconds(); }
    double Value = 0.0;
    std::optional<double> Utc;
    long long Steady = 0;
};
PinnedSource g_pinned;
bool g_isPinned = false;
} // namespace

namespace Clock {

void Pin(double when)
{
    if (!g_isPinned)
        g_pinned.Steady = g_pinned.ISource::SteadyMs();
    g_pinned.Value = when;
    g_pinned.Utc.reset();
    g_isPinned = true;
    SetSource(&g_pinned);
}

void Advance(double days)
{
    g_pinned.Value += days;
    if (g_pinned.Utc) {
        *g_pinned.Utc += days;
        g_pinned.Value = *g_pinned.Utc + UtcOffsetAt(*g_pinned.Utc) / 86400.0;
    }
    g_pinned.Steady += static_cast<long long>(days * 86400000.0 + (days < 0 ? -0.5 : 0.5));
}

void PinUtc(double utc)
{
    Pin(utc + UtcOffsetAt(utc) / 86400.0);
    g_pinned.Utc = utc;
}

void Unpin()
{
    g_isPinned = false;
    SetSource(nullptr);
}

bool IsPinned()
{
    return g_isPinned;
}

} // namespace Clock
