#pragma once
// The popup note: a paper note showing a fired reminder's title, schedule and
// notes, with Dismiss, the snooze menu, Change schedule and Delete. A
// pre-warning firing gets the amber note, a pre-warning line and its own
// snooze menu. The note never writes the store itself: it changes the record
// and marks the list modified, and the store is written soon after.

#include "scheduler/ActionFrm.h"

#include <QImage>
#include <QPlainTextEdit>

class QFrame;
class QMenu;
class QAction;
class QPushButton;
class TFormShaper;

// The ruled memo of the note.
class TNoteMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TNoteMemo(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class TPopupNoteForm : public TActionForm {
    Q_OBJECT
public:
    explicit TPopupNoteForm(TActionContext &context, QWidget *owner = nullptr);
    ~TPopupNoteForm() override;

    void StartAction(int i) override;

    // Size of the note without a picture (the picture's size otherwise).
    static constexpr int kNoteWidth = 367;
    static constexpr int kNoteHeight = 243;
    // The pre-warning note is this much taller; everything from the title down moves by it.
    static constexpr int kPreWarningShift = 28;
    // Centre of the Dismiss button: this far from the left edge and above the bottom edge.
    static constexpr int kDismissCentreX = 229;
    static constexpr int kDismissCentreFromBottom = 20;

    bool IsPreWarning() const { return FPreWarning; }
    bool NotesLoaded = false;
    bool NotesChanged = false;

private slots:
    void btnOKClick();
    void btnSnoozeClick();
    void popSnooze1Click() { PresetSnooze(1); }
    void popSnooze2Click() { PresetSnooze(2); }
    void popSnooze3Click() { PresetSnooze(3); }
    void popSnooze4Click() { PresetSnooze(4); }
    void popSnoozeuntilEventDateTimeClick();
    void popChooseSnoozeClick();
    void popChoosePrewarningSnoozeClick();
    void lblResetScheduleClick();
    void lblDeleteClick();
    void lblNotesChange();

protected:
    void FormClose() override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *lblAppName;
    QLabel *lblPrewarning;
    TNoteMemo *lblNotes;
    QFrame *pnlLinks;
    QLabel *lblResetSchedule;
    QLabel *lblDelete;
    QFrame *pnlOK;
    QPushButton *btnOK;
    QFrame *pnlSnooze;
    QPushButton *btnSnooze;
    TFormShaper *FormShaper1;
    QMenu *popSnooze;
    QAction *popSnooze1;
    QAction *popSnooze2;
    QAction *popSnooze3;
    QAction *popSnooze4;
    QAction *popChoosePrewarningSnooze;
    QAction *popSnoozeuntilEventDateTime;
    QAction *popChooseSnooze;

    void PresetSnooze(int preset);
    // Esc: put the note off, never away; the reminder comes back.
    void SnoozeFromKeyboard();
    // Applies a snooze time and closes; false (note left open) when refused.
    bool SnoozeAndClose(TDateTime t, bool testWeekday);
    void CloseNote();
    void ApplyLook();
    void LayOut(bool pre);
    void PlaceSchedule();
    void PlaceInCascade();
    void UpdateResetScheduleLink();

    bool FPreWarning = false;
};
