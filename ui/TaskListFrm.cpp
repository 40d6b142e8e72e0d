#include "ui/TaskListFrm.h"

#include "core/Clock.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "extras/FormPlacement.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceLibrary.h"
#include "platform/SystemHelpers.h"
#include "platform/TextLookGui.h"
#include "scheduler/ActionContext.h"
#include "storage/vornStorage.h"
#include "ui/TaskListPrint.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPointer>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace {

// The sort captions all begin "by "; the word after it carries the mnemonic.
QString SortMnemonic(const QString &caption)
{
    const QString by = QStringLiteral("by ");
    return caption.startsWith(by) ? by + QLatin1Char('&') + caption.mid(by.size()) : caption;
}

const QString kTaskFileFilter = QStringLiteral("Task file (*.tsk)");

// The small marks drawn over a reminder's picture: 0 completed, 1 suspended,
// 3 pre-warning pending. They belong to the window, not the picture library.
QPixmap StatePicture(int index, qreal devicePixelRatio = 1.0)
{
    // Drawn for the screen's density, so the marks stay as sharp as the text.
    const qreal ratio = qMax<qreal>(1.0, devicePixelRatio);
    QPixmap pm(QSize(16, 16) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // a tick
        p.setPen(QPen(QColor(0, 128, 0), 2.5));
        p.drawPolyline(QPolygonF({QPointF(2, 8), QPointF(6, 13), QPointF(14, 3)}));
        break;
    case 1: // two pause bars
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(160, 0, 0));
        p.drawRect(3, 2, 4, 12);
        p.drawRect(9, 2, 4, 12);
        break;
    case 3: // a small clock
        p.setPen(QPen(QColor(0, 0, 160), 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 8));
        break;
    default: break;
    }
    return pm;
}

// Draws the state mark over the lower left of an item's picture.
class TStateImageDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (IsLargeIcon(option))
            PaintTwoLineLabel(painter, option, index);
        else
            QStyledItemDelegate::paint(painter, option, index);
        if (index.column() != tcTitle)
            return;
        const int state = index.data(TTaskListModel::StateImageRole).toInt();
        if (state == NoImage || index.row() == 0)
            return;
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget *w = opt.widget;
        const QStyle *style = w ? w->style() : QApplication::style();
        const QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, w);
        const int side = qMin(16, qMax(10, icon.height() / 2));
        painter->drawPixmap(QRect(icon.left(), icon.bottom() - side + 1, side, side),
                            StatePicture(state, painter->device()->devicePixelRatioF()));
    }

    // Under a large icon every item takes the same place: the icon and two
    // lines of label, as wide as the grid. Longer labels are cut after their
    // second line; shorter ones are not cut at all.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (!IsLargeIcon(option))
            return QStyledItemDelegate::sizeHint(option, index);
        const auto *view = static_cast<const QListView *>(option.widget);
        const QStyle *style = view->style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameVMargin, &option, view) + 1;
        const int height = view->iconSize().height() + 2 * QFontMetrics(option.font).lineSpacing() + 4 * margin;
        return QSize(view->gridSize().width() - 2 * view->spacing() - 2, height);
    }

private:
    static bool IsLargeIcon(const QStyleOptionViewItem &option)
    {
        const auto *view = qobject_cast<const QListView *>(option.widget);
        return view && view->viewMode() == QListView::IconMode && view->gridSize().isValid();
    }

    // The style elides only the line where its rectangle ends, which an item
    // without a picture would place lower: the label is cut here after its
    // second line, the rest of it elided on that line.
    void PaintTwoLineLabel(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget *w = opt.widget;
        const QStyle *style = w ? w->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, w) + 1;
        const int width = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, w).width() - 2 * margin;
        QTextLayout layout(opt.text, opt.font);
        QTextOption wrap;
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(wrap);
        layout.beginLayout();
        QList<QTextLine> lines;
        for (QTextLine line = layout.createLine(); line.isValid() && lines.size() < 2; line = layout.createLine()) {
            line.setLineWidth(width);
            lines << line;
        }
        layout.endLayout();
        if (width > 0 && lines.size() == 2 && lines[1].textStart() + lines[1].textLength() < opt.text.size()) {
            const QFontMetrics fm(opt.font);
            const QString first = opt.text.left(lines[1].textStart()).trimmed();
            const QString rest = opt.text.mid(lines[1].textStart());
            opt.text = first + QChar(QChar::LineSeparator) + fm.elidedText(rest, Qt::ElideRight, width);
        }
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
    }
};

bool CtrlAlone(Qt::KeyboardModifiers m)
{
    return (m & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

} // namespace

TTaskListForm::TTaskListForm(TTaskListSetup setup, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , S(std::move(setup))
    , FList(*S.Actions->List)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("TaskListForm"));
    setMinimumSize(200, 200);
    resize(654, 433);

    FModel = new TTaskListModel(FList, S.Actions->Preferences, this);
    FModel->SetIniFile(S.Ini);
    FModel->SetImageProvider([this](TTaskListModel::TImageKind kind, int index) { return ImageFor(kind, index); });
    connect(FModel, &TTaskListModel::StatusChanged, this, &TTaskListForm::UpdateStatusBar);

    BuildViews();
    BuildMenus();
    BuildToolbar();

    FPanel0 = new QLabel(this);
    FPanel1 = new QLabel(this);
    FSimpleText = new QLabel(this);
    FPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    FPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    FPanel0->setMinimumWidth(250);
    FPanel1->setMinimumWidth(50);
    statusBar()->addWidget(FPanel0);
    statusBar()->addWidget(FPanel1, 1);
    statusBar()->addWidget(FSimpleText, 1);

    FPlacement = std::make_unique<TFormPlacement>(S.Ini, QStringLiteral("TaskList"));
    if (!FPlacement->Restore(*this)) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    ApplyListFont();
    ShowWindow();
}

