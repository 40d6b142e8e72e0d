#include "scheduler/SetSnoozeFrm.h"

#include "core/Clock.h"
#include "platform/LegacyMessageBox.h"
#include "scheduler/NoteActions.h"
#include "scheduler/TaskScheduler.h"
#include "storage/GlobalPreferences.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

const char *const kOrdinaryUnits[] = {"minute(s) from now", "hour(s)  from now",   "day(s) from today",
                                      "week(s) from today", "month(s) from today", "year(s) from today"};
const char *const kPreWarningUnits[] = {"minute(s) before the event", "hour(s)  before the event",
                                        "day(s) before the event",    "week(s) before the event",
                                        "month(s) before the event",  "year(s) before the event"};

// The last unit a pre-warning snooze may use: the unit of the pre-warning itself.
int LastPreWarningUnit(int preWarningRule)
{
    switch (preWarningRule) {
    case srMinutes: return 0;
    case srHours: return 1;
    case srDays: return 2;
    case srWeeks: return 3;
    case srMonths: return 4;
    case srYears: return 5;
    default: return 0; // no such pre-warning: the smallest unit only
    }
}

QString DateFieldFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QStringLiteral("yyyy")))
        f.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return f;
}

Qt::DayOfWeek CalendarFirstDay(const TPreferences *prefs)
{
    // Sunday = 0 .. Saturday = 6.
    const int d = prefs ? prefs->CalendarStartOfWeek() : 0;
    return d <= 0 || d > 6 ? Qt::Sunday : Qt::DayOfWeek(d);
}

} // namespace

TSetSnoozeForm::TSetSnoozeForm(const TActionContext &context, QWidget *owner)
    : QDialog(owner, Qt::Tool)
    , Context(context)
    , gbxDataTime(new QGroupBox(this))
    , rbtRelatedDateTime(new QRadioButton(QStringLiteral("for"), gbxDataTime))
    , sedPresetNTimes(new QSpinBox(gbxDataTime))
    , cbxPresetDate(new QComboBox(gbxDataTime))
    , rbtAbsoleteDateTime(new QRadioButton(QStringLiteral("until "), gbxDataTime))
    , dedStartDate(new QDateEdit(gbxDataTime))
    , sedStartTime(new QTimeEdit(gbxDataTime))
    , btnOK(new QPushButton(QStringLiteral("OK"), this))
    , btnCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Snooze"));
    setObjectName(QStringLiteral("SetSnoozeForm"));
    gbxDataTime->setObjectName(QStringLiteral("gbxDataTime"));
    rbtRelatedDateTime->setObjectName(QStringLiteral("rbtRelatedDateTime"));
    sedPresetNTimes->setObjectName(QStringLiteral("sedPresetNTimes"));
    cbxPresetDate->setObjectName(QStringLiteral("cbxPresetDate"));
    rbtAbsoleteDateTime->setObjectName(QStringLiteral("rbtAbsoleteDateTime"));
    dedStartDate->setObjectName(QStringLiteral("dedStartDate"));
    sedStartTime->setObjectName(QStringLiteral("sedStartTime"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    // Each radio button governs its own row; the pair is kept exclusive by the handlers.
    rbtRelatedDateTime->setAutoExclusive(false);
    rbtAbsoleteDateTime->setAutoExclusive(false);
    rbtRelatedDateTime->setChecked(true);

    sedPresetNTimes->setRange(1, 365);
    sedPresetNTimes->setValue(1);
    for (const char *item : kOrdinaryUnits)
        cbxPresetDate->addItem(QString::fromLatin1(item));
    cbxPresetDate->setCurrentIndex(0);

    dedStartDate->setCalendarPopup(true);
    dedStartDate->setToolTip(QStringLiteral("Click to open calendar"));
    dedStartDate->setDisplayFormat(DateFieldFormat());
    dedStartDate->calendarWidget()->setFirstDayOfWeek(CalendarFirstDay(context.Preferences));
    dedStartDate->setEnabled(false);

    // Every minute of the day can be chosen; a typed value outside is clamped.
    sedStartTime->setTimeRange(QTime(0, 0), QTime(23, 59));
    const bool h24 = context.Preferences ? context.Preferences->TimeBase24hour() : true;
    sedStartTime->setDisplayFormat(h24 ? QStringLiteral("HH:mm") : QStringLiteral("hh:mm AP"));
    sedStartTime->setEnabled(false);

    auto *grid = new QGridLayout(gbxDataTime);
    grid->addWidget(rbtRelatedDateTime, 0, 0);
    grid->addWidget(sedPresetNTimes, 0, 1);
    grid->addWidget(cbxPresetDate, 0, 2, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("or"), gbxDataTime), 1, 0);
    grid->addWidget(rbtAbsoleteDateTime, 2, 0);
    grid->addWidget(dedStartDate, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral(" at"), gbxDataTime), 2, 3);
    grid->addWidget(sedStartTime, 2, 4);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(gbxDataTime);
    main->addLayout(buttons);
    btnOK->setDefault(true);

    // The fields start at today and the present time, then follow the relative row.
    const TDateTime now = Clock::Now();
    SetAbsoluteFields(now);
    FillAbsoluteFromRelative();

    connect(rbtRelatedDateTime, &QRadioButton::clicked, this, &TSetSnoozeForm::rbtRelatedDateTimeClick);
    connect(rbtAbsoleteDateTime, &QRadioButton::clicked, this, &TSetSnoozeForm::rbtAbsoleteDateTimeClick);
    connect(sedPresetNTimes, &QSpinBox::valueChanged, this, &TSetSnoozeForm::FillAbsoluteFromRelative);
    connect(cbxPresetDate, &QComboBox::currentIndexChanged, this, &TSetSnoozeForm::FillAbsoluteFromRelative);
    connect(btnOK, &QPushButton::clicked, this, &TSetSnoozeForm::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TSetSnoozeForm::btnCancelClick);
}

