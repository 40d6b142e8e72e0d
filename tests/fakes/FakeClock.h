#pragma once
// A clock tests can pin and move. While pinned, Clock::Now() returns the
// pinned value; unpinned, the system clock is back.

#include "core/Clock.h"

namespace Clock {

// Pinning again while pinned sets the wall clock: the steady clock stays.
void Pin(double when);
// Time passing: the wall clock and the steady clock move together.
void Advance(double days);
void Unpin();
bool IsPinned();

} // namespace Clock
