#pragma once
// Opens the one preferences window from the tray front's entry point (the
// tray menu, About, and the Reminders window's commands reach it there), or
// brings the open one forward, and hands it the program's services.

struct TAppContext;
class Thddnorm;

namespace PreferencesWindow {
// Opens the window on the tray front's PreferencesWindowRequested and puts the stored tooltip time
// in force.
void Wire(TAppContext &context, Thddnorm &tray);
} // namespace PreferencesWindow