TSetSnoozeForm::~TSetSnoozeForm() = default;

void TSetSnoozeForm::Bind(int index)
{
    TaskIndex = index;
    FTask = Context.List ? Context.List->SharedTask(index) : nullptr;
}

void TSetSnoozeForm::SetupOrdinary(int index)
{
    Bind(index);
    SnoozeMode = smOrdinary;
    gbxDataTime->setTitle(QStringLiteral(" Relative or exact Date/Time "));
    cbxPresetDate->setCurrentIndex(0);
}

void TSetSnoozeForm::SetupPreWarning(int index)
{
    Bind(index);
    SnoozeMode = smPreWarning;
    {
        // The date and time fields keep what they show until the user changes the row.
        const QSignalBlocker block(cbxPresetDate);
        cbxPresetDate->clear();
        cbxPresetDate->addItems(UnitItems(smPreWarning, FTask ? FTask->PreWarningRule : 0));
        cbxPresetDate->setCurrentIndex(0);
    }
    rbtRelatedDateTime->setText(QStringLiteral("until"));
    gbxDataTime->setTitle(QStringLiteral(" Relative or exact Date/Time before the event "));
}

QStringList TSetSnoozeForm::UnitItems(uint8_t mode, int preWarningRule)
{
    QStringList items;
    if (mode == smPreWarning) {
        const int last = LastPreWarningUnit(preWarningRule);
        for (int u = 0; u <= last; ++u)
            items << QString::fromLatin1(kPreWarningUnits[u]);
    } else {
        for (const char *item : kOrdinaryUnits)
            items << QString::fromLatin1(item);
    }
    return items;
}

TDateTime TSetSnoozeForm::RelativeValue(uint8_t mode, const TTaskData *task, int unit, int n)
{
    if (mode == smPreWarning && task)
        return TRecurrence::PresetBeforeEvent(*task, unit, n);
    return TRecurrence::PresetFromNow(unit, n);
}

bool TSetSnoozeForm::CheckSnoozeTime(uint8_t mode, TDateTime value, TDateTime now, TDateTime event, QString *warning,
                                     const QString &suffix)
{
    QString text;
    const bool beforeNow = value < now && !SameDateTime(value, now);
    if (mode == smPreWarning) {
        if (beforeNow)
            text = QStringLiteral("Snooze time cannot be earlier than %1")
                       .arg(FormatDateTime(QStringLiteral("hh:mm") + suffix, now));
        else if (value > event && !SameDateTime(value, event))
            text = QStringLiteral("Snooze time cannot be later than %1")
                       .arg(FormatDateTime(QStringLiteral("d mmm yyyy, hh:mm") + suffix, event));
    } else if (beforeNow) {
        text = QStringLiteral("Snooze time must be later than %1")
                   .arg(FormatDateTime(QStringLiteral("d mmm yyyy, hh:mm") + suffix, now));
    }
    if (warning)
        *warning = text;
    return text.isEmpty();
}

