#include "tests/fakes/FakeClock.h"

namespace {
class PinnedSource : public Clock::ISource {
public:
    double Now() const override { return Value; }
    long long SteadyMs() const override { return Steady; }
    double Value = 0.0;
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
    g_isPinned = true;
    SetSource(&g_pinned);
}

void Advance(double days)
{
    g_pinned.Value += days;
    g_pinned.Steady += static_cast<long long>(days * 86400000.0 + (days < 0 ? -0.5 : 0.5));
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
