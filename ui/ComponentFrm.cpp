#include "ui/ComponentFrm.h"

#include "core/Clock.h"
#include "platform/LegacyMessageBox.h"
#include "model/Recurrence.h"
#include "model/TaskData.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char *const kPresetUnits[] = {"minute(s) from now", "hour(s)  from now",   "day(s) from today",
                                    "week(s) from today", "month(s) from today", "year(s) from today"};
const char *const kEveryUnits[] = {"minute(s)", "hour(s)", "day(s)", "week(s)", "month(s)", "year(s)"};
// The stored rule of each every-N unit, in list order.
const uint8_t kEveryRules[] = {srMinutes, srHours, srDays, srWeeks, srMonths, srYears};

const char *const kExcludeNames[] = {"chkExcludeMonday",   "chkExcludeTuesday", "chkExcludeWednesday",
                                     "chkExcludeThursday", "chkExcludeFriday",  "chkExcludeSaturday",
                                     "chkExcludeSunday"};

// The user's short date format, always with four-digit years.
QString DateFieldFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QStringLiteral("yyyy")))
        f.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return f;
}

QDate ToQDate(TDateTime dt)
{
    int y, m, d;
    DecodeDate(dt, y, m, d);
    return y ? QDate(y, m, d) : QDate();
}

TDateTime FromQDate(const QDate &date)
{
    return date.isValid() ? EncodeDate(date.year(), date.month(), date.day()) : 0;
}

void SetItems(QComboBox *box, const QStringList &items)
{
    const int index = box->currentIndex();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(index >= 0 && index < items.size() ? index : (items.isEmpty() ? -1 : 0));
}

} // namespace

