#pragma once
// Shared helpers for the unit tests.

#include "platform/LegacyMessageBox.h"
#include "tests/fakes/FakeClock.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace TestSupport {

TMsgResult DefaultMessageBoxAnswer(const QString &text, TMsgIcon, TMsgButtons, const QString &title);

// Records every message box and answers with a chosen result while alive.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(TMsgResult answer = TMsgResult::Ok);
    ~MessageBoxRecorder();
    QStringList Texts;
    QStringList Titles;
    TMsgResult Answer;
    std::function<TMsgResult(const QString &)> Decide; // overrides Answer when set
};

// Pins the clock for the scope of a test.
class PinnedClock {
public:
    explicit PinnedClock(double when) { Clock::Pin(when); }
    ~PinnedClock() { Clock::Unpin(); }
};

QByteArray ReadAll(const QString &path);
bool WriteAll(const QString &path, const QByteArray &bytes);

} // namespace TestSupport
