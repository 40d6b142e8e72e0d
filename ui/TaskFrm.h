#pragma once
// The Add Reminder wizard: the one window in which reminders are created and
// changed. It works on a private copy of a record and hands the copy back
// only when the user finishes; its callers decide what to do with it.

#include "model/TaskData.h"
#include "platform/Desktop.h"

#include <QDialog>
#include <memory>

class IMessageBoxes;
class ISoundPlayer;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
class Tcomponentform;
class TFormPlacement;
class TImageList;
class TPreferences;
class TTaskList;
class TvornIniFile;
class TWindowRegistry;
struct TActionContext;

// What the wizard works with.
struct TTaskFormServices {
    // Preferences, sounds folders, the message boxes and the sound player, open-window flags.
    TActionContext *Actions = nullptr;
    TvornIniFile *Ini = nullptr; // placement and the remembered type
    const TImageList *LargeImages = nullptr; // the actions' pictures, loaded by the caller
    TWindowRegistry *Windows = nullptr; // where the open wizards are found
    QString ProductName = QStringLiteral("Brivane");
};

class TTaskForm : public QDialog {
    Q_OBJECT
public:
    enum TWizardMode : uint8_t { wmNew = 0, wmProperties = 1, wmChangeSchedule = 2 };

    TTaskForm(TTaskFormServices services, TWizardMode mode, QWidget *owner = nullptr);
    ~TTaskForm() override;

    // A new reminder: ReminderAdded carries the record on Finish; nothing
    // happens on Cancel. Connect, then Open().
    static TTaskForm *NewReminder(const TTaskFormServices &services, QWidget *owner);
    // Edits a record of the list; the record stays in service while the
    // wizard is open. On Finish the record takes the edit, the open Reminders
    // window is re-sorted and refreshed and the list marked modified;
    // EditFinished tells whether the user finished. Connect, then Open().
    static TTaskForm *EditReminder(const TTaskFormServices &services, std::shared_ptr<TTaskData> task,
                                   bool changeScheduleOnly, QWidget *owner);
    // Shows the wizard modal to its owner only, through the message boxes; it
    // is deleted once it has closed and told its result (at once when the
    // boxes answer it without a user, or when there are none).
    void Open();

    // The newest wizard that is open among windows, if any.
    static TTaskForm *OpenWizard(const TWindowRegistry &windows);

    // The private copy of the record the wizard works on.
    const TTaskData &Task() const { return TaskCopy; }

    // The pages: the visible ones in order, the one shown, and a move to one
    // (which fires the leave and show rules).
    QList<QWidget *> VisiblePages() const;
    QWidget *CurrentPage() const;
    void GoToPage(QWidget *page);

signals:
    void ReminderAdded(const TTaskData &task);
    void EditFinished(bool changed);

protected:
    void reject() override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private slots:
    // Finish: the wizard stays open as it is when the record cannot be made.
    bool FinishClick();
    void CancelClick();
    void NextClick();
    void BackClick();
    void UpdateFinishButton();
    void chkSendemailClick();
    void btnMailRecipientsClick();
    void chkRunProgramClick();
    void btnProgramPropertiesClick();
    void btnTestSoundClick();
    void btnDefaultSoundClick();
    void BrowseSound();

private:
    void BuildPages();
    void NamePages();
    void ShowPagesFor(int kind);
    void ApplyNewDefaults();
    void LoadFromTask();
    // A sound file the user chose: copied into the user's sounds folder (unless it
    // is there or among the program's own) and named in the field.
    void SoundPicked(const QString &picked);
    void Closed(int result);
    void PageShown(QWidget *page);
    void PageLeft(QWidget *page);
    void FocusFirstControl(QWidget *page);
    void UpdateCaption();
    void UpdateButtons();
    void TypeChosen(bool alarm);
    void UpdateDependentControls();
    void RefreshLogoffCaption();
    void StopSound();
    int ChosenKind() const;
    Desktop::SoundFolders Sounds() const;
    const TPreferences &Prefs() const;
    IMessageBoxes *Boxes() const;

    TTaskFormServices S;
    TTaskData TaskCopy;
    TWizardMode WizardMode;
    QString CaptionPrefix;
    // The record an edit finishes into; none for a new reminder.
    std::shared_ptr<TTaskData> FEdited;
    bool FChangeScheduleOnly = false;

    QTabWidget *TasksPageControl;
    QWidget *ReminderTypeTab, *GeneralTab, *WhenTab, *ActionsTab, *TaskWhenTab, *TaskActionsTab;
    QRadioButton *rbtAlarmType, *rbtTaskType;
    QLabel *lblReminderTypeHelp;
    QLineEdit *edtTaskTitle;
    QPlainTextEdit *memTaskNotes;
    QGroupBox *grpPrewarning;
    QCheckBox *chkPrewarning;
    QSpinBox *sedPrewarningNFactor;
    QComboBox *cbxPrewarningPresets;
    QCheckBox *chkPopupNote, *chkSendemail, *chkPlaySound;
    QPushButton *btnMailRecipients, *btnTestSound, *btnDefaultSound;
    QLineEdit *fedSoundPathname;
    QToolButton *btnBrowseSound;
    QCheckBox *chkRunProgram, *chkShutdown;
    QPushButton *btnProgramProperties;
    QRadioButton *rbtShutdown, *rbtRestart, *rbtLogoff;
    QPushButton *btnBack = nullptr, *btnNext = nullptr, *btnFinish = nullptr, *btnCancel = nullptr;
    Tcomponentform *Panels;
    std::unique_ptr<TFormPlacement> FPlacement;
    QVBoxLayout *FAlarmWhenLayout, *FTaskWhenLayout;
    QWidget *FShownPage = nullptr;
    bool FLoading = false;
};
