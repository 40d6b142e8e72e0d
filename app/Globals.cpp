#include "app/Globals.h"

#include "app/DateTime.h"
#include "platform/Clock.h"

TPalvaroApplication *PalvaroApp = nullptr;
TvornIniFile *IniFile = nullptr;

QStringList WeekdayNames;
QStringList WeekdayShortNames;
QStringList MonthNames;

bool TaskListOpen = false;
bool TaskFormOpen = false;
bool PreferencesOpen = false;

std::function<void()> RefreshTaskListHook;

void RefreshTaskList()
{
    if (RefreshTaskListHook)
        RefreshTaskListHook();
}

QString ProductName = QStringLiteral("Brivane");
QString PreferencesFileName = QStringLiteral("Brivane.pfc");
const QString BuildTypeText;

void BuildNameLists()
{
    // Names come from formatting real dates so they follow the user's locale.
    WeekdayNames = QStringList{QString()};
    WeekdayShortNames = QStringList{QString()};
    MonthNames = QStringList{QString()};
    double day = Clock::Today();
    while (DayOfTheWeek(day) != 1)
        day += 1;
    for (int i = 0; i < 7; ++i, day += 1) {
        WeekdayNames << FormatDateTime(QStringLiteral("dddd"), day);
        WeekdayShortNames << FormatDateTime(QStringLiteral("ddd"), day);
    }
    int y, m, d;
    DecodeDate(Clock::Today(), y, m, d);
    while (m != 1) {
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
    for (int i = 0; i < 12; ++i)
        MonthNames << FormatDateTime(QStringLiteral("mmmm"), EncodeDate(y, i + 1, 1));
}
