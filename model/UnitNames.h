#pragma once
// The time units as the pickers and menus name them, minutes first: the order
// of TStepUnit, of the repeat units the wizard lists and of the stored snooze
// units (which stop at months).

#include <array>

namespace UnitNames {

inline constexpr std::array<const char *, 6> Plain = {"minute(s)", "hour(s)",  "day(s)",
                                                      "week(s)",   "month(s)", "year(s)"};

// A time counted from the present: a reminder's relative start, a snooze.
inline constexpr std::array<const char *, 6> FromNow = {"minute(s) from now",  "hour(s)  from now",
                                                        "day(s) from today",   "week(s) from today",
                                                        "month(s) from today", "year(s) from today"};

} // namespace UnitNames