TTaskListForm::~TTaskListForm()
{
    // The views outlive this body by a moment and may still ask the model for
    // pictures while they go; the window's part of the answer is gone by then.
    FModel->SetImageProvider({});
    // Freed without a close (the program ends): the flag must not outlive the
    // window, and what the user set up in it must not be lost. "FirstRun"
    // stays: the window was never closed.
    if (S.Actions && !FClosing) {
        S.Actions->Windows.TaskList = false;
        disconnect(&S.Actions->Windows, nullptr, this, nullptr);
        CurrentSettings().Write(S.Ini);
        FPlacement->Save(*this);
    }
}

// ---- building ----

void TTaskListForm::BuildViews()
{
    FStack = new QStackedWidget(this);
    FStack->setObjectName(QStringLiteral("TaskViews"));
    setCentralWidget(FStack);
    FListView = new QListView(FStack);
    FListView->setObjectName(QStringLiteral("TaskListView"));
    FDetailsView = new QTableView(FStack);
    FDetailsView->setObjectName(QStringLiteral("TaskDetailsView"));
    FListView->setModel(FModel);
    FDetailsView->setModel(FModel);
    // One selection for every style: switching keeps the selected reminder.
    QItemSelectionModel *own1 = FListView->selectionModel();
    QItemSelectionModel *own2 = FDetailsView->selectionModel();
    FSelection = new QItemSelectionModel(FModel, this);
    FListView->setSelectionModel(FSelection);
    FDetailsView->setSelectionModel(FSelection);
    delete own1;
    delete own2;

    for (QAbstractItemView *v :
         {static_cast<QAbstractItemView *>(FListView), static_cast<QAbstractItemView *>(FDetailsView)}) {
        v->setSelectionMode(QAbstractItemView::SingleSelection);
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        v->setItemDelegate(new TStateImageDelegate(v));
        v->installEventFilter(this);
        v->viewport()->installEventFilter(this); // keeps the empty-list label centred
        connect(v, &QWidget::customContextMenuRequested, this, &TTaskListForm::ShowContextMenu);
        connect(v, &QAbstractItemView::doubleClicked, this, [this] { Properties(); });
        FStack->addWidget(v);
    }
    FListView->setUniformItemSizes(true);
    FListView->setLayoutMode(QListView::Batched);
    FListView->setBatchSize(500);
    FListView->setMovement(QListView::Static);
    FListView->setResizeMode(QListView::Adjust);
    FDetailsView->setShowGrid(true);
    FDetailsView->setWordWrap(false);
    FDetailsView->verticalHeader()->hide();
    FDetailsView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FDetailsView->verticalHeader()->setDefaultSectionSize(22);
    FDetailsView->setIconSize(QSize(20, 20));
    FDetailsView->horizontalHeader()->setSectionsClickable(true);
    FDetailsView->horizontalHeader()->setHighlightSections(false);
    FDetailsView->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(FDetailsView->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        const int sortIndex = TTaskListTexts::SortIndexOfColumn(column);
        if (sortIndex >= 0)
            ChooseSortOrder(sortIndex);
    });
    connect(FSelection, &QItemSelectionModel::currentRowChanged, this, &TTaskListForm::SelectionChanged);

    lblFoundTasksInfo = new QLabel(this);
    lblFoundTasksInfo->setObjectName(QStringLiteral("lblFoundTasksInfo"));
    lblFoundTasksInfo->hide();
}

