#pragma once
// How the scheduler opens the window of a fired reminder's action without
// knowing any window: the program hands in the desktop's windows, a test a
// recorder.

#include <QString>

enum class TActionKind { Sound, PopupNote, Email, RunProgram, Shutdown, FullMoon };

QString ActionKindName(TActionKind kind);

class IActionWindows {
public:
    virtual ~IActionWindows() = default;
    // Opens and starts the window of one action for the record at index i of
    // the context's list; startAtOnce starts its countdown at one second (run
    // on request). False when there is no window for the kind.
    virtual bool Open(TActionKind kind, int i, bool startAtOnce) = 0;
};