Tcomponentform::Tcomponentform(QWidget *parent)
    : QWidget(parent)
    , DateTimePanel(new QGroupBox(QStringLiteral(" Date/Time "), this))
    , RepeatSchedulePanel(new QGroupBox(QStringLiteral(" Repeat schedule "), this))
    , rbtAbsoleteDateTime(new QRadioButton(QStringLiteral("On"), DateTimePanel))
    , rbtRelatedDateTime(new QRadioButton(QStringLiteral("or in"), DateTimePanel))
    , dedStartDate(new QDateEdit(DateTimePanel))
    , sedStartTime(new QTimeEdit(DateTimePanel))
    , sedPresetNTimes(new QSpinBox(DateTimePanel))
    , cbxPresetDate(new QComboBox(DateTimePanel))
    , chkRepeatTask(new QCheckBox(QStringLiteral("Repeat this Reminder"), RepeatSchedulePanel))
    , rbtEveryNTimes(new QRadioButton(QStringLiteral("every "), RepeatSchedulePanel))
    , rbtEveryYearMonth(new QRadioButton(QStringLiteral("every "), RepeatSchedulePanel))
    , rbtEveryWeekday(new QRadioButton(QStringLiteral("every "), RepeatSchedulePanel))
    , sedEveryNTimes(new QSpinBox(RepeatSchedulePanel))
    , cbxEveryNTimes(new QComboBox(RepeatSchedulePanel))
    , cbxEveryYearMonth(new QComboBox(RepeatSchedulePanel))
    , cbxEveryWeekday(new QComboBox(RepeatSchedulePanel))
    , chkExclude{}
    , FStartGroup(new QButtonGroup(this))
    , FRepeatGroup(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("componentform"));
    DateTimePanel->setObjectName(QStringLiteral("DateTimePanel"));
    RepeatSchedulePanel->setObjectName(QStringLiteral("RepeatSchedulePanel"));
    rbtAbsoleteDateTime->setObjectName(QStringLiteral("rbtAbsoleteDateTime"));
    rbtRelatedDateTime->setObjectName(QStringLiteral("rbtRelatedDateTime"));
    dedStartDate->setObjectName(QStringLiteral("dedStartDate"));
    sedStartTime->setObjectName(QStringLiteral("sedStartTime"));
    sedPresetNTimes->setObjectName(QStringLiteral("sedPresetNTimes"));
    cbxPresetDate->setObjectName(QStringLiteral("cbxPresetDate"));
    chkRepeatTask->setObjectName(QStringLiteral("chkRepeatTask"));
    rbtEveryNTimes->setObjectName(QStringLiteral("rbtEveryNTimes"));
    rbtEveryYearMonth->setObjectName(QStringLiteral("rbtEveryYearMonth"));
    rbtEveryWeekday->setObjectName(QStringLiteral("rbtEveryWeekday"));
    sedEveryNTimes->setObjectName(QStringLiteral("sedEveryNTimes"));
    cbxEveryNTimes->setObjectName(QStringLiteral("cbxEveryNTimes"));
    cbxEveryYearMonth->setObjectName(QStringLiteral("cbxEveryYearMonth"));
    cbxEveryWeekday->setObjectName(QStringLiteral("cbxEveryWeekday"));

    // Start row.
    FStartGroup->addButton(rbtAbsoleteDateTime);
    FStartGroup->addButton(rbtRelatedDateTime);
    rbtAbsoleteDateTime->setChecked(true);

    dedStartDate->setCalendarPopup(true);
    dedStartDate->setToolTip(QStringLiteral("Click to open calendar"));
    dedStartDate->setDisplayFormat(DateFieldFormat());
    dedStartDate->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    dedStartDate->setDate(ToQDate(Clock::Today()));

    sedStartTime->setTimeRange(QTime(0, 0), LatestTime());
    sedStartTime->setTime(QTime(12, 0));
    SetTimeBase24(true);

    sedPresetNTimes->setRange(1, 365);
    sedPresetNTimes->setValue(1);
    for (const char *item : kPresetUnits)
        cbxPresetDate->addItem(QString::fromLatin1(item));
    cbxPresetDate->setCurrentIndex(0);

    auto *dateGrid = new QGridLayout(DateTimePanel);
    dateGrid->addWidget(rbtAbsoleteDateTime, 0, 0);
    dateGrid->addWidget(dedStartDate, 0, 1);
    dateGrid->addWidget(new QLabel(QStringLiteral(" at"), DateTimePanel), 0, 2);
    dateGrid->addWidget(sedStartTime, 0, 3);
    dateGrid->addWidget(rbtRelatedDateTime, 1, 0);
    dateGrid->addWidget(sedPresetNTimes, 1, 1);
    dateGrid->addWidget(cbxPresetDate, 1, 2, 1, 2);
    dateGrid->setColumnStretch(4, 1);

    // Repeat schedule.
    FRepeatGroup->addButton(rbtEveryNTimes);
    FRepeatGroup->addButton(rbtEveryYearMonth);
    FRepeatGroup->addButton(rbtEveryWeekday);
    rbtEveryNTimes->setChecked(true);

    sedEveryNTimes->setRange(1, 80);
    sedEveryNTimes->setValue(1);
    for (const char *item : kEveryUnits)
        cbxEveryNTimes->addItem(QString::fromLatin1(item));
    cbxEveryNTimes->setCurrentIndex(0);

    auto *repeatGrid = new QGridLayout(RepeatSchedulePanel);
    repeatGrid->addWidget(chkRepeatTask, 0, 0, 1, 3);
    repeatGrid->addWidget(rbtEveryNTimes, 1, 0);
    repeatGrid->addWidget(sedEveryNTimes, 1, 1);
    repeatGrid->addWidget(cbxEveryNTimes, 1, 2);
    repeatGrid->addWidget(rbtEveryYearMonth, 2, 0);
    repeatGrid->addWidget(cbxEveryYearMonth, 2, 1, 1, 2);
    repeatGrid->addWidget(rbtEveryWeekday, 3, 0);
    repeatGrid->addWidget(cbxEveryWeekday, 3, 1, 1, 2);
    auto *excludeRow = new QHBoxLayout;
    excludeRow->addWidget(new QLabel(QStringLiteral("Exclude:"), RepeatSchedulePanel));
    for (int i = 0; i < 7; ++i) {
        chkExclude[std::size_t(i)] = new QCheckBox(RepeatSchedulePanel);
        chkExclude[std::size_t(i)]->setObjectName(QString::fromLatin1(kExcludeNames[i]));
        chkExclude[std::size_t(i)]->setProperty("Tag", i + 1);
        excludeRow->addWidget(chkExclude[std::size_t(i)]);
        connect(chkExclude[std::size_t(i)], &QCheckBox::clicked, this, &Tcomponentform::chkExcludeMondayClick);
    }
    excludeRow->addStretch();
    repeatGrid->addLayout(excludeRow, 4, 0, 1, 4);
    repeatGrid->setColumnStretch(3, 1);

    QStringList weekdays, months, shortWeekdays;
    const QLocale loc;
    for (int d = 1; d <= 7; ++d) {
        weekdays << loc.dayName(d, QLocale::LongFormat);
        shortWeekdays << loc.dayName(d, QLocale::ShortFormat);
    }
    for (int m = 1; m <= 12; ++m)
        months << loc.monthName(m, QLocale::LongFormat);
    SetNames(weekdays, months, shortWeekdays);
    SetRepeatControlsEnabled(false);

    auto *column = new QVBoxLayout(this);
    column->addWidget(DateTimePanel);
    column->addWidget(RepeatSchedulePanel);

    const QList<QWidget *> chain = TabChain();
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);

    connect(rbtAbsoleteDateTime, &QRadioButton::clicked, this, &Tcomponentform::rbtAbsoleteDateTimeClick);
    connect(rbtRelatedDateTime, &QRadioButton::clicked, this, &Tcomponentform::rbtRelatedDateTimeClick);
    connect(chkRepeatTask, &QCheckBox::clicked, this, &Tcomponentform::chkRepeatTaskClick);
    connect(rbtEveryWeekday, &QRadioButton::clicked, this, &Tcomponentform::rbtEveryWeekdayClick);

    // Both start rows stay open to the keyboard. A choice is made by changing
    // a value of its row or by clicking in it, never by the focus passing
    // through on its way elsewhere (Tab would otherwise pick every list it crosses).
    WatchChoice(dedStartDate, chAbsolute);
    WatchChoice(sedStartTime, chAbsolute);
    WatchChoice(sedPresetNTimes, chRelative);
    WatchChoice(cbxPresetDate, chRelative);
    WatchChoice(sedEveryNTimes, chEveryN);
    WatchChoice(cbxEveryNTimes, chEveryN);
    WatchChoice(cbxEveryYearMonth, chEveryMonth);
    WatchChoice(cbxEveryWeekday, chEveryWeekday);
    connect(dedStartDate, &QDateEdit::dateChanged, this, [this] { Choose(chAbsolute); });
    connect(sedStartTime, &QTimeEdit::timeChanged, this, [this] { Choose(chAbsolute); });
    connect(sedPresetNTimes, &QSpinBox::valueChanged, this, [this] { Choose(chRelative); });
    connect(cbxPresetDate, &QComboBox::activated, this, [this] { Choose(chRelative); });
    connect(sedEveryNTimes, &QSpinBox::valueChanged, this, [this] { Choose(chEveryN); });
    connect(cbxEveryNTimes, &QComboBox::activated, this, [this] { Choose(chEveryN); });
    connect(cbxEveryYearMonth, &QComboBox::activated, this, [this] { Choose(chEveryMonth); });
    connect(cbxEveryWeekday, &QComboBox::activated, this, [this] { Choose(chEveryWeekday); });
}