void TTaskListForm::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    mnuAdd = file->addAction(tr("&Add a Reminder... (Ins)"), this, &TTaskListForm::AddReminder);
    mnuDelete =
        file->addAction(SmallToolbarIcon(2), tr("&Delete          (Del)"), this, [this] { DeleteSelected(false); });
    mnuEnable = file->addAction(QString(), this, &TTaskListForm::ToggleSuspend);
    mnuRunNow = file->addAction(SmallToolbarIcon(5), tr("Run &now!    (Ctrl+F4)"), this, &TTaskListForm::RunNow);
    mnuProperties = file->addAction(tr("&Properties"), this, &TTaskListForm::Properties);
    file->addSeparator();
    mnuImport = file->addAction(tr("&Import...     (Ctrl+I)"), this, &TTaskListForm::ImportTask);
    mnuSaveAs = file->addAction(tr("Sa&ve as..."), this, &TTaskListForm::SaveTaskAs);
    file->addSeparator();
    mnuCloseProgram = file->addAction(tr("&Close Program"), this, &TTaskListForm::CloseProgram);
    connect(file, &QMenu::aboutToShow, this, &TTaskListForm::EnableCommandsForMenu);

    const QStringList views = {tr("&Large Icons"), tr("S&mall Icons"), tr("L&ist"), tr("&Details")};
    QMenu *viewsMenu = menuBar()->addMenu(tr("&Views"));
    ViewsPopupMenu = new QMenu(this);
    auto *viewsGroup = new QActionGroup(this);
    auto *popViewsGroup = new QActionGroup(this);
    for (int i = 0; i < TaskViewStyleCount; ++i) {
        mnuViews[std::size_t(i)] = viewsMenu->addAction(views[i], this, [this, i] { SetViewStyle(i); });
        popViews[std::size_t(i)] = ViewsPopupMenu->addAction(views[i], this, [this, i] { SetViewStyle(i); });
        for (QAction *a : {mnuViews[std::size_t(i)], popViews[std::size_t(i)]})
            a->setCheckable(true);
        viewsGroup->addAction(mnuViews[std::size_t(i)]);
        popViewsGroup->addAction(popViews[std::size_t(i)]);
    }

    const QStringList filters = {tr("&Completed"), tr("&Today"), tr("To&morrow"), tr("&Next five days"), tr("&All")};
    QMenu *filterMenu = menuBar()->addMenu(tr("F&ilter by Schedule"));
    auto *filterGroup = new QActionGroup(this);
    for (int i = 0; i < TaskFilterCount; ++i) {
        QAction *a = filterMenu->addAction(filters[i], this, [this, i] { ChooseFilter(i); });
        a->setCheckable(true);
        filterGroup->addAction(a);
        mnuFilters[std::size_t(i)] = a;
    }

    QMenu *sortMenu = menuBar()->addMenu(tr("&Sort"));
    auto *sortGroup = new QActionGroup(this);
    for (int i = 0; i < TaskSortCount; ++i) {
        QAction *a = sortMenu->addAction(SortMnemonic(TTaskListTexts::SortMenuCaption(i)), this,
                                         [this, i] { ChooseSortOrder(i); });
        a->setCheckable(true);
        sortGroup->addAction(a);
        mnuSorts[std::size_t(i)] = a;
    }

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    mnuContents = help->addAction(tr("Table of &contents"), this,
                                  [this] { emit helpRequested(QStringLiteral("HELP_CONTENTS")); });
    mnuSupport =
        help->addAction(tr("Get &Support"), this, [this] { emit helpRequested(QStringLiteral("HELP_SUPPORT")); });
    mnuCheckUpdates = help->addAction(tr("Check for &updates..."), this, &TTaskListForm::checkForUpdatesRequested);
    mnuCheckUpdates->setVisible(S.CanCheckForUpdates);
    help->addSeparator();
    mnuEnableLog = help->addAction(tr("Enable &Log"), this, &TTaskListForm::ToggleLog);
    mnuEnableLog->setCheckable(true);
    help->addSeparator();
    mnuPreferences =
        help->addAction(SmallToolbarIcon(12), tr("&Preferences..."), this, &TTaskListForm::preferencesRequested);
    mnuAbout = help->addAction(tr("&About"), this, &TTaskListForm::ShowAbout);

    TaskPopupMenu = new QMenu(this);
    TaskPopupMenu->setObjectName(QStringLiteral("TaskPopupMenu"));
    TaskPopupMenu->setSeparatorsCollapsible(true);
    popAdd = TaskPopupMenu->addAction(tr("&Add a Reminder...     (Ins)"), this, &TTaskListForm::AddReminder);
    TaskPopupMenu->addSeparator();
    popDelete = TaskPopupMenu->addAction(SmallToolbarIcon(2), tr("&Delete       (Del)"), this,
                                         [this] { DeleteSelected(false); });
    popEnable = TaskPopupMenu->addAction(QString(), this, &TTaskListForm::ToggleSuspend);
    popRunNow = TaskPopupMenu->addAction(SmallToolbarIcon(5), tr("Run  &Now! (Ctrl+F4)"), this, &TTaskListForm::RunNow);
    TaskPopupMenu->addSeparator();
    popMarkCompleted = TaskPopupMenu->addAction(tr("&Mark as Completed"), this, &TTaskListForm::MarkCompleted);
    popCopy = TaskPopupMenu->addAction(tr("&Copy                (Ctrl+C)"), this, &TTaskListForm::CopySelected);
    popPaste = TaskPopupMenu->addAction(tr("Pas&te                (Ctrl+V)"), this, &TTaskListForm::Paste);
    TaskPopupMenu->addSeparator();
    popEnableToolbar = TaskPopupMenu->addAction(tr("&Enable Toolbar"), this, &TTaskListForm::EnableToolbarCommand);
    popProperties = TaskPopupMenu->addAction(tr("&Properties"), this, &TTaskListForm::Properties);
    SetSuspendCaptions(true);

    // Named for the tests and accessibility tools that find them.
    const std::pair<QAction *, const char *> named[] = {
        {mnuAdd, "mnuAdd"},
        {mnuDelete, "mnuDelete"},
        {mnuEnable, "mnuEnable"},
        {mnuRunNow, "mnuRunNow"},
        {mnuProperties, "mnuProperties"},
        {mnuImport, "mnuImport"},
        {mnuSaveAs, "mnuSaveAs"},
        {mnuCloseProgram, "mnuCloseProgram"},
        {mnuContents, "mnuContents"},
        {mnuSupport, "mnuSupport"},
        {mnuCheckUpdates, "mnuCheckUpdates"},
        {mnuEnableLog, "mnuEnableLog"},
        {mnuPreferences, "mnuPreferences"},
        {mnuAbout, "mnuAbout"},
        {popAdd, "popAdd"},
        {popDelete, "popDelete"},
        {popEnable, "popEnable"},
        {popRunNow, "popRunNow"},
        {popMarkCompleted, "popMarkCompleted"},
        {popCopy, "popCopy"},
        {popPaste, "popPaste"},
        {popEnableToolbar, "popEnableToolbar"},
        {popProperties, "popProperties"},
    };
    for (const auto &[action, name] : named)
        action->setObjectName(QLatin1String(name));
    // The groups by position: views, filters and sorts in their enums' order.
    for (std::size_t i = 0; i < mnuViews.size(); ++i) {
        mnuViews[i]->setObjectName(QStringLiteral("mnuViews%1").arg(i));
        popViews[i]->setObjectName(QStringLiteral("popViews%1").arg(i));
    }
    for (std::size_t i = 0; i < mnuFilters.size(); ++i)
        mnuFilters[i]->setObjectName(QStringLiteral("mnuFilters%1").arg(i));
    for (std::size_t i = 0; i < mnuSorts.size(); ++i)
        mnuSorts[i]->setObjectName(QStringLiteral("mnuSorts%1").arg(i));

    // F10 takes the keyboard to the menu bar, opening its first menu.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this, file] {
        if (menuBar()->isVisible())
            menuBar()->setActiveAction(file->menuAction());
    });
}

