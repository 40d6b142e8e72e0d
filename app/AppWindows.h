#pragma once
// Gives the tray front its windows: the Reminders window (one at a time,
// brought to the front when open) and the Add Reminder wizard (new
// reminders, properties, and the popup note's change of schedule).

struct TAppContext;
class Thddnorm;

namespace AppWindows {
// Fills the tray front's entry points and the action context's change-schedule hook.
void Wire(TAppContext &context, Thddnorm &tray);
} // namespace AppWindows
