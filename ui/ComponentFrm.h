#pragma once
// The start date/time and repeat-schedule panels of the reminder wizard. The
// form itself is never shown: the wizard moves its two group boxes onto its
// When? pages, reads them at Finish and fills them when it loads a record.

#include "core/DateTime.h"

#include <QHash>
#include <QStringList>
#include <QTime>
#include <QWidget>
#include <array>
#include <cstdint>

class IMessageBoxes;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

class Tcomponentform : public QWidget {
    Q_OBJECT
public:
    // boxes: where the refusals of an exclude box are told; none: not told.
    explicit Tcomponentform(IMessageBoxes *boxes, QWidget *parent = nullptr);

    // The two group boxes the wizard places on its When? pages.
    QWidget *StartPanel() const;
    QWidget *RepeatPanel() const;
    // The keyboard goes to the start date.
    void FocusStartDate();

    // Long weekday names from Monday, long month names from January, short
    // weekday names from Monday (the exclude boxes' captions).
    void SetNames(const QStringList &weekdays, const QStringList &months, const QStringList &shortWeekdays);
    // 24-hour display or 12-hour with AM/PM.
    void SetTimeBase24(bool on24);
    // The calendar pop-up's first column.
    void SetFirstDayOfWeek(Qt::DayOfWeek day);

    // "On": the date and time fields (whole minutes); "or in": the count of
    // units from the present minute.
    TDateTime StartDateTime() const;
    // The selected repeat choice as stored (rule and factor); read whether or
    // not repeating is on.
    void ReadRepeatRule(uint8_t &rule, int32_t &factor) const;
    // Selects the choice of a stored rule; unknown rules or out-of-range
    // factors leave the lists as they are.
    void LoadRepeatRule(uint8_t rule, int32_t factor);
    // Date and time fields; "On" selected. A stored time after 23:00 is kept.
    void SetStart(TDateTime start);

    // The exclude box of the date's weekday is checked.
    bool IsExcludedWeekday(TDateTime date) const;
    bool AllWeekdaysExcluded() const;
    std::array<bool, 7> Excludes() const;
    void SetExcludes(const std::array<bool, 7> &excluded);

    // The choices, their lists and the exclude boxes, together.
    void SetRepeatControlsEnabled(bool on);
    // "Repeat this Reminder" and the enabling of the group below it.
    void SetRepeat(bool on);
    bool IsRepeating() const;
    // New-reminder defaults: date today, time now, weekday list today's
    // weekday, month list this month.
    void ResetStartToNow();
    // A date field that holds no valid date gets today.
    void EnsureValidDate();

    // The latest time the time field accepts from the user.
    static QTime LatestTime();
    // Every control of both panels in the order Tab visits them: start rows,
    // then the repeat group with its exclude boxes.
    QList<QWidget *> TabChain() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void rbtAbsoluteDateTimeClick();
    void rbtRelatedDateTimeClick();
    void chkRepeatTaskClick();
    void rbtEveryWeekdayClick();
    void chkExcludeClick();

private:
    // The choices a control belongs to: a start row or a repeat rule.
    enum TChoice { chAbsolute, chRelative, chEveryN, chEveryMonth, chEveryWeekday };
    void SelectAbsolute();
    void SelectRelative();
    // A control's value was changed or the control was clicked: its choice is made.
    void Choose(TChoice choice);
    // Watches a control (and its edit line) for clicks and its user's changes.
    void WatchChoice(QWidget *control, TChoice choice);
    QString WeekdayName(int isoDay) const;

    IMessageBoxes *FBoxes;
    QGroupBox *DateTimePanel; // " Date/Time "
    QGroupBox *RepeatSchedulePanel; // " Repeat schedule "
    QRadioButton *rbtAbsoluteDateTime, *rbtRelatedDateTime;
    QDateEdit *dedStartDate; // calendar pop-up, four-digit years
    QTimeEdit *sedStartTime; // 00:00..23:00, 12h/24h display
    QSpinBox *sedPresetNTimes; // 1..365
    QComboBox *cbxPresetDate;
    QCheckBox *chkRepeatTask;
    QRadioButton *rbtEveryNTimes, *rbtEveryYearMonth, *rbtEveryWeekday;
    QSpinBox *sedEveryNTimes; // 1..80
    QComboBox *cbxEveryNTimes, *cbxEveryYearMonth, *cbxEveryWeekday;
    std::array<QCheckBox *, 7> chkExclude; // Monday..Sunday
    QHash<QObject *, TChoice> FChoiceOf;
    bool FSetting = false; // values set by the program choose nothing
    QButtonGroup *FStartGroup;
    QButtonGroup *FRepeatGroup;
    QStringList FWeekdayNames;
};
