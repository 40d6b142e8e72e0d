#pragma once
// What the command line's commands do to a reminder list: the running copy's
// own list, or one a copy without tray loaded from the store file. Each gives
// its exit status and the texts for stdout and stderr; none opens a window or
// asks the user anything, and none saves: the caller keeps the list on disk
// (every change here marks the list modified).

#include "app/CommandLine.h"
#include "model/TaskData.h"

#include <QString>
#include <QStringList>
#include <vector>

class TTaskList;

namespace Cli {

struct TAnswer {
    int ExitCode = ExitOk;
    QString Out;
    QString Err;
    bool operator==(const TAnswer &) const = default;
};

// The record `add` makes, as the wizard's Finish would from the same choices.
struct TBuiltTask {
    TTaskData Task;
    int ExitCode = ExitOk;
    QString Error; // when ExitCode is not ExitOk
    QStringList Warnings; // what was cut to fit
};
TBuiltTask BuildAddTask(const TAddOptions &options);

// The user's reminders a filter lists, by next run (completed ones last).
std::vector<const TTaskData *> ListedTasks(const TTaskList &list, TListFilter filter, TDateTime now);

// A local wall-clock time with the UTC offset it has there: "2026-12-10T18:00:00+01:00".
QString IsoLocalTime(TDateTime local);
// One JSON array: title, kind, next, repeat, notes, enabled, completed.
QString ListJson(const std::vector<const TTaskData *> &tasks);
// The Details view's columns, aligned; timeSuffix " ampm" for a 12-hour clock.
QString ListColumns(const std::vector<const TTaskData *> &tasks, const QString &timeSuffix, TDateTime today);

TAnswer Add(TTaskList &list, const TAddOptions &options);
TAnswer List(const TTaskList &list, bool json, TListFilter filter, TDateTime now, const QString &timeSuffix);
// Appends the reminder of a task file as stored, like the Reminders window's import.
TAnswer Import(TTaskList &list, const QString &path);
// Writes the one user reminder with that title as a task file.
TAnswer Export(const TTaskList &list, const QString &title, const QString &path);

// add, list, import and export on the list; other verbs are no list command
// and give ExitFailure.
TAnswer RunOnList(TTaskList &list, const TCommand &command, TDateTime now, const QString &timeSuffix);

} // namespace Cli