void TTaskListForm::BuildToolbar()
{
    TaskToolBar = new QToolBar(tr("Filters"), this);
    TaskToolBar->setObjectName(QStringLiteral("TaskToolBar"));
    FSecondRow = new QToolBar(tr("Views"), this);
    FSecondRow->setObjectName(QStringLiteral("TaskToolBarRow2"));
    for (QToolBar *bar : {TaskToolBar, FSecondRow}) {
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->toggleViewAction()->setEnabled(false); // shown by the preferences only
    }
    addToolBar(Qt::TopToolBarArea, TaskToolBar);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, FSecondRow);

    const QStringList captions = {tr("Completed"), tr("Today"), tr("Tomorrow"), tr("Next five"), tr("All")};
    const QStringList hints = {tr("Show Completed Reminders"), tr("Show Reminders scheduled for Today"),
                               tr("Show Reminders scheduled for Tomorrow"),
                               tr("Show Reminders scheduled for the Next Five days"), tr("Show All Reminders")};
    for (int i = 0; i < TaskFilterCount; ++i) {
        auto *b = new QToolButton(TaskToolBar);
        b->setText(captions[i]);
        b->setToolTip(hints[i]);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, i] { ChooseFilter(i); });
        b->setObjectName(QStringLiteral("tbFilters%1").arg(i));
        TaskToolBar->addWidget(b);
        tbFilters[std::size_t(i)] = b;
    }
    tbViews = new QToolButton(FSecondRow);
    tbViews->setObjectName(QStringLiteral("tbViews"));
    tbViews->setText(tr("Views"));
    tbViews->setToolTip(tr("Views (F6)"));
    tbViews->setAutoRaise(true);
    tbViews->setMenu(ViewsPopupMenu);
    tbViews->setPopupMode(QToolButton::MenuButtonPopup);
    connect(tbViews, &QToolButton::clicked, this, [this] { SetViewStyle(TTaskListTexts::NextViewStyle(FViewStyle)); });
    FSecondRow->addWidget(tbViews);
    FSecondRow->addSeparator();
    tbPrint = new QToolButton(FSecondRow);
    tbPrint->setObjectName(QStringLiteral("tbPrint"));
    tbPrint->setText(tr("Print"));
    tbPrint->setToolTip(tr("Prints the current Task schedule list"));
    tbPrint->setAutoRaise(true);
    connect(tbPrint, &QToolButton::clicked, this, &TTaskListForm::Print);
    FSecondRow->addWidget(tbPrint);
}

