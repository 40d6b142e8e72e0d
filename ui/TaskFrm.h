#pragma once
// The Add Reminder wizard: the one window in which reminders are created and
// changed. It works on a private copy of a record and hands the copy back
// only when the user finishes; its callers decide what to do with it.

#include "model/TaskData.h"
#include "platform/Desktop.h"

#include <QDialog>
#include <functional>
#include <memory>

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
struct TActionContext;

// What the wizard works with.
struct TTaskFormServices {
    TActionContext *Actions = nullptr; // preferences, sounds folder, open-window flags
    TvornIniFile *Ini = nullptr; // placement and the remembered type
    const TImageList *LargeImages = nullptr; // the actions' pictures
    std::function<void()> LoadImages;
    QString ProductName = QStringLiteral("Brivane");
    // The sound browser (replaced in tests): the picked file, empty when cancelled.
    std::function<QString(QWidget *owner, const QString &folder)> AskSoundFile;
};

class TTaskForm : public QDialog {
    Q_OBJECT
public:
    enum TWizardMode : uint8_t { wmNew = 0, wmProperties = 1, wmChangeSchedule = 2 };

    TTaskForm(TTaskFormServices services, TWizardMode mode, QWidget *owner = nullptr);
    ~TTaskForm() override;

    // A new reminder: added receives the record on Finish; nothing happens on
    // Cancel. The wizard is modal to owner only and goes when it closes; it is
    // returned while it is open (not when a test's hook has answered it).
    static TTaskForm *OpenNewReminderWizard(const TTaskFormServices &services, QWidget *owner,
                                            std::function<void(const TTaskData &task)> added);
    // Edits a record of the list; the record stays in service while the
    // wizard is open. On Finish the record takes the edit, the open Reminders
    // window is re-sorted and refreshed and the list marked modified; finished
    // learns whether the user finished.
    static TTaskForm *OpenEditReminder(const TTaskFormServices &services, std::shared_ptr<TTaskData> task,
                                       bool changeScheduleOnly, QWidget *owner,
                                       std::function<void(bool changed)> finished = {});

    // The newest wizard that is open, if any.
    static TTaskForm *OpenWizard();

    TTaskData TaskCopy;
    TWizardMode WizardMode;
    QString CaptionPrefix;

    void ShowPagesFor(int kind);
    void ApplyNewDefaults();
    void LoadFromTask();
    // Finish: false (the wizard stays open as it is) when the record cannot be made.
    bool FinishClick();
    void CancelClick();
    void NextClick();
    void BackClick();
    void UpdateFinishButton();
    // Moves to a page (the visible pages in order); fires the leave and show rules.
    void GoToPage(QWidget *page);
    QWidget *CurrentPage() const;
    QList<QWidget *> VisiblePages() const;

    // Action-box handlers (also reached by clicks).
    void chkSendemailClick();
    void btnMailReceipientsClick();
    void chkRunProgramClick();
    void btnProgramPropertiesClick();
    void btnTestSoundClick();
    void btnDefaultSoundClick();
    void BrowseSound();
    // A sound file the user chose: copied into the user's sounds folder (unless it
    // is there or among the program's own) and named in the field.
    void SoundPicked(const QString &picked);

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
    QPushButton *btnMailReceipients, *btnTestSound, *btnDefaultSound;
    QLineEdit *fedSoundPathname;
    QToolButton *btnBrowseSound;
    QCheckBox *chkRunProgram, *chkShutdown;
    QPushButton *btnProgramProperties;
    QRadioButton *rbtShutdown, *rbtRestart, *rbtLogoff;
    QPushButton *btnBack = nullptr, *btnNext = nullptr, *btnFinish = nullptr, *btnCancel = nullptr;
    Tcomponentform *Panels;

protected:
    void reject() override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void BuildPages();
    void PageShown(QWidget *page);
    void PageLeft(QWidget *page);
    void FocusFirstControl(QWidget *page);
    void UpdateCaption();
    void UpdateButtons();
    void TypeChosen(bool alarm);
    void UpdateDependentControls();
    void RefreshLogoffCaption();
    int ChosenKind() const;
    Desktop::SoundFolders Sounds() const;
    const TPreferences &Prefs() const;

    TTaskFormServices S;
    std::unique_ptr<TFormPlacement> FPlacement;
    QVBoxLayout *FAlarmWhenLayout, *FTaskWhenLayout;
    QWidget *FShownPage = nullptr;
    bool FLoading = false;
};
