#pragma once
// The one place the program reads the wall clock. Tests install a source of
// their own (see tests/fakes) to pin or move it.

namespace Clock {

// Local time as days since 30 Dec 1899, millisecond resolution.
double Now();
// Today's date (whole days) of Now().
double Today();

class ISource {
public:
    virtual ~ISource() = default;
    virtual double Now() const = 0;
};
// Replaces the system clock; nullptr restores it.
void SetSource(const ISource *source);

} // namespace Clock
