#pragma once
// Reminder records and dates for tests.

#include "core/DateTime.h"
#include "model/TaskData.h"

namespace TestRecords {

inline TDateTime At(int y, int m, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return EncodeDateTime(y, m, d, h, mi, s, ms);
}

inline TTaskData Alarm(const QString &title, TDateTime event = 0)
{
    TTaskData t;
    t.Taskkind = tkAlarm;
    t.Title.Set(title);
    t.EventDateTime = event;
    t.Scheduled = event;
    t.Enabled = true;
    t.Visible = true;
    return t;
}

inline TTaskData Repeating(uint8_t rule, int factor, TDateTime event)
{
    TTaskData t = Alarm(QStringLiteral("repeating"), event);
    t.RepeatTask = true;
    t.RepeatRule = rule;
    t.RepeatNFactor = factor;
    return t;
}

} // namespace TestRecords
