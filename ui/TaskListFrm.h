#pragma once
// The Reminders window: the reminder list in four view styles over one item
// model, narrowed by a schedule filter, in one of six sort orders, with the
// reminder commands in its menus, context menu, toolbar and keys. At most one
// exists; closing it frees it.

#include "core/MessageTypes.h"
#include "model/TaskList.h"
#include "ui/TaskListModel.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAbstractItemView;
class QAction;
class QActionGroup;
class QItemSelectionModel;
class QLabel;
class QListView;
class QMenu;
class QPrinter;
class QStackedWidget;
class QTableView;
class QToolBar;
class QToolButton;
class TFormPlacement;
class TImageList;
class TvornIniFile;
struct TActionContext;

// What the window works with. The picture lists are loaded by the caller;
// message boxes and dialogs go through Actions->Boxes.
struct TTaskListSetup {
    TActionContext *Actions = nullptr; // the list, preferences, store, boxes, open-window flags
    TTaskList *CopyBuffer = nullptr;
    TvornIniFile *Ini = nullptr;
    QString ProgramName = QStringLiteral("Brivane");
    QString BuildTypeText; // empty in a release build
    const TImageList *LargeImages = nullptr;
    const TImageList *SmallImages = nullptr;
    const TImageList *ToolbarImages = nullptr;
    const TImageList *ToolbarSmallImages = nullptr;
    // A build without an update address has nothing to check against.
    bool CanCheckForUpdates = false;
};

// Which reminder commands a selection allows; bits below.
enum TCommandBit : int {
    cbProperties = 1,
    cbDelete = 2,
    cbSuspend = 4,
    cbRunNow = 8,
    cbSaveAs = 16,
    cbMarkCompleted = 32,
};

class TTaskListForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TTaskListForm(TTaskListSetup setup, QWidget *parent = nullptr);
    ~TTaskListForm() override;

    // The mask when a menu opens or the window shows (63 / 23 / 0), and when
    // the selection changes (31 / 23 / 0). task is null for no reminder.
    static int CommandMask(const TTaskData *task, bool menuOpening);

    TTaskListModel &Model() { return *FModel; }
    int ViewStyle() const { return FViewStyle; }
    // The selected item: 0 the add item, -1 none.
    int SelectedRow() const;
    bool SelectRow(int row);
    TTaskList::TTaskRef SelectedTask() const;

    // Operations other windows call while the window is open.
    void RefreshTaskList();
    void SortTaskList();
    void UpdateCaption();
    void UpdateMenus();
    void ApplyToolbarOptions();
    void ApplyListFont();

    // View, filter and sort (menus, toolbar, F6, F7, F8, column clicks).
    void SetViewStyle(int style);
    void ChooseFilter(int filter);
    void ChooseSortOrder(int sortIndex);
    void NextSortOrder();

    // Commands; each does nothing when its selection is missing.
    void AddReminder();
    // A record just added to the list: sorted in, shown (under another filter
    // when the chosen one hides it) and selected.
    void ShowAddedReminder(const TTaskData &task);
    void Properties();
    void DeleteSelected(bool fromKey);
    void ToggleSuspend();
    void RunNow();
    void MarkCompleted();
    void CopySelected();
    void Paste();
    void ImportTask();
    void SaveTaskAs();
    void Print();
    // Prints the schedule list onto a set-up printer; false with the error.
    bool PrintTo(QPrinter &printer, QString *error);
    void CloseProgram();
    void ToggleLog();
    void ShowAbout();
    void EnableToolbarCommand();
    // The enabling for an opening menu (or the window being shown).
    void EnableCommandsForMenu();

    QString StatusPanel(int panel) const; // 0 count, 1 selection / sort; 2: the simple text
    bool StatusSimple() const;

signals:
    // The program's commands; the window itself is the owner of what they open.
    void addReminderRequested();
    void editRequested(TTaskList::TTaskRef task);
    void runNowRequested(int index);
    void helpRequested(const QString &key);
    void logRequested(bool enabled);
    void closeProgramRequested(const QString &reason);
    void checkForUpdatesRequested();
    void preferencesRequested();

public slots:
    // The preferences were saved: toolbar, captions, rows and font follow them.
    void PreferencesChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QAbstractItemView *ActiveView() const;
    void BuildMenus();
    void BuildToolbar();
    void BuildViews();
    void ShowWindow();
    void SelectionChanged();
    // Selection, Print enabling and the empty-list label after the rows were rebuilt.
    void AfterRebuild(int remembered);
    void UpdateStatusBar();
    void UpdateSuspendCaptions(const TTaskData &task);
    void SetSuspendCaptions(bool enabled);
    void UpdateSortChecks();
    void ApplyMask(int mask);
    void PlaceEmptyLabel();
    bool HandleKey(QKeyEvent *key);
    void ShowContextMenu(const QPoint &pos);
    QIcon SmallToolbarIcon(int index) const;
    QIcon ToolbarIcon(int index) const;
    QVariant ImageFor(TTaskListModel::TImageKind kind, int index) const;
    int ReadLogLevel() const;
    void ImportFrom(const QString &path);
    void SaveTaskTo(const TTaskList::TTaskRef &task, const QString &path);
    void PrintOn(QPrinter &printer);
    // An OK box modal to this window only.
    void Notice(const QString &text, TMsgIcon icon);
    // Fits the date columns to the longest date of the current font and
    // clock. With stored settings (on show): the columns whose stored width
    // is the old fixed default or a fitted one; otherwise (font or clock
    // changed): the columns still as fitted. Widths the user chose stay.
    void FitDateColumns(const TTaskListSettings *stored);
    // The grid of the Large Icons view for the list's font.
    QSize LargeIconGrid() const;
    // The window's state as the ini keeps it, read from the views.
    TTaskListSettings CurrentSettings() const;

    TTaskListSetup S;
    TTaskList &FList;
    TTaskListModel *FModel;
    QItemSelectionModel *FSelection;
    QStackedWidget *FStack;
    QListView *FListView;
    QTableView *FDetailsView;
    QLabel *lblFoundTasksInfo;
    QLabel *FPanel0, *FPanel1, *FSimpleText;
    QMenu *TaskPopupMenu, *ViewsPopupMenu;
    QToolBar *FSecondRow;
    std::unique_ptr<TFormPlacement> FPlacement;
    QAction *mnuAdd, *mnuDelete, *mnuEnable, *mnuRunNow, *mnuProperties, *mnuImport, *mnuSaveAs, *mnuCloseProgram;
    std::array<QAction *, 4> mnuViews{};
    std::array<QAction *, 4> popViews{};
    std::array<QAction *, 5> mnuFilters{};
    std::array<QAction *, 6> mnuSorts{};
    QAction *mnuContents, *mnuSupport, *mnuCheckUpdates, *mnuEnableLog, *mnuPreferences, *mnuAbout;
    QAction *popAdd, *popDelete, *popEnable, *popRunNow, *popMarkCompleted, *popCopy, *popPaste, *popEnableToolbar,
        *popProperties;
    std::array<QToolButton *, 5> tbFilters{};
    QToolButton *tbViews, *tbPrint;
    QToolBar *TaskToolBar;
    int FViewStyle = vsDetails;
    std::array<int, TaskColumnCount> FFittedWidths{}; // 0: the column was not fitted
    bool FStyleChecked = true;
    int FLastRow = -1; // the selection before a rebuild
    bool FClosing = false;
};
