#pragma once
// How long the program's tooltips stay up. Qt has no program-wide setting for
// it, so an event filter on the application shows each widget's own tooltip
// with the chosen time; widgets that set a time of their own keep it.

// Milliseconds; 0 or less gives back Qt's own timing.
void SetToolTipDisplayTime(int milliseconds);
int ToolTipDisplayTime();
