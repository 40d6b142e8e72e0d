#pragma once
// The small modal dialog behind the note's "snooze..." entries: a snooze time
// stated relative to now (or, for a pre-warning, before the event) or as an
// exact date and time.

#include "core/DateTime.h"
#include "model/TaskList.h"
#include "scheduler/ActionContext.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

class TSetSnoozeForm : public QDialog {
    Q_OBJECT
public:
    enum : uint8_t { smOrdinary = 0, smPreWarning = 1 };

    explicit TSetSnoozeForm(const TActionContext &context, QWidget *owner = nullptr);
    ~TSetSnoozeForm() override;

    // Ordinary snooze of the reminder at index: units counted from now.
    void SetupOrdinary(int index);
    // Pre-warning snooze: units counted back from the event, up to the unit
    // of the reminder's pre-warning.
    void SetupPreWarning(int index);

    // The unit list of a mode; in pre-warning mode as far as the pre-warning rule reaches.
    static QStringList UnitItems(uint8_t mode, int preWarningRule = 0);
    // The relative row: ordinary mode n units of u from the present minute,
    // pre-warning mode the event less n units of u.
    static TDateTime RelativeValue(uint8_t mode, const TTaskData *task, int unit, int n);
    // Whether OK may accept value; otherwise warning receives the message.
    // Values less than a millisecond from now or from the event count as equal.
    // suffix follows the times in the message (" ampm" on a 12-hour clock).
    static bool CheckSnoozeTime(uint8_t mode, TDateTime value, TDateTime now, TDateTime event, QString *warning,
                                const QString &suffix = QString());

    TDateTime RelativeValue() const;
    TDateTime AbsoluteValue() const;
    // What OK reads: the exact row when its radio button is checked, else the relative one.
    TDateTime ChosenValue() const;

    const TActionContext &Context;
    int TaskIndex = -1;
    uint8_t SnoozeMode = smOrdinary;
    TDateTime SnoozeDateTime = 0;

private slots:
    void rbtRelatedDateTimeClick();
    void rbtAbsoluteDateTimeClick();
    void btnOKClick();
    void btnCancelClick();

private:
    QGroupBox *gbxDataTime;
    QRadioButton *rbtRelatedDateTime;
    QSpinBox *sedPresetNTimes;
    QComboBox *cbxPresetDate;
    QRadioButton *rbtAbsoluteDateTime;
    QDateEdit *dedStartDate;
    QTimeEdit *sedStartTime;
    QPushButton *btnOK;
    QPushButton *btnCancel;

    void Bind(int index);
    // Date and time fields from the relative row.
    void FillAbsoluteFromRelative();
    void SetAbsoluteFields(TDateTime value);

    // The record, held for the dialog's life: the list may be re-sorted while it is open.
    std::shared_ptr<TTaskData> FTask;
};

// Sets up the dialog in its mode at (left, top) above the note that asks,
// modal to that note only, and returns at once; chosen receives the time when
// the dialog is closed by OK (nothing happens on Cancel). The dialog runs
// through the context's boxes; without them it is cancelled at once. chosen
// is a callback: the one answer to this one question.
void AskSnoozeTime(const TActionContext &context, QWidget *note, int top, int left, int index,
                   std::function<void(TDateTime chosen)> chosen);
void AskPrewarningSnoozeTime(const TActionContext &context, QWidget *note, int top, int left, int index,
                             std::function<void(TDateTime chosen)> chosen);