void Tcomponentform::WatchChoice(QWidget *control, TChoice choice)
{
    FChoiceOf.insert(control, choice);
    control->installEventFilter(this);
    // A spin box or date field is clicked in its edit line.
    for (QLineEdit *line : control->findChildren<QLineEdit *>()) {
        FChoiceOf.insert(line, choice);
        line->installEventFilter(this);
    }
}

QTime Tcomponentform::LatestTime()
{
    return QTime(23, 0);
}

QList<QWidget *> Tcomponentform::TabChain() const
{
    QList<QWidget *> chain{rbtAbsoleteDateTime, dedStartDate,      sedStartTime,    rbtRelatedDateTime, sedPresetNTimes,
                           cbxPresetDate,       chkRepeatTask,     rbtEveryNTimes,  sedEveryNTimes,     cbxEveryNTimes,
                           rbtEveryYearMonth,   cbxEveryYearMonth, rbtEveryWeekday, cbxEveryWeekday};
    for (QCheckBox *box : chkExclude)
        chain << box;
    return chain;
}

void Tcomponentform::SetNames(const QStringList &weekdays, const QStringList &months, const QStringList &shortWeekdays)
{
    FWeekdayNames = weekdays;
    SetItems(cbxEveryWeekday, weekdays);
    SetItems(cbxEveryYearMonth, months);
    for (std::size_t i = 0; i < chkExclude.size(); ++i)
        chkExclude[i]->setText(int(i) < shortWeekdays.size() ? shortWeekdays[int(i)] : QString());
}

void Tcomponentform::SetTimeBase24(bool on24)
{
    const QScopedValueRollback setting(FSetting, true);
    sedStartTime->setDisplayFormat(on24 ? QStringLiteral("HH:mm") : QStringLiteral("hh:mm AP"));
}