TDateTime TSetSnoozeForm::RelativeValue() const
{
    return RelativeValue(SnoozeMode, FTask.get(), cbxPresetDate->currentIndex(), sedPresetNTimes->value());
}

TDateTime TSetSnoozeForm::AbsoluteValue() const
{
    const QDate d = dedStartDate->date();
    const QTime t = sedStartTime->time();
    return ComposeDateTime(EncodeDate(d.year(), d.month(), d.day()), EncodeTime(t.hour(), t.minute(), 0, 0));
}

TDateTime TSetSnoozeForm::ChosenValue() const
{
    return rbtAbsoleteDateTime->isChecked() ? AbsoluteValue() : RelativeValue();
}

void TSetSnoozeForm::SetAbsoluteFields(TDateTime value)
{
    if (!IsValidDateTime(value))
        return;
    int y, m, d, h, mi, s, ms;
    DecodeDateTime(value, y, m, d, h, mi, s, ms);
    dedStartDate->setDate(QDate(y, m, d));
    sedStartTime->setTime(QTime(h, mi));
}

void TSetSnoozeForm::FillAbsoluteFromRelative()
{
    SetAbsoluteFields(RelativeValue());
}

void TSetSnoozeForm::rbtRelatedDateTimeClick()
{
    rbtRelatedDateTime->setChecked(true);
    rbtAbsoleteDateTime->setChecked(false);
    sedPresetNTimes->setEnabled(true);
    cbxPresetDate->setEnabled(true);
    dedStartDate->setEnabled(false);
    sedStartTime->setEnabled(false);
}

void TSetSnoozeForm::rbtAbsoleteDateTimeClick()
{
    rbtAbsoleteDateTime->setChecked(true);
    rbtRelatedDateTime->setChecked(false);
    dedStartDate->setEnabled(true);
    sedStartTime->setEnabled(true);
    sedPresetNTimes->setEnabled(false);
    cbxPresetDate->setEnabled(false);
}

void TSetSnoozeForm::btnOKClick()
{
    const TDateTime value = ChosenValue();
    const TDateTime event = FTask ? FTask->EventDateTime : value;
    QString warning;
    const QString suffix = Context.Preferences ? Context.Preferences->TimeFormatSuffix() : QString();
    if (!CheckSnoozeTime(SnoozeMode, value, Clock::Now(), event, &warning, suffix)) {
        ShowNotice(warning, TMsgIcon::Warning, QString(), this);
        return; // the dialog stays open with the input
    }
    SnoozeDateTime = value;
    accept();
}

void TSetSnoozeForm::btnCancelClick()
{
    reject();
}

namespace {

void RunAt(TSetSnoozeForm *dialog, int top, int left, std::function<void(TDateTime)> chosen)
{
    dialog->move(left, top);
    if (const auto &run = dialog->Context.RunSnoozeDialog) {
        const std::unique_ptr<TSetSnoozeForm> owned(dialog);
        if (run(*dialog) == QDialog::Accepted && chosen)
            chosen(dialog->SnoozeDateTime);
        return;
    }
    // The note is always on top: the dialog must be too, or it opens under it.
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    OpenDialog(dialog, [dialog, chosen = std::move(chosen)](int result) {
        if (result == QDialog::Accepted && chosen)
            chosen(dialog->SnoozeDateTime);
    });
}

} // namespace

void AskSnoozeTime(const TActionContext &context, QWidget *note, int top, int left, int index,
                   std::function<void(TDateTime chosen)> chosen)
{
    auto *dialog = new TSetSnoozeForm(context, note);
    dialog->SetupOrdinary(index);
    RunAt(dialog, top, left, std::move(chosen));
}

void AskPrewarningSnoozeTime(const TActionContext &context, QWidget *note, int top, int left, int index,
                             std::function<void(TDateTime chosen)> chosen)
{
    auto *dialog = new TSetSnoozeForm(context, note);
    dialog->SetupPreWarning(index);
    RunAt(dialog, top, left, std::move(chosen));
}
