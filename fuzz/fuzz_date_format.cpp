// Date-times from files (any double) and display patterns from the locale or
// the user: the first eight bytes are the date-time, the rest the pattern.
#include "fuzz/FuzzSupport.h"

#include "core/DateTime.h"

#include <QDateTime>
#include <cmath>
#include <cstring>

using FuzzSupport::Check;

namespace {

void CheckDecoding(TDateTime dt)
{
    int y, m, d, h, n, s, z;
    DecodeDateTime(dt, y, m, d, h, n, s, z);
    const int weekday = DayOfTheWeek(dt);
    const QDateTime qdt = DateTimeToQDateTime(dt);
    if (!IsValidDateTime(dt)) {
        Check(y == 0 && m == 0 && d == 0 && h == 0 && n == 0 && s == 0 && z == 0, "no date decodes to zeros");
        Check(weekday == 0 && DateOf(dt) == 0 && TimeOf(dt) == 0, "no date has no day and no time");
        Check(!qdt.isValid() && FormatDateTime(QStringLiteral("c"), dt).isEmpty(), "no date shows nothing");
        return;
    }
    Check(y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m), "a date is in the calendar");
    Check(h >= 0 && h <= 23 && n >= 0 && n <= 59 && s >= 0 && s <= 59 && z >= 0 && z <= 999, "a time is on the clock");
    Check(weekday >= 1 && weekday <= 7, "a date has a weekday");
    Check(TimeOf(dt) >= 0 && TimeOf(dt) < 1, "a time of day is a fraction of a day");
    Check(qdt.isValid() && qdt.date().dayOfWeek() == weekday, "the toolkit agrees on the weekday");
    // Between -1 and 0 the date part is day 0 whichever the sign, so the
    // sign cannot come back; everywhere else the parts give the value again.
    if (!(dt > -1 && dt < 0)) {
        Check(SameDateTime(EncodeDateTime(y, m, d, h, n, s, z), dt), "the parts encode to the same date-time");
        Check(SameDateTime(DateTimeFromQDateTime(qdt), dt), "the toolkit's date-time converts back");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < sizeof(double))
        return 0;
    TDateTime dt;
    std::memcpy(&dt, data, sizeof dt);
    const QString pattern =
        QString::fromUtf8(reinterpret_cast<const char *>(data) + sizeof dt, qsizetype(size - sizeof dt));

    CheckDecoding(dt);
    const QString shown = FormatDateTime(pattern, dt);
    Check(IsValidDateTime(dt) || shown.isEmpty(), "no date shows nothing");
    // A pattern written for the toolkit, as the locale gives them.
    const QString translated = PatternFromQtFormat(pattern);
    FormatDateTime(translated, dt);
    DateToStr(dt);
    TimeToStr(dt);
    DateTimeToStr(dt);
    return 0;
}