void Tcomponentform::SetFirstDayOfWeek(Qt::DayOfWeek day)
{
    dedStartDate->calendarWidget()->setFirstDayOfWeek(day);
}

TDateTime Tcomponentform::StartDateTime() const
{
    if (rbtRelatedDateTime->isChecked())
        return TRecurrence::PresetFromNow(cbxPresetDate->currentIndex(), sedPresetNTimes->value());
    const QDate date = dedStartDate->date();
    const QTime time = sedStartTime->time();
    if (!date.isValid())
        return 0;
    return EncodeDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), 0, 0);
}

void Tcomponentform::ReadRepeatRule(uint8_t &rule, int32_t &factor) const
{
    if (rbtEveryYearMonth->isChecked()) {
        rule = srMonthOfYear;
        factor = qMax(cbxEveryYearMonth->currentIndex(), 0) + 1;
    } else if (rbtEveryWeekday->isChecked()) {
        rule = srWeekday;
        factor = qMax(cbxEveryWeekday->currentIndex(), 0) + 1;
    } else {
        rule = kEveryRules[qBound(0, cbxEveryNTimes->currentIndex(), 5)];
        factor = sedEveryNTimes->value();
    }
}

void Tcomponentform::LoadRepeatRule(uint8_t rule, int32_t factor)
{
    const QScopedValueRollback setting(FSetting, true);
    switch (rule) {
    case srWeekday:
        rbtEveryWeekday->setChecked(true);
        if (factor >= 1 && factor <= cbxEveryWeekday->count())
            cbxEveryWeekday->setCurrentIndex(factor - 1);
        break;
    case srMonthOfYear:
        rbtEveryYearMonth->setChecked(true);
        if (factor >= 1 && factor <= cbxEveryYearMonth->count())
            cbxEveryYearMonth->setCurrentIndex(factor - 1);
        break;
    default:
        for (int i = 0; i < 6; ++i) {
            if (kEveryRules[i] == rule) {
                rbtEveryNTimes->setChecked(true);
                cbxEveryNTimes->setCurrentIndex(i);
                sedEveryNTimes->setValue(factor);
            }
        }
        break;
    }
}

void Tcomponentform::SetStart(TDateTime start)
{
    int y, m, d, h, mi, s, ms;
    DecodeDateTime(start, y, m, d, h, mi, s, ms);
    if (y) {
        const QTime time(h, mi);
        // A stored start after 23:00 (made through "or in") must survive an
        // edit of the record unchanged.
        const QScopedValueRollback setting(FSetting, true);
        sedStartTime->setMaximumTime(qMax(time, LatestTime()));
        dedStartDate->setDate(QDate(y, m, d));
        sedStartTime->setTime(time);
    }
    SelectAbsolute();
}

bool Tcomponentform::IsExcludedWeekday(TDateTime date) const
{
    const int day = DayOfTheWeek(date);
    return day >= 1 && day <= 7 && chkExclude[std::size_t(day - 1)]->isChecked();
}

bool Tcomponentform::AllWeekdaysExcluded() const
{
    for (const QCheckBox *box : chkExclude) {
        if (!box->isChecked())
            return false;
    }
    return true;
}

std::array<bool, 7> Tcomponentform::Excludes() const
{
    std::array<bool, 7> result{};
    for (std::size_t i = 0; i < chkExclude.size(); ++i)
        result[i] = chkExclude[i]->isChecked();
    return result;
}

void Tcomponentform::SetExcludes(const std::array<bool, 7> &excluded)
{
    for (std::size_t i = 0; i < chkExclude.size(); ++i)
        chkExclude[i]->setChecked(excluded[i]);
}

void Tcomponentform::SetRepeatControlsEnabled(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(rbtEveryNTimes), static_cast<QWidget *>(rbtEveryYearMonth),
                       static_cast<QWidget *>(rbtEveryWeekday), static_cast<QWidget *>(sedEveryNTimes),
                       static_cast<QWidget *>(cbxEveryNTimes), static_cast<QWidget *>(cbxEveryYearMonth),
                       static_cast<QWidget *>(cbxEveryWeekday)})
        w->setEnabled(on);
    for (QCheckBox *box : chkExclude)
        box->setEnabled(on);
}

void Tcomponentform::SetRepeat(bool on)
{
    chkRepeatTask->setChecked(on);
    SetRepeatControlsEnabled(on);
}

