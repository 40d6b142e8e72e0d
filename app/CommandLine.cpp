#include "app/CommandLine.h"

#include "BuildConfig.h"
#include "model/TaskData.h"

#include <QDir>

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace Cli {

namespace {

// Large enough for any real span, small enough that no step leaves the calendar.
constexpr int kMaxFactor = 9999;

struct TUsageError {
    QString Text;
};

const char *const kDayNames[7][2] = {{"mon", "monday"}, {"tue", "tuesday"},  {"wed", "wednesday"}, {"thu", "thursday"},
                                     {"fri", "friday"}, {"sat", "saturday"}, {"sun", "sunday"}};

std::optional<int> RepeatUnitRule(const QString &unit)
{
    static const struct {
        const char *Singular;
        int Rule;
    } kUnits[] = {{"minute", srMinutes}, {"hour", srHours},   {"day", srDays},
                  {"week", srWeeks},     {"month", srMonths}, {"year", srYears}};
    const QString u = unit.toLower();
    for (const auto &e : kUnits) {
        const QString s = QLatin1String(e.Singular);
        if (u == s || u == s + QLatin1Char('s'))
            return e.Rule;
    }
    return std::nullopt;
}

// Reads the arguments one after the other; every failure names what it read.
class TReader {
public:
    explicit TReader(const QStringList &args)
        : FArgs(args)
    {
    }
    bool AtEnd() const { return FPos >= FArgs.size(); }
    QString Next() { return FArgs.at(FPos++); }
    QString ValueOf(const QString &option)
    {
        if (AtEnd())
            throw TUsageError{option + QStringLiteral(" needs a value")};
        return Next();
    }
    // No further argument may follow.
    void End(const QString &verb)
    {
        if (!AtEnd())
            throw TUsageError{QStringLiteral("unexpected argument for %1: %2").arg(verb, FArgs.at(FPos))};
    }

private:
    const QStringList &FArgs;
    qsizetype FPos = 0;
};

TDuration DurationOf(const QString &option, const QString &text)
{
    const std::optional<TDuration> d = ParseDuration(text);
    if (!d)
        throw TUsageError{QStringLiteral("%1: not a duration: %2 (e.g. 10m, 2h, 1d, 1w, 1h30m)").arg(option, text)};
    return *d;
}

void ReadExcept(const QString &text, bool (&days)[7])
{
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &raw : parts) {
        const QString name = raw.trimmed().toLower();
        int found = -1;
        for (int i = 0; i < 7; ++i)
            if (name == QLatin1String(kDayNames[i][0]) || name == QLatin1String(kDayNames[i][1]))
                found = i;
        if (found < 0)
            throw TUsageError{QStringLiteral("--except: not a weekday: %1").arg(raw)};
        days[found] = true;
    }
}

TAddOptions ReadAdd(TReader &r, TDateTime now)
{
    TAddOptions a;
    bool haveTitle = false;
    bool haveAt = false, haveIn = false;
    bool anyExcept = false;
    while (!r.AtEnd()) {
        const QString arg = r.Next();
        if (arg == QLatin1String("--at")) {
            const QString v = r.ValueOf(arg);
            const std::optional<TDateTime> at = ParseAt(v, now);
            if (!at)
                throw TUsageError{QStringLiteral("--at: not a time: %1 (\"YYYY-MM-DD HH:MM\" or HH:MM)").arg(v)};
            if (haveAt || haveIn)
                throw TUsageError{QStringLiteral("--at: the start is already given")};
            a.Start = *at;
            haveAt = true;
        } else if (arg == QLatin1String("--in")) {
            const TDuration d = DurationOf(arg, r.ValueOf(arg));
            if (haveAt || haveIn)
                throw TUsageError{QStringLiteral("--in: the start is already given")};
            a.Start = AddDuration(now, d);
            haveIn = true;
        } else if (arg == QLatin1String("--note")) {
            a.Notes = r.ValueOf(arg);
        } else if (arg == QLatin1String("--every")) {
            const QString n = r.ValueOf(arg);
            const QString unit = r.ValueOf(arg);
            bool ok = false;
            const int factor = n.toInt(&ok);
            if (!ok || factor < 1 || factor > kMaxFactor)
                throw TUsageError{QStringLiteral("--every: not a count from 1 to %1: %2").arg(kMaxFactor).arg(n)};
            const std::optional<int> rule = RepeatUnitRule(unit);
            if (!rule)
                throw TUsageError{
                    QStringLiteral("--every: not a unit: %1 (minutes, hours, days, weeks, months, years)").arg(unit)};
            a.Every = TRule{*rule, factor};
        } else if (arg == QLatin1String("--except")) {
            ReadExcept(r.ValueOf(arg), a.ExcludedDays);
            anyExcept = true;
        } else if (arg == QLatin1String("--warn")) {
            const TDuration d = DurationOf(arg, r.ValueOf(arg));
            const TRule rule = WarnRule(d);
            if (rule.Factor > kMaxFactor)
                throw TUsageError{QStringLiteral("--warn: too long: %1").arg(d.TotalMinutes())};
            a.Warn = rule;
        } else if (arg == QLatin1String("--sound")) {
            const QString file = r.ValueOf(arg);
            if (file.isEmpty())
                throw TUsageError{QStringLiteral("--sound needs a file")};
            a.Sound = file;
        } else if (arg == QLatin1String("--silent")) {
            a.Silent = true;
        } else if (arg == QLatin1String("--mail")) {
            const QString address = r.ValueOf(arg).trimmed();
            static const QRegularExpression kAddress(QStringLiteral("^[^\\s@,;<>\"]+@[^\\s@,;<>\"]+$"));
            if (!kAddress.match(address).hasMatch())
                throw TUsageError{QStringLiteral("--mail: not an e-mail address: %1").arg(address)};
            a.Mail << address;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            throw TUsageError{QStringLiteral("add: unknown option: %1").arg(arg)};
        } else if (!haveTitle) {
            a.Title = arg.trimmed();
            if (a.Title.isEmpty())
                throw TUsageError{QStringLiteral("add: the title is empty")};
            haveTitle = true;
        } else {
            throw TUsageError{QStringLiteral("unexpected argument for add: %1").arg(arg)};
        }
    }
    if (!haveTitle)
        throw TUsageError{QStringLiteral("add needs a TITLE")};
    if (!haveAt && !haveIn)
        throw TUsageError{QStringLiteral("add needs --at or --in")};
    if (a.Sound && a.Silent)
        throw TUsageError{QStringLiteral("--sound and --silent exclude each other")};
    if (anyExcept) {
        if (!a.Every)
            throw TUsageError{QStringLiteral("--except needs --every: only a repeat skips weekdays")};
        if (std::all_of(std::begin(a.ExcludedDays), std::end(a.ExcludedDays), [](bool b) { return b; }))
            throw TUsageError{QStringLiteral("--except: all seven weekdays excluded")};
    }
    return a;
}

TCommand ReadCommand(const QStringList &args, TDateTime now)
{
    TCommand c;
    if (args.isEmpty())
        return c;
    TReader r(args);
    const QString verb = r.Next();
    if (verb == QLatin1String("--help") || verb == QLatin1String("-h") || verb == QLatin1String("help")) {
        c.Verb = TVerb::Help;
        r.End(verb);
    } else if (verb == QLatin1String("--version")) {
        c.Verb = TVerb::Version;
        r.End(verb);
    } else if (verb == QLatin1String("add")) {
        c.Verb = TVerb::Add;
        c.Add = ReadAdd(r, now);
    } else if (verb == QLatin1String("list")) {
        c.Verb = TVerb::List;
        bool filterGiven = false;
        while (!r.AtEnd()) {
            const QString arg = r.Next();
            static const struct {
                const char *Name;
                TListFilter Filter;
            } kFilters[] = {{"--all", TListFilter::All},
                            {"--today", TListFilter::Today},
                            {"--tomorrow", TListFilter::Tomorrow},
                            {"--next-five", TListFilter::NextFive},
                            {"--completed", TListFilter::Completed}};
            if (arg == QLatin1String("--json")) {
                c.Json = true;
                continue;
            }
            bool matched = false;
            for (const auto &f : kFilters) {
                if (arg != QLatin1String(f.Name))
                    continue;
                if (filterGiven)
                    throw TUsageError{QStringLiteral("list: only one filter may be given: %1").arg(arg)};
                c.Filter = f.Filter;
                filterGiven = matched = true;
            }
            if (!matched)
                throw TUsageError{QStringLiteral("list: unknown option: %1").arg(arg)};
        }
    } else if (verb == QLatin1String("open")) {
        c.Verb = TVerb::Open;
        if (r.AtEnd())
            throw TUsageError{QStringLiteral("open needs reminders, add or preferences")};
        const QString what = r.Next();
        if (what == QLatin1String("reminders"))
            c.Window = TWindow::Reminders;
        else if (what == QLatin1String("add"))
            c.Window = TWindow::Add;
        else if (what == QLatin1String("preferences"))
            c.Window = TWindow::Preferences;
        else
            throw TUsageError{QStringLiteral("open: not a window: %1 (reminders, add or preferences)").arg(what)};
        r.End(verb);
    } else if (verb == QLatin1String("import")) {
        c.Verb = TVerb::Import;
        if (r.AtEnd())
            throw TUsageError{QStringLiteral("import needs FILE.tsk")};
        c.File = r.Next();
        r.End(verb);
    } else if (verb == QLatin1String("export")) {
        c.Verb = TVerb::Export;
        if (r.AtEnd())
            throw TUsageError{QStringLiteral("export needs TITLE and FILE.tsk")};
        c.Title = r.Next();
        if (r.AtEnd())
            throw TUsageError{QStringLiteral("export needs FILE.tsk after the title")};
        c.File = r.Next();
        r.End(verb);
    } else if (verb.startsWith(QLatin1Char('-')) && !verb.startsWith(QLatin1String("--"))) {
        // Single-dash options (-platform, -style, -display ...) belong to the toolkit.
        return c;
    } else {
        throw TUsageError{QStringLiteral("unknown command: %1 (see brivane --help)").arg(verb)};
    }
    return c;
}

} // namespace

