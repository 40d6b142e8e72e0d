#pragma once
// Program-wide objects made once at start-up (see app/InitApp.cpp). Each is
// null until made, so tests can create only what they need.

#include <QString>
#include <QStringList>
#include <functional>

class TPalvaroApplication;
class TvornIniFile;

extern TPalvaroApplication *PalvaroApp;
extern TvornIniFile *IniFile;

// Locale names built at start-up; index 1 = Monday / January, index 0 unused.
extern QStringList WeekdayNames;
extern QStringList WeekdayShortNames;
extern QStringList MonthNames;
// Fills the three lists from the current default locale by formatting real dates.
void BuildNameLists();

// Set while the window exists, so commands bring it forward instead of opening a second.
extern bool TaskListOpen;
extern bool TaskFormOpen;
extern bool PreferencesOpen;

// Refreshes the task list window when it is open (set by that window).
extern std::function<void()> RefreshTaskListHook;
void RefreshTaskList();

// Identity of the running edition.
extern QString ProductName;
extern QString PreferencesFileName;
extern const QString BuildTypeText;
