#pragma once
// The program's command line: what a start with arguments asks for, read into
// a typed command. Reading needs "now" only to place a bare --at HH:MM and an
// --in duration; nothing here touches the list, the store or a window.

#include "core/DateTime.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace Cli {

enum class TVerb { Start, Add, List, Open, Import, Export, Help, Version };
enum class TListFilter { NotCompleted, All, Today, Tomorrow, NextFive, Completed };
enum class TWindow { Reminders, Add, Preferences };

// Exit statuses a script can rely on.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// A span as written ("1h30m"): whole weeks and days step the calendar,
// hours and minutes real time.
struct TDuration {
    int Weeks = 0;
    int Days = 0;
    int Hours = 0;
    int Minutes = 0;

    qint64 TotalMinutes() const { return ((qint64(Weeks) * 7 + Days) * 24 + Hours) * 60 + Minutes; }
    bool operator==(const TDuration &) const = default;
};

// A repeat or pre-warning rule as the record stores it (a TScheduleRule and its factor).
struct TRule {
    int Rule = 0;
    int Factor = 0;
    bool operator==(const TRule &) const = default;
};

struct TAddOptions {
    QString Title;
    TDateTime Start = 0; // wall-clock local time, resolved against "now" while reading
    std::optional<QString> Notes;
    std::optional<TRule> Every;
    bool ExcludedDays[7]{}; // Monday .. Sunday
    std::optional<TRule> Warn;
    std::optional<QString> Sound; // another sound file
    bool Silent = false;
    QStringList Mail;
};

struct TCommand {
    TVerb Verb = TVerb::Start;
    TAddOptions Add;
    bool Json = false;
    TListFilter Filter = TListFilter::NotCompleted;
    TWindow Window = TWindow::Reminders;
    QString Title; // export
    QString File; // import, export
};

struct TParseResult {
    TCommand Command;
    int ExitCode = ExitOk; // ExitUsage when the arguments are no command
    QString Error; // one line naming the bad argument
    bool Ok() const { return ExitCode == ExitOk; }
};

// args: the arguments after the program's name. now: local wall-clock time.
TParseResult Parse(const QStringList &args, TDateTime now);

// "10m", "2h", "1d", "1w", "1h30m": units in falling order, each at most once.
std::optional<TDuration> ParseDuration(const QString &text);
// "YYYY-MM-DD HH:MM", or "HH:MM" for today, tomorrow when that minute has passed.
std::optional<TDateTime> ParseAt(const QString &text, TDateTime now);
// now plus the duration: the calendar steps keep the time of day, hours and
// minutes count real time across a change of the UTC offset.
TDateTime AddDuration(TDateTime now, const TDuration &d);
// The pre-warning rule of a duration: the largest unit that holds it whole.
TRule WarnRule(const TDuration &d);

// The text --help prints (ends with a newline).
QString UsageText();
// What --version prints: "Brivane 1.2.3\n".
QString VersionText();
// Makes the command's file names absolute against the caller's working folder:
// the running copy has a folder of its own.
void ResolveFiles(TCommand &command, const QString &workingFolder);

} // namespace Cli
