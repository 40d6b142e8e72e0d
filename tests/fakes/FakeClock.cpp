#include "tests/fakes/FakeClock.h"

namespace {
class PinnedSource : public Clock::ISource {
public:
    double Now() const override { return Value; }
    double Value = 0.0;
};
PinnedSource g_pinned;
bool g_isPinned = false;
} // namespace

namespace Clock {

void Pin(double when)
{
    g_pinned.Value = when;
    g_isPinned = true;
    SetSource(&g_pinned);
}

void Advance(double days)
{
    g_pinned.Value += days;
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
