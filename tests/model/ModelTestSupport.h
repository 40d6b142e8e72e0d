#pragma once
// Helpers shared by the model tests: records, dates and a captured log.

#include "app/DateTime.h"
#include "app/vornLogFile.h"
#include "model/TaskData.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace ModelTest {

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

// A log at level 3 in a throw-away folder, installed as the program's log while alive.
class CapturedLog {
public:
    CapturedLog() : FLog(FDir.path() + QStringLiteral("/model.log"), 3, 1, 1) { SetLog(&FLog); }
    ~CapturedLog() { SetLog(nullptr); }
    QStringList Lines() const
    {
        QFile f(FLog.Path());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    bool Contains(const QString &line) const { return Lines().contains(line); }
    bool AnyStartsWith(const QString &prefix) const
    {
        for (const QString &l : Lines())
            if (l.startsWith(prefix))
                return true;
        return false;
    }

private:
    QTemporaryDir FDir;
    TvornLogFile FLog;
};

} // namespace ModelTest
