#pragma once
// Start-up and shut-down: the module initializations in order, the main
// sequence, and the finalizations in reverse order.

#include <QString>
#include <functional>

class ISessionEndSource;
class QWidget;
class TPalvaroApplication;
class TPreferences;

namespace InitApp {

// A module whose initialization has begun: its finalization runs at program end
// and also when the program halts, in reverse order of beginning.
void BeginModule(const QString &name, std::function<void()> finalization);
// Runs the finalizations once, newest first.
void RunFinalizations();

// Saves the store when one was read at start-up (TerminateApplication's step).
void SaveStoreNow();
// The clock check against the last recorded run: when the clock is behind
// it, the user may open the date/time settings, which ends the program.
void CheckRunPastDate(TPalvaroApplication &app, const TPreferences &prefs);

// Phase 1; false when start-up must go no further.
bool InitializeModules();
// Phase 2: single instance, clock check, tray window, splash, event loop.
// sessionEnd: handed to the hidden window, which ends the program when it fires.
int RunMainSequence(ISessionEndSource *sessionEnd);
// Frees the windows that no other window owns, at the end of the program.
void DeleteTopLevelWindows();
// The whole program: both phases and the shut-down; always 0.
int Run(int &argc, char **argv);

} // namespace InitApp
