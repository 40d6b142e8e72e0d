#pragma once
// Gives the tray front its windows: the Reminders window (one at a time,
// brought to the front when open) and the Add Reminder wizard (new
// reminders, properties, and the popup note's change of schedule).

struct TAppContext;
class Thddnorm;

#include <functional>

namespace AppWindows {
// The popup note's "Change schedule": set before the tray front starts the
// scheduler, whose first pass may already show notes. tray gives the tray
// front once it exists (its pictures): a getter, because the front is made
// after this is wired.
void WireChangeSchedule(TAppContext &context, std::function<Thddnorm *()> tray);
// Fills the tray front's entry points.
void Wire(TAppContext &context, Thddnorm &tray);
} // namespace AppWindows
