#pragma once
// A clock-change source that announces a set clock when the test says so.

#include "platform/ClockChange.h"

class FakeClockChangeSource : public IClockChangeSource {
    Q_OBJECT
public:
    using IClockChangeSource::IClockChangeSource;
    void ClockWasSet() { emit ClockSet(); }
};