QVariant TTaskListForm::ImageFor(TTaskListModel::TImageKind kind, int index) const
{
    switch (kind) {
    case TTaskListModel::TImageKind::Item: {
        QIcon icon;
        // Each size with its variant for dense screens; the view picks.
        for (const TImageList *list : {S.LargeImages, S.SmallImages})
            if (list && index < list->Count())
                for (const QPixmap &pm : {list->Pixmap(index), list->Pixmap(index, 2.0)})
                    if (!pm.isNull())
                        icon.addPixmap(pm);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case TTaskListModel::TImageKind::Header:
        if (S.SmallImages && index < S.SmallImages->Count())
            return S.SmallImages->Icon(index);
        return QVariant();
    case TTaskListModel::TImageKind::State: return QIcon(StatePicture(index));
    }
    return QVariant();
}

QIcon TTaskListForm::SmallToolbarIcon(int index) const
{
    if (S.ToolbarSmallImages && index < S.ToolbarSmallImages->Count())
        return S.ToolbarSmallImages->Icon(index);
    return QIcon();
}

QIcon TTaskListForm::ToolbarIcon(int index) const
{
    const TImageList *images = S.Actions->Prefs().UseSmallToolbarIcons() ? S.ToolbarSmallImages : S.ToolbarImages;
    if (images && index < images->Count())
        return images->Icon(index);
    return QIcon();
}

// ---- showing and closing ----

int TTaskListForm::ReadLogLevel() const
{
    return S.Ini ? S.Ini->ReadInteger(QStringLiteral("Debug"), QStringLiteral("Level"), 1) : 1;
}

void TTaskListForm::ShowWindow()
{
    S.Actions->Windows.TaskList = true;
    connect(&S.Actions->Windows, &TOpenWindows::RefreshListRequested, this, &TTaskListForm::RefreshTaskList,
            Qt::UniqueConnection);
    connect(&S.Actions->Windows, &TOpenWindows::SortListRequested, this, &TTaskListForm::SortTaskList,
            Qt::UniqueConnection);
    const TTaskListSettings settings = TTaskListSettings::Read(S.Ini);
    SetViewStyle(settings.ViewStyle);
    if (!settings.ViewStyleKnown) {
        for (auto *group : {mnuViews[0]->actionGroup(), popViews[0]->actionGroup()}) {
            group->setExclusive(false);
            for (QAction *a : group->actions())
                a->setChecked(false);
            group->setExclusive(true);
        }
    }
    for (int c = 0; c < TaskColumnCount; ++c)
        FDetailsView->setColumnWidth(c, qMax(0, settings.ColumnWidths[std::size_t(c)]));
    FitDateColumns(&settings);
    mnuEnableLog->setChecked(ReadLogLevel() == 3);

    FModel->Open(settings); // filter window, sort order and direction, sort, rows
    const int filter = FModel->Filter();
    mnuFilters[std::size_t(filter)]->setChecked(true);
    tbFilters[std::size_t(filter)]->setChecked(true);
    UpdateCaption();
    UpdateMenus();
    ApplyToolbarOptions();
    AfterRebuild(-1);
    UpdateSortChecks();
    if (!SelectRow(settings.LastItem))
        SelectRow(0);
    EnableCommandsForMenu();
}

void TTaskListForm::closeEvent(QCloseEvent *event)
{
    FClosing = true;
    S.Actions->Windows.TaskList = false;
    disconnect(&S.Actions->Windows, nullptr, this, nullptr);
    CurrentSettings().WriteOnClose(S.Ini);
    FPlacement->Save(*this);
    event->accept();
}

TTaskListSettings TTaskListForm::CurrentSettings() const
{
    TTaskListSettings settings = FModel->Settings();
    settings.ViewStyle = FViewStyle;
    settings.LastItem = SelectedRow();
    for (int c = 0; c < TaskColumnCount; ++c)
        settings.ColumnWidths[std::size_t(c)] = FDetailsView->columnWidth(c);
    return settings;
}

void TTaskListForm::FitDateColumns(const TTaskListSettings *stored)
{
    const QFontMetrics fm(FDetailsView->font());
    for (int c = 0; c < TaskColumnCount; ++c) {
        if (!TTaskListModel::IsDateColumn(c))
            continue;
        const std::size_t i = std::size_t(c);
        const int fitted = FModel->FittedColumnWidth(c, fm);
        const bool follows = stored ? stored->ColumnWidths[i] == TTaskListTexts::ColumnDefaultWidth(c)
                                          || stored->ColumnWidths[i] == fitted
                                    : FFittedWidths[i] > 0 && FDetailsView->columnWidth(c) == FFittedWidths[i];
        if (!follows)
            continue;
        FFittedWidths[i] = fitted;
        FDetailsView->setColumnWidth(c, fitted);
    }
}

// ---- what the window shows ----

int TTaskListForm::SelectedRow() const
{
    const QModelIndex current = FSelection->currentIndex();
    return current.isValid() && FSelection->isRowSelected(current.row()) ? current.row() : -1;
}

bool TTaskListForm::SelectRow(int row)
{
    if (row < 0 || row >= FModel->rowCount())
        return false;
    FSelection->setCurrentIndex(FModel->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ActiveView()->scrollTo(FModel->index(row, 0));
    return true;
}

TTaskList::TTaskRef TTaskListForm::SelectedTask() const
{
    return FModel->TaskAt(SelectedRow());
}

QAbstractItemView *TTaskListForm::ActiveView() const
{
    return FViewStyle == vsDetails ? static_cast<QAbstractItemView *>(FDetailsView) : FListView;
}

void TTaskListForm::RefreshTaskList()
{
    const int remembered = SelectedRow();
    FModel->Refresh();
    AfterRebuild(remembered);
}

void TTaskListForm::AfterRebuild(int remembered)
{
    const int row = TTaskListTexts::RestoredSelection(remembered, FModel->ShownCount());
    if (row >= 0)
        SelectRow(row);
    tbPrint->setEnabled(FModel->ShownCount() > 0);
    lblFoundTasksInfo->setVisible(FModel->ShownCount() == 0);
    SelectionChanged();
}

void TTaskListForm::SortTaskList()
{
    FModel->SortTaskList();
}

void TTaskListForm::UpdateCaption()
{
    setWindowTitle(
        QStringLiteral("Reminders%1 %2 - %3")
            .arg(S.BuildTypeText, QString(), FormatDateTime(QStringLiteral("dddd, d mmm yyyy"), Clock::Today())));
}

void TTaskListForm::UpdateMenus()
{
    mnuCloseProgram->setText(tr("&Close ") + S.ProgramName);
}

void TTaskListForm::ApplyToolbarOptions()
{
    const TPreferences &p = S.Actions->Prefs();
    const bool small = p.UseSmallToolbarIcons();
    const bool captions = p.ShowToolbuttonsText();
    const int iconSide = small ? 16 : 24;
    QSize button = small ? QSize(20, 20) : (captions ? QSize(43, 42) : QSize(30, 30));
    if (captions)
        button = button.expandedTo(QSize(58, 44));
    const Qt::ToolButtonStyle style = captions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly;
    const int filterImages[TaskFilterCount] = {14, 15, 16, 17, 9};
    for (int i = 0; i < TaskFilterCount; ++i)
        tbFilters[std::size_t(i)]->setIcon(ToolbarIcon(filterImages[i]));
    tbViews->setIcon(ToolbarIcon(8));
    tbPrint->setIcon(ToolbarIcon(11));
    for (QToolBar *bar : {TaskToolBar, FSecondRow}) {
        bar->setIconSize(QSize(iconSide, iconSide));
        bar->setToolButtonStyle(style);
        bar->setVisible(p.EnableToolbar());
        for (QToolButton *b : bar->findChildren<QToolButton *>()) {
            b->setToolButtonStyle(style);
            b->setMinimumSize(button);
        }
    }
}

void TTaskListForm::ApplyListFont()
{
    const QFont font = TextFont(S.Actions->Prefs().TextLook());
    FListView->setFont(font);
    FDetailsView->setFont(font);
    QToolTip::setFont(font);
    QFont big = font;
    if (font.pointSize() > 0)
        big.setPointSize(font.pointSize() + 2);
    lblFoundTasksInfo->setFont(big);
    PlaceEmptyLabel();
    FitDateColumns(nullptr);
    if (FViewStyle == vsLargeIcons) {
        FListView->setGridSize(LargeIconGrid());
        FListView->doItemsLayout();
    }
}

QSize TTaskListForm::LargeIconGrid() const
{
    // The icon, two lines of label and the item's margins; a line holds
    // about a dozen characters.
    const QFontMetrics fm(FListView->font());
    return QSize(qMax(96, fm.averageCharWidth() * 13), 32 + 2 * fm.lineSpacing() + 16);
}

void TTaskListForm::SetViewStyle(int style)
{
    if (style < 0 || style >= TaskViewStyleCount)
        style = vsDetails;
    FViewStyle = style;
    mnuViews[std::size_t(style)]->setChecked(true);
    popViews[std::size_t(style)]->setChecked(true);
    switch (style) {
    case vsLargeIcons:
        FListView->setViewMode(QListView::IconMode);
        FListView->setIconSize(QSize(32, 32));
        FListView->setWordWrap(true);
        FListView->setTextElideMode(Qt::ElideRight);
        FListView->setGridSize(LargeIconGrid());
        FListView->setFlow(QListView::LeftToRight);
        FListView->setWrapping(true);
        break;
    case vsSmallIcons:
        FListView->setViewMode(QListView::ListMode);
        FListView->setIconSize(QSize(20, 20));
        FListView->setGridSize(QSize(170, 24));
        FListView->setWordWrap(false);
        FListView->setFlow(QListView::LeftToRight);
        FListView->setWrapping(true);
        break;
    case vsList:
        FListView->setViewMode(QListView::ListMode);
        FListView->setIconSize(QSize(20, 20));
        FListView->setGridSize(QSize(170, 24));
        FListView->setWordWrap(false);
        FListView->setFlow(QListView::TopToBottom);
        FListView->setWrapping(true);
        break;
    default: break;
    }
    // The item size a view keeps from its last style would cut the labels.
    FListView->doItemsLayout();
    FStack->setCurrentWidget(ActiveView());
    lblFoundTasksInfo->setParent(ActiveView()->viewport());
    lblFoundTasksInfo->setVisible(FModel->ShownCount() == 0);
    PlaceEmptyLabel();
    UpdateStatusBar();
}

void TTaskListForm::ChooseFilter(int filter)
{
    const int remembered = SelectedRow();
    FModel->ChooseFilter(filter);
    const int f = FModel->Filter();
    mnuFilters[std::size_t(f)]->setChecked(true);
    tbFilters[std::size_t(f)]->setChecked(true);
    AfterRebuild(remembered);
}

void TTaskListForm::ChooseSortOrder(int sortIndex)
{
    const int remembered = SelectedRow();
    FModel->ChooseSortOrder(sortIndex);
    AfterRebuild(remembered);
    UpdateSortChecks();
}

void TTaskListForm::NextSortOrder()
{
    const int remembered = SelectedRow();
    FModel->CycleSortOrder();
    AfterRebuild(remembered);
    UpdateSortChecks();
}

void TTaskListForm::UpdateSortChecks()
{
    mnuSorts[std::size_t(FModel->SortIndex())]->setChecked(true);
    // The sort description shows until the selection changes.
    const TStatusBarTexts t = FModel->StatusBar(-1, FViewStyle, font().pointSize());
    FPanel1->setText(t.Panel1);
    statusBar()->setToolTip(t.Hint);
}

void TTaskListForm::UpdateStatusBar()
{
    const TStatusBarTexts t = FModel->StatusBar(SelectedRow(), FViewStyle, font().pointSize());
    FPanel0->setText(t.Panel0);
    // The width rule assumes a narrow font; never cut the count short.
    FPanel0->setFixedWidth(qMax(t.Panel0Width, FPanel0->fontMetrics().horizontalAdvance(t.Panel0) + 12));
    FPanel1->setText(t.Panel1);
    FSimpleText->setText(t.Panel0);
    FPanel0->setVisible(!t.Simple);
    FPanel1->setVisible(!t.Simple);
    FSimpleText->setVisible(t.Simple);
    statusBar()->setToolTip(t.Hint);
    lblFoundTasksInfo->setText(t.EmptyListText);
    lblFoundTasksInfo->adjustSize();
    PlaceEmptyLabel();
}

QString TTaskListForm::StatusPanel(int panel) const
{
    return panel == 0 ? FPanel0->text() : panel == 1 ? FPanel1->text() : FSimpleText->text();
}

bool TTaskListForm::StatusSimple() const
{
    return FSimpleText->isVisibleTo(const_cast<TTaskListForm *>(this));
}

void TTaskListForm::PlaceEmptyLabel()
{
    const QWidget *area = lblFoundTasksInfo->parentWidget();
    if (!area)
        return;
    lblFoundTasksInfo->move(area->width() / 2 - lblFoundTasksInfo->width() / 2, 128);
}

void TTaskListForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    PlaceEmptyLabel();
}

// ---- selection and enabling ----

int TTaskListForm::CommandMask(const TTaskData *task, bool menuOpening)
{
    if (!task || task->InService)
        return 0;
    if (!task->Enabled)
        return 23;
    return menuOpening ? 63 : 31;
}

void TTaskListForm::ApplyMask(int mask)
{
    for (QAction *a : {mnuProperties, popProperties})
        a->setEnabled(mask & cbProperties);
    for (QAction *a : {mnuDelete, popDelete})
        a->setEnabled(mask & cbDelete);
    for (QAction *a : {mnuEnable, popEnable})
        a->setEnabled(mask & cbSuspend);
    for (QAction *a : {mnuRunNow, popRunNow})
        a->setEnabled(mask & cbRunNow);
    mnuSaveAs->setEnabled(mask & cbSaveAs);
    popMarkCompleted->setEnabled(mask & cbMarkCompleted);
}

void TTaskListForm::EnableCommandsForMenu()
{
    const TTaskList::TTaskRef task = SelectedTask();
    const int mask = CommandMask(task.get(), true);
    ApplyMask(mask);
    // The item names what it will do to the reminder selected now, whichever
    // way it was selected (without one, what it does to a new reminder).
    SetSuspendCaptions(!task || task->Enabled);
    popCopy->setEnabled(mask != 0);
    popPaste->setEnabled(S.CopyBuffer && S.CopyBuffer->Count() > 0);
    popEnableToolbar->setVisible(!TaskToolBar->isVisibleTo(this));
}

void TTaskListForm::SelectionChanged()
{
    const int row = SelectedRow();
    const TTaskList::TTaskRef task = FModel->TaskAt(row);
    ApplyMask(CommandMask(task.get(), false));
    const QString hint = FModel->ListHint(row);
    FListView->setToolTip(hint);
    FDetailsView->setToolTip(hint);
    if (task && !task->InService)
        UpdateSuspendCaptions(*task);
    UpdateStatusBar();
}

void TTaskListForm::UpdateSuspendCaptions(const TTaskData &task)
{
    SetSuspendCaptions(task.Enabled);
}

void TTaskListForm::SetSuspendCaptions(bool enabled)
{
    const QString caption = QStringLiteral("%1   (Ctrl-F3)").arg(enabled ? tr("&Suspend") : tr("&Resume"));
    const QIcon icon = SmallToolbarIcon(enabled ? 3 : 4);
    for (QAction *a : {mnuEnable, popEnable}) {
        a->setText(caption);
        a->setIcon(icon);
    }
}

void TTaskListForm::ShowContextMenu(const QPoint &pos)
{
    QAbstractItemView *view = ActiveView();
    const QModelIndex at = view->indexAt(pos);
    if (at.isValid())
        SelectRow(at.row());
    EnableCommandsForMenu();
    TaskPopupMenu->popup(view->viewport()->mapToGlobal(pos));
}

// ---- keys ----

bool TTaskListForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == FListView || watched == FDetailsView))
        return HandleKey(static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::Resize && watched == lblFoundTasksInfo->parentWidget())
        PlaceEmptyLabel();
    return QMainWindow::eventFilter(watched, event);
}

