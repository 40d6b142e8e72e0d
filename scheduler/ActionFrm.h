#pragma once
// The common base of every window that carries out a fired reminder's action.
// It is bound to one record, counts itself in the record while open, refuses
// every close but its own, and on closing stops the sound and marks the list
// modified.

#include "model/TaskList.h"
#include "scheduler/ActionContext.h"

#include <QWidget>
#include <memory>

class QLabel;

class TActionForm : public QWidget {
    Q_OBJECT
public:
    explicit TActionForm(TActionContext &context, QWidget *owner = nullptr);
    ~TActionForm() override;

    virtual void StartAction(int i);
    void SetTaskData(int i);
    void SetStartAtOnce(bool flag) { StartAtOnce = flag; }
    // Current index of the served record, -1 when it has left the list.
    int RecordIndex();
    void IncActionCount();
    void DecActionCount();
    bool HasOpenActions() const;
    // The served record; it stays readable even after removal from the list.
    TTaskData *TaskData() const { return FTaskData.get(); }

    TActionContext &Context;
    bool MayClose = false;
    bool StartAtOnce = false;

protected:
    QLabel *labSchedule;
    QLabel *lblTitle;

    void closeEvent(QCloseEvent *event) override;
    // What a granted close does; subclasses add their own steps.
    virtual void FormClose();
    void BaseCloseSteps();
    void Bind(int i);

    std::shared_ptr<TTaskData> FTaskData;
};

// Never shown: starts the reminder's sound and closes at once.
class TPlaysoundForm : public TActionForm {
    Q_OBJECT
public:
    explicit TPlaysoundForm(TActionContext &context, QWidget *owner = nullptr);
    bool IsSoundOnly() const;
    void StartSound(int i);
    // The file the reminder plays: its SoundFile in the user's sounds, else among the
    // program's own; empty when neither has it (the default sound plays).
    static QString SoundPath(const Desktop::SoundFolders &sounds, const TTaskData &task);

protected:
    void FormClose() override;
};

// Starts a new action window on the record at index i: the sound window plays,
// every other starts its action (its countdown at one second with startAtOnce).
void StartActionWindow(TActionForm &form, int i, bool startAtOnce);

// "  ddd, d mmm yyyy, hh:mm" + the time suffix + ", " + the rule description.
QString ActionScheduleText(const TPreferences *prefs, const TTaskData &task);
