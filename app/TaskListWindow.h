#pragma once
// Opens the one Reminders window from the tray front's entry point, or brings
// the open one to the front, and hands it the program's commands.

struct TAppContext;
class Thddnorm;

namespace TaskListWindow {
// Sets the tray front's OpenTaskListWindow.
void Wire(TAppContext &context, Thddnorm &tray);
} // namespace TaskListWindow