TParseResult Parse(const QStringList &args, TDateTime now)
{
    TParseResult result;
    try {
        result.Command = ReadCommand(args, now);
    } catch (const TUsageError &e) {
        result.Command = TCommand{};
        result.ExitCode = ExitUsage;
        result.Error = e.Text;
    }
    return result;
}

std::optional<TDuration> ParseDuration(const QString &text)
{
    static const QRegularExpression kForm(
        QStringLiteral("^(?:(\\d{1,5})w)?(?:(\\d{1,5})d)?(?:(\\d{1,5})h)?(?:(\\d{1,6})m)?$"));
    const QRegularExpressionMatch m = kForm.match(text.trimmed().toLower());
    if (text.trimmed().isEmpty() || !m.hasMatch())
        return std::nullopt;
    TDuration d;
    d.Weeks = m.captured(1).toInt();
    d.Days = m.captured(2).toInt();
    d.Hours = m.captured(3).toInt();
    d.Minutes = m.captured(4).toInt();
    // "0m" waits for nothing and warns of nothing; a span past a century is a typo.
    if (d.TotalMinutes() <= 0 || d.TotalMinutes() > qint64(100) * 366 * 24 * 60)
        return std::nullopt;
    return d;
}

std::optional<TDateTime> ParseAt(const QString &text, TDateTime now)
{
    static const QRegularExpression kFull(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})[ T](\\d{1,2}):(\\d{2})$"));
    static const QRegularExpression kTime(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QString t = text.trimmed();
    TDateTime time = 0, date = 0;
    if (const QRegularExpressionMatch m = kFull.match(t); m.hasMatch()) {
        if (!TryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), date)
            || !TryEncodeTime(m.captured(4).toInt(), m.captured(5).toInt(), 0, 0, time))
            return std::nullopt;
        return ComposeDateTime(date, time);
    }
    const QRegularExpressionMatch m = kTime.match(t);
    if (!m.hasMatch() || !TryEncodeTime(m.captured(1).toInt(), m.captured(2).toInt(), 0, 0, time))
        return std::nullopt;
    // The minute now is in has not passed yet: it stays today (and fires at once).
    const TDateTime today = std::floor(now);
    const TDateTime candidate = today + time;
    const TDateTime thisMinute = today + std::floor((now - today) * 1440.0 + 1e-7) / 1440.0;
    return candidate + OneMillisecond >= thisMinute ? candidate : candidate + 1.0;
}

