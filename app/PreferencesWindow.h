#pragma once
// The one preferences window: opened from the tray front's entry point (the
// tray menu, About, and the Reminders window's commands reach it there), or
// the open one brought forward. The window is made here with the program's
// services and its signals are connected once.

struct TAppContext;
class Thddnorm;

namespace PreferencesWindow {
// Opens the window, or brings the open one forward on its Action Reflexes page.
void Open(TAppContext &context, Thddnorm &tray);
// Opens the window on the tray front's PreferencesWindowRequested.
void Wire(TAppContext &context, Thddnorm &tray);
} // namespace PreferencesWindow
