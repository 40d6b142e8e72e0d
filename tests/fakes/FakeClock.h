#pragma once
// A clock tests can pin and move. While pinned, Clock::Now() returns the
// pinned value; unpinned, the system clock is back.

#include "core/Clock.h"

namespace Clock {

// Pinning again while pinned sets the wall clock: the steady clock stays.
void Pin(double when);
// Time passing: the wall clock and the steady clock move together.
void Advance(double days);
// Pins the local time of a UTC instant by the zone's rules, keeping its offset,
// so that the two passes of a repeated hour stay apart.
void PinUtc(double utc);
void Unpin();
bool IsPinned();

} // namespace Clock