bool TTaskListForm::HandleKey(QKeyEvent *key)
{
    const bool ctrl = CtrlAlone(key->modifiers());
    switch (key->key()) {
    case Qt::Key_Insert: AddReminder(); return true;
    case Qt::Key_Delete: DeleteSelected(true); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: Properties(); return true;
    case Qt::Key_Escape: close(); return true;
    case Qt::Key_F6: SetViewStyle(TTaskListTexts::NextViewStyle(FViewStyle)); return true;
    case Qt::Key_F7: ChooseFilter((FModel->Filter() + 1) % TaskFilterCount); return true;
    case Qt::Key_F8: NextSortOrder(); return true;
    case Qt::Key_F3:
        if (ctrl)
            ToggleSuspend();
        return ctrl;
    case Qt::Key_F4:
        if (ctrl)
            RunNow();
        return ctrl;
    case Qt::Key_I:
        if (ctrl)
            ImportTask();
        return ctrl;
    case Qt::Key_C:
        if (ctrl)
            CopySelected();
        return ctrl;
    case Qt::Key_V:
        if (ctrl)
            Paste();
        return ctrl;
    default: return false;
    }
}

// ---- commands ----

void TTaskListForm::AddReminder()
{
    emit addReminderRequested();
}

void TTaskListForm::ShowAddedReminder(const TTaskData &task)
{
    SortTaskList();
    RefreshTaskList();
    // A new reminder the filter hides would look lost: take the narrowest
    // filter that lists it.
    if (FModel->RowOfTask(&task) < 0) {
        const TDateTime now = Clock::Now();
        for (const TTaskFilter filter : {tfToday, tfTomorrow, tfNextFiveDays, tfAll, tfCompleted}) {
            if (TTaskListTexts::IsListed(task, filter, TTaskListTexts::ComputeFilterWindow(filter, now))) {
                ChooseFilter(filter);
                break;
            }
        }
    }
    const int row = FModel->RowOfTask(&task);
    if (row > 0)
        SelectRow(row);
}

