#pragma once
// The one place the program reads the wall clock. Tests pin or move it.

namespace Clock {

// Local time as days since 30 Dec 1899, millisecond resolution.
double Now();
// Today's date (whole days) of Now().
double Today();

// Test hooks: while pinned, Now() returns the pinned value (advanced by Advance()).
void Pin(double when);
void Advance(double days);
void Unpin();
bool IsPinned();

} // namespace Clock
