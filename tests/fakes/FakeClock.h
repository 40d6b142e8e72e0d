#pragma once
// A clock tests can pin and move. While pinned, Clock::Now() returns the
// pinned value; unpinned, the system clock is back.

#include "core/Clock.h"

namespace Clock {

void Pin(double when);
void Advance(double days);
void Unpin();
bool IsPinned();

} // namespace Clock