void TTaskListForm::Properties()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    if (row == 0) {
        AddReminder();
        return;
    }
    const TTaskList::TTaskRef task = SelectedTask();
    if (!task || task->InService)
        return;
    emit editRequested(task);
}

void TTaskListForm::DeleteSelected(bool fromKey)
{
    const TTaskList::TTaskRef task = SelectedTask();
    if (!task || (fromKey && task->InService))
        return;
    // Without anyone to ask, the cautious answer: nothing is deleted.
    if (!S.Actions->Boxes)
        return;
    QPointer<TTaskListForm> self(this);
    S.Actions->Boxes->Ask(this, tr("Are you sure you want to delete reminder \"%1\"?").arg(task->Title.Get()),
                          TMsgIcon::Warning, TMsgButtons::YesNo, S.ProgramName, [self, task](TMsgResult answer) {
                              // It may have gone into service, or away, while the question was open.
                              if (!self || answer != TMsgResult::Yes || task->InService
                                  || self->FList.IndexOfTask(task.get()) < 0)
                                  return;
                              self->FList.DeleteTask(task.get(), self->S.Actions->Prefs().MoveDelTasksToRecycleBin());
                              self->RefreshTaskList();
                              self->FList.MarkModified();
                          });
}

void TTaskListForm::ToggleSuspend()
{
    const TTaskList::TTaskRef task = SelectedTask();
    if (!task)
        return;
    task->Enabled = !task->Enabled;
    UpdateSuspendCaptions(*task);
    RefreshTaskList();
    // Not a change of schedule, but one the user expects to find after a crash.
    FList.MarkModified();
}

void TTaskListForm::RunNow()
{
    const TTaskList::TTaskRef task = SelectedTask();
    if (!task)
        return;
    const int index = FList.IndexOfTask(task.get());
    if (index >= 0)
        emit runNowRequested(index);
}

void TTaskListForm::MarkCompleted()
{
    const TTaskList::TTaskRef task = SelectedTask();
    if (!task)
        return;
    task->Delivered = true;
    task->RepeatTask = false;
    RefreshTaskList();
    FList.MarkModified();
}

