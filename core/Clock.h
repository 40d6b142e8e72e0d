#pragma once
// The one place the program reads the wall clock. Tests install a source of
// their own (see tests/fakes) to pin or move it.

namespace Clock {

// Local time as days since 30 Dec 1899, millisecond resolution.
double Now();
// The offset of Now() from UTC in seconds, summer time included: with Now()
// it tells the two passes of the hour the autumn change repeats apart.
int UtcOffsetSeconds();
// Today's date (whole days) of Now().
double Today();
// Milliseconds on a clock that nobody sets and that goes on counting while the
// machine sleeps: the wall clock moving away from it means the clock was set.
long long SteadyMs();

class ISource {
public:
    virtual ~ISource() = default;
    virtual double Now() const = 0;
    // The zone's offset at Now(), the earlier reading where Now() is ambiguous,
    // unless a source keeps its own.
    virtual int UtcOffsetSeconds() const;
    // The system's steady clock unless a source keeps its own.
    virtual long long SteadyMs() const;
};
// Replaces the system clock; nullptr restores it.
void SetSource(const ISource *source);

} // namespace Clock
