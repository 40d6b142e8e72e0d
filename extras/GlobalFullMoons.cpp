#include "extras/GlobalFullMoons.h"

#include "core/Clock.h"
#include "core/vornLogFile.h"
#include "extras/FullMoonTable.h"
#include "model/CalendarNames.h"
#include "model/TaskList.h"
#include "storage/GlobalPreferences.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>
#include <stdexcept>

namespace {

TDateTime BiasOf(const QDateTime &at)
{
    if (!at.isValid())
        throw std::runtime_error("no time-zone offset for the instant");
    return -at.offsetFromUtc() / 60.0 / 1440.0;
}

TDateTime EntryUtc(const TFullMoonEntry &e)
{
    return EncodeDateTime(e.Year, e.Month, e.Day, e.Hour, e.Minute, 0, 0);
}

} // namespace

TDateTime UtcBias()
{
    return BiasOf(DateTimeToQDateTime(Clock::Now()));
}

TDateTime UtcBias(TDateTime utc)
{
    QDateTime at = DateTimeToQDateTime(utc);
    at.setTimeZone(QTimeZone::utc());
    return BiasOf(at.toLocalTime());
}

TDateTime UtcToLocal(TDateTime utc)
{
    return utc - UtcBias(utc);
}

bool FullMoonName(int month, QString &text)
{
    static const char *const names[] = {"Wolf", "Snow",     "Worm",    "Pink",     "Flower", "Strawberry",
                                        "Buck", "Sturgeon", "Harvest", "Hunter's", "Beaver", "Cold"};
    if (month < 1 || month > 12)
        return false;
    text = QStringLiteral("- \"%1 Moon\"").arg(QString::fromLatin1(names[month - 1]));
    return true;
}

std::vector<TDateTime> LocalFullMoons()
{
    const std::span<const TFullMoonEntry> table = FullMoonTable();
    std::vector<TDateTime> local;
    local.reserve(table.size());
    for (const TFullMoonEntry &e : table)
        local.push_back(UtcToLocal(EntryUtc(e)));
    return local;
}

TTaskData BuildFullMoonReminder(TDateTime x, const TPreferences &prefs)
{
    LogInfo(QStringLiteral("Full moon task added. Schedule converted from (UTC to LOCAL): ") + DateTimeToStr(x));
    int hour, min, sec, msec;
    DecodeTime(x, hour, min, sec, msec);
    int year, month, day;
    DecodeDate(x, year, month, day);
    QString name;
    FullMoonName(month, name);

    // Days from today to the full moon's date. A full moon in the small hours
    // after tomorrow's midnight is "tonight" seen from today, and one in the
    // small hours two days on is "tomorrow" night.
    const double days = std::floor(x) - Clock::Today();
    QString when;
    int factor = 3;
    if (days <= 0)
        when = QStringLiteral("Full moon today!");
    else if (days == 1)
        when = hour < 5 ? QStringLiteral("Full moon tonight!") : QStringLiteral("Full moon tomorrow!");
    else {
        factor = 6;
        when = hour < 5 ? QStringLiteral("Full moon tomorrow!")
                        : QStringLiteral("Full moon on ") + CalendarNames().Weekdays.value(DayOfTheWeek(x))
                              + QStringLiteral("!");
    }
    const QString title = when + name;
    LogInfo(title);

    TTaskData t{};
    t.Taskkind = tkService;
    t.RepeatTask = false;
    t.RepeatRule = srHours;
    t.RepeatNFactor = factor;
    t.Scheduled = Clock::Now();
    t.Created = t.Scheduled;
    t.Title.Set(title);
    t.PlaySound = true;
    t.Enabled = prefs.ShowFullMoons();
    t.SpecialForm = true;
    t.Tag = TAG_FULLMOON;
    LogInfo(QStringLiteral("Full moon task Schedule: ") + DateTimeToStr(t.Scheduled));
    t.Notes1.Set(FormatDateTime(QStringLiteral("\"best illumination at\" hh:mm") + prefs.TimeFormatSuffix()
                                    + QStringLiteral(" \"local time\" "),
                                x));
    return t;
}

bool AddNextFullMoon(TTaskList &list, const TPreferences &prefs)
{
    std::vector<TDateTime> local;
    try {
        local = LocalFullMoons();
    } catch (const std::runtime_error &e) {
        LogWarning(QStringLiteral("Full moon: time-zone information unavailable (") + QString::fromUtf8(e.what())
                   + QStringLiteral("); no full-moon notice."));
        return false;
    }
    const double today = Clock::Today();
    for (TDateTime x : local) {
        const double date = std::floor(x);
        if (date == today || date == today + 1 || date == today + 2) {
            list.AddTask(BuildFullMoonReminder(x, prefs));
            return true;
        }
    }
    return false;
}

void RemoveFullMoons(TTaskList &list)
{
    int index = -1;
    while (list.FindServiceTask(TAG_FULLMOON, index)) {
        list.RemoveTask(&list.GetTask(index));
        LogInfo(QStringLiteral("Full moon task found and deleted."));
    }
}

void InitFullMoons(TTaskList &list, const TPreferences &prefs)
{
    LogInfo(QStringLiteral("Initialize InitFullMoons"));
    RemoveFullMoons(list);
    AddNextFullMoon(list, prefs);
}