void TTaskListForm::CopySelected()
{
    const TTaskList::TTaskRef task = SelectedTask();
    if (!task || task->InService || !S.CopyBuffer)
        return;
    TTaskList::CopyToBuffer(FList, FList.IndexOfTask(task.get()), *S.CopyBuffer);
}

void TTaskListForm::Paste()
{
    if (S.CopyBuffer && TTaskList::PasteFromBuffer(*S.CopyBuffer, FList)) {
        RefreshTaskList();
        FList.MarkModified();
    }
}

void TTaskListForm::ImportTask()
{
    if (!S.Actions->Store || !S.Actions->Boxes)
        return;
    auto *dialog = new QFileDialog(this, tr("Import task"), QString(), kTaskFileFilter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    QPointer<TTaskListForm> self(this);
    S.Actions->Boxes->OpenDialog(dialog, [self, dialog](int result) {
        if (self && result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            self->ImportFrom(dialog->selectedFiles().constFirst());
    });
}

void TTaskListForm::ImportFrom(const QString &path)
{
    if (path.isEmpty() || !S.Actions->Store)
        return;
    QString error;
    if (!S.Actions->Store->ImportTask(path, &error)) {
        if (error == TPalvaroStorage::DamagedTaskFileText())
            Notice(error, TMsgIcon::Error);
        else
            Notice(tr("The reminder file \"%1\" could not be read:\r%2").arg(path, error), TMsgIcon::Error);
        return;
    }
    FList.MarkModified();
    SortTaskList();
    RefreshTaskList();
    Notice(tr("Reminder successfully imported."), TMsgIcon::Information);
}

void TTaskListForm::SaveTaskAs()
{
    const TTaskList::TTaskRef task = SelectedTask();
    if (!task || !S.Actions->Store || !S.Actions->Boxes)
        return;
    const QString proposed = SafeFileName(task->Title.Get());
    auto *dialog = new QFileDialog(this, tr("Save Task as"), QString(), kTaskFileFilter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("tsk"));
    dialog->selectFile(proposed);
    QPointer<TTaskListForm> self(this);
    S.Actions->Boxes->OpenDialog(dialog, [self, dialog, task](int result) {
        if (self && result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            self->SaveTaskTo(task, dialog->selectedFiles().constFirst());
    });
}

void TTaskListForm::SaveTaskTo(const TTaskList::TTaskRef &task, const QString &path)
{
    // The reminder may have been deleted while the file was chosen.
    const int index = FList.IndexOfTask(task.get());
    if (path.isEmpty() || index < 0 || !S.Actions->Store)
        return;
    QString error;
    if (!S.Actions->Store->ExportTask(path, index, &error)) {
        Notice(tr("The reminder could not be saved to \"%1\":\r%2").arg(path, error), TMsgIcon::Error);
        return;
    }
    Notice(tr("Reminder successfully exported."), TMsgIcon::Information);
}

bool TTaskListForm::PrintTo(QPrinter &printer, QString *error)
{
    return TTaskListPrint::PrintScheduleList(printer, FList, FModel->Window(), FDetailsView->font(), S.ProgramName,
                                             FModel->TimeSuffix(), error);
}

void TTaskListForm::Print()
{
    if (FModel->ShownCount() < 1 || !S.Actions->Boxes)
        return;
    auto printer = std::make_shared<QPrinter>();
    auto *dialog = new QPrintDialog(printer.get(), this);
    QPointer<TTaskListForm> self(this);
    S.Actions->Boxes->OpenDialog(dialog, [self, printer](int result) {
        if (self && result == QDialog::Accepted)
            self->PrintOn(*printer);
    });
}

void TTaskListForm::PrintOn(QPrinter &printer)
{
    QString error;
    if (!PrintTo(printer, &error)) {
        Notice(error, TMsgIcon::Error);
        return;
    }
    Notice(tr("Task schedule list has printed successfully"), TMsgIcon::Information);
}

void TTaskListForm::CloseProgram()
{
    FList.MarkModified();
    if (S.Actions->Preferences) {
        S.Actions->Preferences->SetLastRun(Clock::Now());
        LogInfo(QStringLiteral("Last run: ")
                + FormatDateTime(QStringLiteral("ddd, d mmm yyyy \"at\" hh:mm"), S.Actions->Preferences->LastRun()));
    }
    emit closeProgramRequested(QStringLiteral("mnuCloseProgramClick"));
}

void TTaskListForm::ToggleLog()
{
    // The action's check mark has already flipped when it was triggered from the menu.
    const bool enabled = mnuEnableLog->isChecked();
    emit logRequested(enabled);
    if (enabled)
        Notice(tr("You have enabled %1's logging operation.\rUncheck the \"Enable log\" menu item to disable "
                  "it.\r\rA log file named %1.log will be copied to your Desktop\rafter program termination.")
                   .arg(S.ProgramName),
               TMsgIcon::Information);
}

void TTaskListForm::ShowAbout()
{
    if (S.Ini)
        S.Ini->WriteInteger(QStringLiteral("Preferences"), QStringLiteral("Tab"), 6);
    mnuPreferences->trigger();
}

void TTaskListForm::EnableToolbarCommand()
{
    if (S.Actions->Preferences)
        S.Actions->Preferences->SetEnableToolbar(true);
    TaskToolBar->show();
    FSecondRow->show();
}

void TTaskListForm::PreferencesChanged()
{
    UpdateMenus();
    ApplyToolbarOptions();
    UpdateCaption();
    RefreshTaskList();
    ApplyListFont();
}

void TTaskListForm::Notice(const QString &text, TMsgIcon icon)
{
    if (S.Actions->Boxes)
        S.Actions->Boxes->Notice(text, icon, S.ProgramName, this);
}