void Tcomponentform::ResetStartToNow()
{
    int y, m, d, h, mi, s, ms;
    const TDateTime now = Clock::Now();
    DecodeDateTime(now, y, m, d, h, mi, s, ms);
    const QScopedValueRollback setting(FSetting, true);
    sedStartTime->setMaximumTime(LatestTime());
    dedStartDate->setDate(QDate(y, m, d));
    sedStartTime->setTime(QTime(h, mi));
    const int weekday = DayOfTheWeek(now);
    if (weekday >= 1 && weekday <= cbxEveryWeekday->count())
        cbxEveryWeekday->setCurrentIndex(weekday - 1);
    if (m >= 1 && m <= cbxEveryYearMonth->count())
        cbxEveryYearMonth->setCurrentIndex(m - 1);
}

void Tcomponentform::EnsureValidDate()
{
    const QScopedValueRollback setting(FSetting, true);
    if (!dedStartDate->hasAcceptableInput() || !dedStartDate->date().isValid())
        dedStartDate->setDate(ToQDate(Clock::Today()));
}

bool Tcomponentform::eventFilter(QObject *watched, QEvent *event)
{
    const auto it = FChoiceOf.constFind(watched);
    if (it != FChoiceOf.cend()) {
        const bool click = event->type() == QEvent::MouseButtonPress
                           || (event->type() == QEvent::FocusIn
                               && static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason);
        if (click && static_cast<QWidget *>(watched)->isEnabled())
            Choose(it.value());
    }
    return QWidget::eventFilter(watched, event);
}

void Tcomponentform::Choose(TChoice choice)
{
    if (FSetting)
        return;
    switch (choice) {
    case chAbsolute:
        if (!rbtAbsoleteDateTime->isChecked())
            SelectAbsolute();
        break;
    case chRelative:
        if (!rbtRelatedDateTime->isChecked())
            SelectRelative();
        break;
    case chEveryN: rbtEveryNTimes->setChecked(true); break;
    case chEveryMonth: rbtEveryYearMonth->setChecked(true); break;
    case chEveryWeekday:
        if (!rbtEveryWeekday->isChecked()) {
            rbtEveryWeekday->setChecked(true);
            rbtEveryWeekdayClick();
        }
        break;
    }
}

void Tcomponentform::SelectAbsolute()
{
    rbtAbsoleteDateTime->setChecked(true);
}

void Tcomponentform::SelectRelative()
{
    rbtRelatedDateTime->setChecked(true);
}

void Tcomponentform::rbtAbsoleteDateTimeClick()
{
    SelectAbsolute();
}

void Tcomponentform::rbtRelatedDateTimeClick()
{
    SelectRelative();
    sedPresetNTimes->setFocus();
    // Chosen with an arrow key, the radio button takes the focus back right
    // after this click; the count must have it once that is done.
    QTimer::singleShot(0, sedPresetNTimes, [this] {
        if (rbtRelatedDateTime->hasFocus())
            sedPresetNTimes->setFocus();
    });
}

void Tcomponentform::chkRepeatTaskClick()
{
    SetRepeatControlsEnabled(chkRepeatTask->isChecked());
}

void Tcomponentform::rbtEveryWeekdayClick()
{
    // A reminder that repeats on one weekday excludes none.
    SetExcludes({});
}

QString Tcomponentform::WeekdayName(int isoDay) const
{
    if (isoDay >= 1 && isoDay <= FWeekdayNames.size())
        return FWeekdayNames[isoDay - 1];
    return QLocale().dayName(isoDay, QLocale::LongFormat);
}

void Tcomponentform::chkExcludeMondayClick()
{
    auto *box = qobject_cast<QCheckBox *>(sender());
    // Unticking a box can create no conflict; only a new exclusion is checked.
    if (!box || !box->isChecked())
        return;
    const TDateTime date = FromQDate(dedStartDate->date());
    // With all seven ticked the start's weekday is ticked too; naming the
    // real fault (no weekday left) comes first.
    QString message;
    if (AllWeekdaysExcluded())
        message = QStringLiteral("You cannot exclude all weekdays in a repeated reminder.");
    else if (IsExcludedWeekday(date))
        message = QStringLiteral("You cannot set the reminder's Date/Time to start on %1.\rYou have excluded it.")
                      .arg(WeekdayName(DayOfTheWeek(date)));
    else if (rbtEveryWeekday->isChecked())
        message = QStringLiteral("You cannot exclude a repeated weekday.");
    if (message.isEmpty())
        return;
    ShowNotice(message, TMsgIcon::Information, QString(), window());
    box->setChecked(false);
}
