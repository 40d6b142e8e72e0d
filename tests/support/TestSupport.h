#pragma once
// Shared helpers for the unit tests.

#include "tests/fakes/FakeClock.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace TestSupport {

// Pins the clock for the scope of a test.
class PinnedClock {
public:
    explicit PinnedClock(double when) { Clock::Pin(when); }
    ~PinnedClock() { Clock::Unpin(); }
};

QByteArray ReadAll(const QString &path);
bool WriteAll(const QString &path, const QByteArray &bytes);

} // namespace TestSupport