TDateTime AddDuration(TDateTime now, const TDuration &d)
{
    const TDateTime day = now + d.Weeks * 7 + d.Days;
    const qint64 minutes = qint64(d.Hours) * 60 + d.Minutes;
    if (minutes == 0)
        return day;
    // Through UTC, so that "in 2h" across the autumn change is two hours away.
    TDateTime earlier = 0, later = 0;
    LocalReadings(day, earlier, later);
    const TDateTime utc = earlier + minutes * OneMinute;
    return utc + UtcOffsetAt(utc) / 86400.0;
}

TRule WarnRule(const TDuration &d)
{
    const qint64 minutes = d.TotalMinutes();
    if (minutes % (7 * 24 * 60) == 0)
        return {srWeeks, int(minutes / (7 * 24 * 60))};
    if (minutes % (24 * 60) == 0)
        return {srDays, int(minutes / (24 * 60))};
    if (minutes % 60 == 0)
        return {srHours, int(std::min<qint64>(minutes / 60, INT32_MAX))};
    return {srMinutes, int(std::min<qint64>(minutes, INT32_MAX))};
}

QString UsageText()
{
    return QStringLiteral(
        "brivane                                   start, or bring the running copy forward (as today)\n"
        "brivane add TITLE [options]               add an alarm: popup note and the default sound, unless told "
        "otherwise\n"
        "    --at \"YYYY-MM-DD HH:MM\" | --at HH:MM   HH:MM alone means today, or tomorrow if that minute has passed\n"
        "    --in DURATION                          e.g. 10m, 2h, 1d, 1w, 1h30m\n"
        "    --note TEXT                            the note (both 250-byte halves)\n"
        "    --every N UNIT                         UNIT: minute(s) hour(s) day(s) week(s) month(s) year(s)\n"
        "    --except DAYS                          excluded weekdays, e.g. sat,sun\n"
        "    --warn DURATION                        a pre-warning that long before\n"
        "    --sound FILE | --silent                another sound, or none\n"
        "    --mail ADDRESS                         also send an e-mail (repeatable; the preferences' server)\n"
        "brivane list [--json] [--all|--today|--tomorrow|--next-five|--completed]   default: every reminder not "
        "completed\n"
        "brivane open reminders|add|preferences    open that window in the running copy (starting it if none runs)\n"
        "brivane import FILE.tsk | brivane export TITLE FILE.tsk\n"
        "brivane --version\n");
}

QString VersionText()
{
    return QStringLiteral("Brivane " BRIVANE_VERSION "\n");
}

void ResolveFiles(TCommand &command, const QString &workingFolder)
{
    if (!command.File.isEmpty() && !workingFolder.isEmpty())
        command.File = QDir(workingFolder).absoluteFilePath(command.File);
}

} // namespace Cli
