#include "ui/TaskFrm.h"

#include "core/Clock.h"
#include "core/TextLimit.h"
#include "platform/TextInputLimit.h"
#include "platform/TextLookGui.h"
#include "core/vornFile.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "extras/FormPlacement.h"
#include "model/CalendarNames.h"
#include "model/Recurrence.h"
#include "model/TaskList.h"
#include "model/UnitNames.h"
#include "platform/Desktop.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceLibrary.h"
#include "platform/SoundPlayer.h"
#include "scheduler/ActionContext.h"
#include "scheduler/NoteActions.h"
#include "ui/ComponentFrm.h"
#include "ui/RunProgramFrm.h"
#include "ui/SendemailFrm.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("TaskWizard");
constexpr int kTitleLength = 50;

// Pre-warning units in list order, as record rule codes.
constexpr uint8_t kPrewarningRules[] = {srMinutes, srHours, srDays, srWeeks, srMonths, srYears};

int PrewarningIndexOfRule(uint8_t rule)
{
    for (int i = 0; i < 6; ++i)
        if (kPrewarningRules[i] == rule)
            return i;
    return -1;
}

// The notes field of a paper note: ruled lines under the text.
class TLinedMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPlainTextEdit::paintEvent(event);
        QPainter p(viewport());
        p.setPen(QColor(187, 188, 192));
        const int step = fontMetrics().lineSpacing();
        const int top = int(contentOffset().y()) + int(document()->documentMargin());
        for (int y = top + step; y < viewport()->height(); y += step)
            if (y > 0)
                p.drawLine(0, y, viewport()->width(), y);
    }
};

const QString kAlarmHelp =
    QStringLiteral("Use this type when you want an alarm to \"hit\" on a predefined date and time. Optionally you can "
                   "set a pre-warning notification and a repeat schedule. Choose among audio, visual, e-mail alarm or "
                   "any combination of the above.");
const QString kTaskHelp =
    QStringLiteral("Use this type when you want to schedule a computer task on a predefined date and time. Optionally "
                   "you can set a repeat schedule. Choose between Shutdown/Restart/Log off Computer or Run a Program.");

} // namespace

TTaskForm *TTaskForm::OpenWizard(const TWindowRegistry &windows)
{
    return windows.Find<TTaskForm>([](const TTaskForm &wizard) { return wizard.isVisible(); });
}

TTaskForm::TTaskForm(TTaskFormServices services, TWizardMode mode, QWidget *owner)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
    , S(std::move(services))
    , TaskCopy(NewWizardTask())
    , WizardMode(mode)
{
    setObjectName(QStringLiteral("TaskForm"));
    setAttribute(Qt::WA_DeleteOnClose, false); // the runners own it
    if (S.Windows)
        S.Windows->Add(this);
    if (S.Actions)
        S.Actions->Windows.TaskForm = true;
    BuildPages();
    NamePages();
    FPlacement = std::make_unique<TFormPlacement>(S.Ini, kSection);
    FPlacement->Restore(*this);

    const TPreferences &p = Prefs();
    edtTaskTitle->setFont(TextFont(p.TextLook()));
    memTaskNotes->setFont(TextFont(p.TextLook()));
    Panels->SetTimeBase24(p.TimeBase24hour());
    const TCalendarNames &names = CalendarNames();
    Panels->SetNames(names.Weekdays.mid(1), names.Months.mid(1), names.ShortWeekdays.mid(1));
    const int start = p.CalendarStartOfWeek();
    Panels->SetFirstDayOfWeek(start == 0 ? Qt::Sunday : Qt::DayOfWeek(start));
    UpdateCaption();
}

TTaskForm::~TTaskForm()
{
    // Freed while open (the program ends): it opens where it was next time too.
    if (isVisible())
        FPlacement->Save(*this);
    StopSound();
    if (S.Actions)
        S.Actions->Windows.TaskForm = false;
}

IMessageBoxes *TTaskForm::Boxes() const
{
    return S.Actions ? S.Actions->Boxes : nullptr;
}

void TTaskForm::StopSound()
{
    if (S.Actions && S.Actions->Sound)
        S.Actions->Sound->Stop();
}

const TPreferences &TTaskForm::Prefs() const
{
    static const TPreferences defaults(QStringLiteral("Brivane"), QStringLiteral("Brivane"));
    return S.Actions ? S.Actions->Prefs() : defaults;
}

Desktop::SoundFolders TTaskForm::Sounds() const
{
    return S.Actions ? S.Actions->Sounds : Desktop::SoundFolders();
}

// ---- building ----

void TTaskForm::BuildPages()
{
    auto *root = new QVBoxLayout(this);
    TasksPageControl = new QTabWidget(this);
    TasksPageControl->setDocumentMode(true);
    root->addWidget(TasksPageControl);
    auto icon = [this](int index) {
        return S.LargeImages && index < S.LargeImages->Count() ? S.LargeImages->Icon(index) : QIcon();
    };

    // Type
    ReminderTypeTab = new QWidget;
    {
        auto *l = new QVBoxLayout(ReminderTypeTab);
        l->addWidget(new QLabel(tr("Choose the reminder type that you want to create:")));
        rbtAlarmType = new QRadioButton(tr("Alarm"));
        rbtTaskType = new QRadioButton(tr("Scheduled computer Task"));
        rbtAlarmType->setChecked(true);
        l->addWidget(rbtAlarmType);
        l->addWidget(rbtTaskType);
        lblReminderTypeHelp = new QLabel;
        lblReminderTypeHelp->setWordWrap(true);
        lblReminderTypeHelp->setMinimumHeight(80);
        l->addWidget(lblReminderTypeHelp);
        l->addStretch();
        connect(rbtAlarmType, &QRadioButton::clicked, this, [this] { TypeChosen(true); });
        connect(rbtTaskType, &QRadioButton::clicked, this, [this] { TypeChosen(false); });
    }
    // General
    GeneralTab = new QWidget;
    {
        auto *l = new QVBoxLayout(GeneralTab);
        l->addWidget(new QLabel(tr("Title:")));
        edtTaskTitle = new QLineEdit;
        edtTaskTitle->setMaxLength(kTitleLength);
        LimitTypedBytes(edtTaskTitle, kTitleLength);
        l->addWidget(edtTaskTitle);
        l->addWidget(new QLabel(tr("Notes:")));
        memTaskNotes = new TLinedMemo;
        memTaskNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memTaskNotes->setTabChangesFocus(true);
        l->addWidget(memTaskNotes, 1);
        connect(edtTaskTitle, &QLineEdit::textChanged, this, &TTaskForm::UpdateCaption);
        // The record keeps the notes in two parts of 250 bytes, split between characters.
        LimitPlainText(memTaskNotes, [](const QString &text) { return FitsInParts(text, NotesPartLength, 2); });
    }
    Panels = new Tcomponentform(Boxes(), this);
    Panels->hide();
    // When? (alarm)
    WhenTab = new QWidget;
    {
        FAlarmWhenLayout = new QVBoxLayout(WhenTab);
        grpPrewarning = new QGroupBox(tr(" Pre-warning "));
        auto *l = new QHBoxLayout(grpPrewarning);
        chkPrewarning = new QCheckBox(tr("Notify me"));
        sedPrewarningNFactor = new QSpinBox;
        sedPrewarningNFactor->setRange(1, 365);
        cbxPrewarningPresets = new QComboBox;
        for (const char *unit : UnitNames::Plain)
            cbxPrewarningPresets->addItem(QString::fromLatin1(unit));
        l->addWidget(chkPrewarning);
        l->addWidget(sedPrewarningNFactor);
        l->addWidget(cbxPrewarningPresets);
        l->addWidget(new QLabel(tr("before")));
        l->addStretch();
        FAlarmWhenLayout->addWidget(grpPrewarning);
        FAlarmWhenLayout->addStretch();
        connect(chkPrewarning, &QCheckBox::toggled, this, &TTaskForm::UpdateDependentControls);
    }
    // Actions (alarm)
    ActionsTab = new QWidget;
    {
        auto *l = new QVBoxLayout(ActionsTab);
        chkPopupNote = new QCheckBox(tr("Popup a note"));
        chkPopupNote->setIcon(icon(3));
        chkPopupNote->setChecked(true);
        l->addWidget(chkPopupNote);
        auto *mail = new QHBoxLayout;
        chkSendemail = new QCheckBox(tr("Send an e-mail"));
        chkSendemail->setIcon(icon(5));
        btnMailRecipients = new QPushButton(tr("Recipients..."));
        mail->addWidget(chkSendemail);
        mail->addStretch();
        mail->addWidget(btnMailRecipients);
        l->addLayout(mail);
        chkPlaySound = new QCheckBox(tr("Play sound"));
        chkPlaySound->setIcon(icon(1));
        chkPlaySound->setChecked(true);
        l->addWidget(chkPlaySound);
        auto *sound = new QHBoxLayout;
        fedSoundPathname = new QLineEdit(DefaultSoundFile);
        LimitTypedBytes(fedSoundPathname, kTitleLength);
        btnBrowseSound = new QToolButton;
        btnBrowseSound->setText(QStringLiteral("..."));
        btnBrowseSound->setToolTip(tr("Browse for a sound..."));
        btnTestSound = new QPushButton(tr("Test"));
        btnDefaultSound = new QPushButton(tr("Default"));
        sound->addWidget(fedSoundPathname, 1);
        sound->addWidget(btnBrowseSound);
        sound->addWidget(btnTestSound);
        sound->addWidget(btnDefaultSound);
        l->addLayout(sound);
        l->addStretch();
        connect(chkPlaySound, &QCheckBox::toggled, this, &TTaskForm::UpdateDependentControls);
        connect(chkPopupNote, &QCheckBox::toggled, this, &TTaskForm::UpdateFinishButton);
        connect(chkPlaySound, &QCheckBox::toggled, this, &TTaskForm::UpdateFinishButton);
        connect(chkSendemail, &QCheckBox::clicked, this, &TTaskForm::chkSendemailClick);
        connect(btnMailRecipients, &QPushButton::clicked, this, &TTaskForm::btnMailRecipientsClick);
        connect(btnTestSound, &QPushButton::clicked, this, &TTaskForm::btnTestSoundClick);
        connect(btnDefaultSound, &QPushButton::clicked, this, &TTaskForm::btnDefaultSoundClick);
        connect(btnBrowseSound, &QToolButton::clicked, this, &TTaskForm::BrowseSound);
    }
    // When? (computer task)
    TaskWhenTab = new QWidget;
    FTaskWhenLayout = new QVBoxLayout(TaskWhenTab);
    FTaskWhenLayout->addStretch();
    // Actions (computer task)
    TaskActionsTab = new QWidget;
    {
        auto *l = new QVBoxLayout(TaskActionsTab);
        auto *run = new QHBoxLayout;
        chkRunProgram = new QCheckBox(tr("Run a program"));
        chkRunProgram->setIcon(icon(7));
        btnProgramProperties = new QPushButton(tr("Run..."));
        run->addWidget(chkRunProgram);
        run->addStretch();
        run->addWidget(btnProgramProperties);
        l->addLayout(run);
        chkShutdown = new QCheckBox(tr("Shutdown Computer"));
        chkShutdown->setIcon(icon(9));
        l->addWidget(chkShutdown);
        auto *kinds = new QVBoxLayout;
        kinds->setContentsMargins(24, 0, 0, 0);
        rbtShutdown = new QRadioButton(tr("Shutdown"));
        rbtShutdown->setChecked(true);
        rbtRestart = new QRadioButton(tr("Restart"));
        rbtLogoff = new QRadioButton;
        kinds->addWidget(rbtShutdown);
        kinds->addWidget(rbtRestart);
        kinds->addWidget(rbtLogoff);
        l->addLayout(kinds);
        l->addStretch();
        RefreshLogoffCaption();
        connect(chkShutdown, &QCheckBox::toggled, this, &TTaskForm::UpdateDependentControls);
        connect(chkShutdown, &QCheckBox::toggled, this, &TTaskForm::UpdateFinishButton);
        connect(chkRunProgram, &QCheckBox::clicked, this, &TTaskForm::chkRunProgramClick);
        connect(btnProgramProperties, &QPushButton::clicked, this, &TTaskForm::btnProgramPropertiesClick);
    }

    TasksPageControl->addTab(ReminderTypeTab, tr("Type"));
    TasksPageControl->addTab(GeneralTab, icon(3), tr("General"));
    TasksPageControl->addTab(WhenTab, tr("When?"));
    TasksPageControl->addTab(ActionsTab, tr("Actions"));
    TasksPageControl->addTab(TaskWhenTab, tr("When?"));
    TasksPageControl->addTab(TaskActionsTab, tr("Actions"));
    connect(TasksPageControl, &QTabWidget::currentChanged, this, [this](int) {
        QWidget *now = TasksPageControl->currentWidget();
        if (now == FShownPage)
            return;
        if (FShownPage)
            PageLeft(FShownPage);
        FShownPage = now;
        PageShown(now);
    });

    auto *buttons = new QHBoxLayout;
    btnBack = new QPushButton(tr("<< Back"));
    btnNext = new QPushButton(tr("Next >>"));
    btnFinish = new QPushButton(tr("Finish"));
    btnCancel = new QPushButton(tr("Cancel"));
    buttons->addStretch();
    for (QPushButton *b : {btnBack, btnNext, btnFinish, btnCancel})
        buttons->addWidget(b);
    root->addLayout(buttons);
    connect(btnBack, &QPushButton::clicked, this, &TTaskForm::BackClick);
    connect(btnNext, &QPushButton::clicked, this, &TTaskForm::NextClick);
    connect(btnFinish, &QPushButton::clicked, this, &TTaskForm::FinishClick);
    connect(btnCancel, &QPushButton::clicked, this, &TTaskForm::CancelClick);
    auto *save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(save, &QShortcut::activated, this, [this] {
        if (btnFinish->isEnabled() || WizardMode == wmChangeSchedule)
            FinishClick();
    });

    UpdateDependentControls();
    resize(qMax(width(), 520), qMax(height(), 470));
}

void TTaskForm::NamePages()
{
    // The names tests and tools find the controls by.
    const std::pair<QObject *, const char *> named[] = {
        {TasksPageControl, "TasksPageControl"},
        {ReminderTypeTab, "ReminderTypeTab"},
        {GeneralTab, "GeneralTab"},
        {WhenTab, "WhenTab"},
        {ActionsTab, "ActionsTab"},
        {TaskWhenTab, "TaskWhenTab"},
        {TaskActionsTab, "TaskActionsTab"},
        {rbtAlarmType, "rbtAlarmType"},
        {rbtTaskType, "rbtTaskType"},
        {lblReminderTypeHelp, "lblReminderTypeHelp"},
        {edtTaskTitle, "edtTaskTitle"},
        {memTaskNotes, "memTaskNotes"},
        {grpPrewarning, "grpPrewarning"},
        {chkPrewarning, "chkPrewarning"},
        {sedPrewarningNFactor, "sedPrewarningNFactor"},
        {cbxPrewarningPresets, "cbxPrewarningPresets"},
        {chkPopupNote, "chkPopupNote"},
        {chkSendemail, "chkSendemail"},
        {chkPlaySound, "chkPlaySound"},
        {btnMailRecipients, "btnMailRecipients"},
        {btnTestSound, "btnTestSound"},
        {btnDefaultSound, "btnDefaultSound"},
        {fedSoundPathname, "fedSoundPathname"},
        {btnBrowseSound, "btnBrowseSound"},
        {chkRunProgram, "chkRunProgram"},
        {chkShutdown, "chkShutdown"},
        {btnProgramProperties, "btnProgramProperties"},
        {rbtShutdown, "rbtShutdown"},
        {rbtRestart, "rbtRestart"},
        {rbtLogoff, "rbtLogoff"},
        {btnBack, "btnBack"},
        {btnNext, "btnNext"},
        {btnFinish, "btnFinish"},
        {btnCancel, "btnCancel"},
    };
    for (const auto &[object, name] : named)
        object->setObjectName(QLatin1String(name));
}

void TTaskForm::RefreshLogoffCaption()
{
    rbtLogoff->setText(tr("Log off ") + Desktop::UserName());
}

void TTaskForm::UpdateDependentControls()
{
    const bool sound = chkPlaySound->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{fedSoundPathname, btnBrowseSound, btnTestSound, btnDefaultSound})
        w->setEnabled(sound);
    sedPrewarningNFactor->setEnabled(chkPrewarning->isChecked());
    cbxPrewarningPresets->setEnabled(chkPrewarning->isChecked());
    for (QRadioButton *r : {rbtShutdown, rbtRestart, rbtLogoff})
        r->setEnabled(chkShutdown->isChecked());
    btnMailRecipients->setEnabled(chkSendemail->isChecked());
    btnProgramProperties->setEnabled(chkRunProgram->isChecked());
}

// ---- pages ----

int TTaskForm::ChosenKind() const
{
    if (WizardMode == wmNew)
        return rbtAlarmType->isChecked() ? tkAlarm : tkAutomatedTask;
    return TaskCopy.Taskkind;
}

void TTaskForm::ShowPagesFor(int kind)
{
    const bool alarm = kind == tkAlarm;
    const bool task = kind == tkAutomatedTask;
    auto show = [this](QWidget *page, bool on) {
        TasksPageControl->setTabVisible(TasksPageControl->indexOf(page), on);
    };
    show(ReminderTypeTab, WizardMode == wmNew);
    show(GeneralTab, alarm && WizardMode != wmChangeSchedule);
    show(ActionsTab, alarm && WizardMode != wmChangeSchedule);
    show(WhenTab, alarm);
    show(TaskWhenTab, task && WizardMode != wmChangeSchedule);
    show(TaskActionsTab, task && WizardMode != wmChangeSchedule);
    // The date and repeat panels live on the When? page of the kind.
    QVBoxLayout *target = task ? FTaskWhenLayout : FAlarmWhenLayout;
    target->insertWidget(0, Panels->StartPanel());
    target->insertWidget(1, Panels->RepeatPanel());
    // Moved panels join the window's tab chain wherever the move left them:
    // the page's whole chain is laid down again, top to bottom, then the buttons.
    QList<QWidget *> chain = Panels->TabChain();
    if (!task)
        chain << chkPrewarning << sedPrewarningNFactor << cbxPrewarningPresets;
    if (btnBack)
        chain << btnBack << btnNext << btnFinish << btnCancel;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    if (WizardMode == wmNew)
        ApplyNewDefaults();
}

void TTaskForm::ApplyNewDefaults()
{
    Panels->ResetStartToNow();
    sedPrewarningNFactor->setValue(sedPrewarningNFactor->minimum());
    cbxPrewarningPresets->setCurrentIndex(0);
    RefreshLogoffCaption();
}

void TTaskForm::TypeChosen(bool alarm)
{
    ShowPagesFor(alarm ? tkAlarm : tkAutomatedTask);
    lblReminderTypeHelp->setText(alarm ? kAlarmHelp : kTaskHelp);
    if (S.Ini)
        S.Ini->WriteInteger(kSection, QStringLiteral("AlarmType"), alarm ? -1 : 0);
    UpdateButtons();
}

QWidget *TTaskForm::CurrentPage() const
{
    return TasksPageControl->currentWidget();
}

QList<QWidget *> TTaskForm::VisiblePages() const
{
    QList<QWidget *> pages;
    for (int i = 0; i < TasksPageControl->count(); ++i)
        if (TasksPageControl->isTabVisible(i))
            pages << TasksPageControl->widget(i);
    return pages;
}

void TTaskForm::GoToPage(QWidget *page)
{
    TasksPageControl->setCurrentWidget(page);
    if (FShownPage != page) { // setCurrentWidget said nothing: the page was current
        if (FShownPage)
            PageLeft(FShownPage);
        FShownPage = page;
        PageShown(page);
    }
}

void TTaskForm::NextClick()
{
    const QList<QWidget *> pages = VisiblePages();
    const int at = int(pages.indexOf(CurrentPage()));
    if (at >= 0 && at + 1 < pages.size())
        GoToPage(pages[at + 1]);
}

void TTaskForm::BackClick()
{
    const QList<QWidget *> pages = VisiblePages();
    const int at = int(pages.indexOf(CurrentPage()));
    if (at > 0)
        GoToPage(pages[at - 1]);
}

void TTaskForm::PageShown(QWidget *page)
{
    if (page == ReminderTypeTab) {
        const bool alarm = rbtAlarmType->isChecked();
        ShowPagesFor(alarm ? tkAlarm : tkAutomatedTask);
        lblReminderTypeHelp->setText(alarm ? kAlarmHelp : kTaskHelp);
    } else if (page == GeneralTab) {
        if (edtTaskTitle->text().trimmed().isEmpty())
            edtTaskTitle->setText(tr("Untitled"));
    }
    FocusFirstControl(page);
    UpdateButtons();
}

void TTaskForm::FocusFirstControl(QWidget *page)
{
    if (page == ReminderTypeTab) {
        // The type chosen last time comes first to the keyboard.
        const bool rememberedAlarm = !S.Ini || S.Ini->ReadInteger(kSection, QStringLiteral("AlarmType"), -1) != 0;
        (rememberedAlarm ? rbtAlarmType : rbtTaskType)->setFocus();
    } else if (page == GeneralTab) {
        edtTaskTitle->setFocus();
        edtTaskTitle->selectAll();
    } else if (page == WhenTab || page == TaskWhenTab) {
        Panels->FocusStartDate();
    } else if (page == ActionsTab) {
        chkPopupNote->setFocus();
    } else if (page == TaskActionsTab) {
        chkRunProgram->setFocus();
    }
}

void TTaskForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Opened from a hot key, the wizard must take the keyboard from whatever had it.
    raise();
    activateWindow();
    // Focus set while the window was hidden does not hold.
    FocusFirstControl(CurrentPage());
}

void TTaskForm::PageLeft(QWidget *page)
{
    if (page == GeneralTab && edtTaskTitle->text().trimmed().isEmpty())
        edtTaskTitle->setText(tr("Untitled"));
    if (page == WhenTab || page == TaskWhenTab)
        Panels->EnsureValidDate();
}

void TTaskForm::UpdateButtons()
{
    QWidget *page = CurrentPage();
    const bool edit = WizardMode == wmProperties;
    bool back = true, next = true, finish = true;
    if (page == ReminderTypeTab) {
        back = false;
        finish = false;
    } else if (page == GeneralTab || page == TaskWhenTab) {
        back = !edit;
    } else if (page == ActionsTab || page == TaskActionsTab) {
        next = false;
    }
    btnBack->setVisible(WizardMode != wmChangeSchedule);
    btnNext->setVisible(WizardMode != wmChangeSchedule);
    if (WizardMode != wmChangeSchedule || page != WhenTab) {
        btnBack->setEnabled(back);
        btnNext->setEnabled(next);
        btnFinish->setEnabled(finish);
    }
    btnCancel->setEnabled(true);
    // Enter moves on while there is a next page, and finishes on the last.
    const bool nextIsDefault = !btnNext->isHidden() && btnNext->isEnabled();
    btnNext->setDefault(nextIsDefault);
    btnFinish->setDefault(!nextIsDefault);
}

void TTaskForm::UpdateFinishButton()
{
    const bool any = chkPopupNote->isChecked() || chkPlaySound->isChecked() || chkSendemail->isChecked()
                     || chkRunProgram->isChecked() || chkShutdown->isChecked();
    btnBack->setEnabled(true);
    btnCancel->setEnabled(true);
    btnFinish->setEnabled(any);
}

void TTaskForm::UpdateCaption()
{
    const QString title = edtTaskTitle ? edtTaskTitle->text() : QString();
    switch (WizardMode) {
    case wmNew:
        setWindowTitle(title.isEmpty() ? tr("Add Reminder wizard") : tr("Add Reminder wizard - ") + title);
        break;
    case wmProperties: setWindowTitle(CaptionPrefix + title); break;
    case wmChangeSchedule: setWindowTitle(tr("Change schedule - ") + title); break;
    }
}

// ---- the actions' detail dialogs and sounds ----

void TTaskForm::chkSendemailClick()
{
    if (!chkSendemail->isChecked()) {
        btnMailRecipients->setEnabled(false);
        return;
    }
    const TEmailBlock block = TaskCopy.EmailBlock();
    if (TSendemailForm::Test(block)) {
        btnMailRecipients->setEnabled(true);
        UpdateFinishButton();
        return;
    }
    // Ticked without addresses: it stays ticked only when the dialog gives some.
    chkSendemail->setChecked(false);
    TSendemailForm::Edit(Boxes(), block, S.Ini, TextFont(Prefs().TextLook()), this,
                         [this](bool accepted, const TEmailBlock &edited) {
                             if (accepted)
                                 TaskCopy.SetEmailBlock(edited);
                             const bool usable = accepted && TSendemailForm::Test(edited);
                             chkSendemail->setChecked(usable);
                             btnMailRecipients->setEnabled(usable);
                             UpdateFinishButton();
                         });
}

void TTaskForm::btnMailRecipientsClick()
{
    chkSendemail->setFocus();
    TSendemailForm::Edit(Boxes(), TaskCopy.EmailBlock(), S.Ini, TextFont(Prefs().TextLook()), this,
                         [this](bool accepted, const TEmailBlock &edited) {
                             if (accepted) {
                                 TaskCopy.SetEmailBlock(edited);
                                 if (!TSendemailForm::Test(edited)) {
                                     btnMailRecipients->setEnabled(false);
                                     chkSendemail->setChecked(false);
                                 }
                             }
                             UpdateFinishButton();
                         });
}

void TTaskForm::chkRunProgramClick()
{
    if (!chkRunProgram->isChecked()) {
        btnProgramProperties->setEnabled(false);
        UpdateFinishButton();
        return;
    }
    const TProgramBlock block = TaskCopy.ProgramBlock();
    if (TRunProgramForm::Test(block)) {
        btnProgramProperties->setEnabled(true);
        UpdateFinishButton();
        return;
    }
    // Ticked without a program: it stays ticked only when the dialog gives one.
    chkRunProgram->setChecked(false);
    TRunProgramForm::Edit(Boxes(), block, S.Ini, S.ProductName, this,
                          [this](bool accepted, const TProgramBlock &edited) {
                              if (accepted)
                                  TaskCopy.SetProgramBlock(edited);
                              const bool usable = accepted && TRunProgramForm::Test(edited);
                              chkRunProgram->setChecked(usable);
                              btnProgramProperties->setEnabled(usable);
                              UpdateFinishButton();
                          });
}

void TTaskForm::btnProgramPropertiesClick()
{
    chkRunProgram->setFocus();
    TRunProgramForm::Edit(Boxes(), TaskCopy.ProgramBlock(), S.Ini, S.ProductName, this,
                          [this](bool accepted, const TProgramBlock &edited) {
                              if (accepted) {
                                  TaskCopy.SetProgramBlock(edited);
                                  if (!TRunProgramForm::Test(edited)) {
                                      btnProgramProperties->setEnabled(false);
                                      chkRunProgram->setChecked(false);
                                  }
                              }
                              UpdateFinishButton();
                          });
}

void TTaskForm::btnTestSoundClick()
{
    const QString path = Sounds().Find(fedSoundPathname->text());
    if (path.isEmpty()) {
        if (IMessageBoxes *boxes = Boxes())
            boxes->Notice(tr("Error 10: Sound file not found.\rMake sure it exists in the \"Sounds\" folder"),
                          TMsgIcon::None, QString(), this);
    } else if (S.Actions && S.Actions->Sound) {
        Sound::PlayFileOn(*S.Actions->Sound, path);
    }
}

void TTaskForm::btnDefaultSoundClick()
{
    if (!Sounds().Find(DefaultSoundFile).isEmpty())
        fedSoundPathname->setText(DefaultSoundFile);
    else if (IMessageBoxes *boxes = Boxes())
        boxes->Notice(tr("Error 08: Default sound file not found.\rMake sure it exists in the \"Sounds\" folder"),
                      TMsgIcon::None, QString(), this);
}

void TTaskForm::BrowseSound()
{
    // The user's own sounds once there are any, else the program's.
    const Desktop::SoundFolders sounds = Sounds();
    const QString folder = QFileInfo(sounds.user).isDir() ? sounds.user : sounds.program;
    IMessageBoxes *boxes = Boxes();
    if (!boxes)
        return;
    auto *dialog = new QFileDialog(this, tr("Browse for a sound..."), folder, tr("WAV files (*.wav)"));
    dialog->setObjectName(QStringLiteral("SoundBrowseDialog"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    boxes->OpenDialog(dialog, [this, dialog](int result) {
        if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            SoundPicked(dialog->selectedFiles().constFirst());
    });
}

void TTaskForm::SoundPicked(const QString &picked)
{
    if (picked.isEmpty())
        return;
    const Desktop::SoundFolders sounds = Sounds();
    const QString name = QFileInfo(picked).fileName();
    const QString inSounds = sounds.user + name;
    // One of the program's own sounds is named as it is; anything else lives
    // on in the user's folder, where it is looked for first.
    const QString own = QFileInfo(sounds.program + name).canonicalFilePath();
    bool copied = QFileInfo(inSounds).isFile() || (!own.isEmpty() && own == QFileInfo(picked).canonicalFilePath());
    QString why;
    if (!copied && !sounds.MakeUserFolder()) {
        // The nearest folder that exists is the one that refused the new one.
        QString level = QDir::cleanPath(sounds.user);
        while (!level.isEmpty() && level != QLatin1String("/") && !QFileInfo::exists(level))
            level = QFileInfo(level).absolutePath();
        const QString problem = !QFileInfo(level).isDir() ? tr("%1 is not a folder").arg(level) : FolderWriteProblem(level);
        why = tr("cannot create %1").arg(sounds.user) + (problem.isEmpty() ? QString() : QStringLiteral(": ") + problem);
    } else if (!copied) {
        try {
            copied = CopyFileAtomically(picked, inSounds, &why);
        } catch (const EvornError &e) {
            LogInfo(e.Message()); // the user gets Error 09 below
        }
    }
    if (copied) {
        fedSoundPathname->setText(name);
        return;
    }
    if (IMessageBoxes *boxes = Boxes())
        boxes->Notice(tr("Error 09: Unable to copy file to \"Sounds\" folder")
                          + (why.isEmpty() ? QString() : QStringLiteral(": ") + why),
                      TMsgIcon::None, QString(), this);
    fedSoundPathname->setText(picked);
}

// ---- loading, finishing, cancelling ----

void TTaskForm::LoadFromTask()
{
    FLoading = true;
    const TTaskData &t = TaskCopy;
    CaptionPrefix = t.Taskkind == tkAlarm           ? tr("Alarm Properties - ")
                    : t.Taskkind == tkAutomatedTask ? tr("Computer Task Properties - ")
                                                    : QString();
    edtTaskTitle->setText(t.Title.Get());
    memTaskNotes->setPlainText(t.Notes());
    Panels->ResetStartToNow(); // today's weekday and month in the lists first
    Panels->SetStart(t.EventDateTime);
    chkPrewarning->setChecked(t.PreWarning);
    sedPrewarningNFactor->setValue(t.PreWarningNFactor);
    if (const int unit = PrewarningIndexOfRule(t.PreWarningRule); unit >= 0)
        cbxPrewarningPresets->setCurrentIndex(unit);
    Panels->LoadRepeatRule(t.RepeatRule, t.RepeatNFactor);
    Panels->SetRepeat(t.RepeatTask);
    std::array<bool, 7> excludes{};
    for (int d = 1; d <= 7; ++d)
        excludes[std::size_t(d - 1)] = t.IsWeekdayExcluded(d);
    Panels->SetExcludes(excludes);
    chkPopupNote->setChecked(t.PopupNote);
    chkPlaySound->setChecked(t.PlaySound);
    chkSendemail->setChecked(t.SendEmail);
    chkRunProgram->setChecked(t.RunProgram);
    chkShutdown->setChecked(t.ShutdownComputer);
    fedSoundPathname->setText(t.SoundFile.Get());
    (t.ShutdownType == skRestart ? rbtRestart : t.ShutdownType == skLogOff ? rbtLogoff : rbtShutdown)->setChecked(true);
    RefreshLogoffCaption();
    UpdateDependentControls();
    UpdateCaption();
    FLoading = false;
}

bool TTaskForm::FinishClick()
{
    StopSound();
    TTaskData t = TaskCopy;
    t.Taskkind = uint8_t(ChosenKind());
    const TDateTime start = Panels->StartDateTime();
    auto startRefused = [&] {
        if (!Panels->IsExcludedWeekday(start))
            return false;
        if (IMessageBoxes *boxes = Boxes())
            boxes->Notice(tr("You cannot set the reminder's Date/Time to start on %1.\rYou have excluded it.")
                              .arg(CalendarNames().Weekdays.value(DayOfTheWeek(start))),
                          TMsgIcon::Information, windowTitle(), this);
        return true;
    };
    auto writeRepeat = [&] {
        t.RepeatTask = Panels->IsRepeating();
        uint8_t rule = 0;
        int32_t factor = 0;
        Panels->ReadRepeatRule(rule, factor);
        t.RepeatRule = rule;
        t.RepeatNFactor = factor;
        const std::array<bool, 7> excludes = Panels->Excludes();
        for (int d = 1; d <= 7; ++d)
            t.SetWeekdayExcluded(d, excludes[std::size_t(d - 1)]);
    };
    if (t.Taskkind == tkAlarm) {
        // Texts left as they were keep their bytes, even an old title whose
        // UTF-8 form is longer than the field now holds.
        const QString title = edtTaskTitle->text().trimmed();
        if (title != t.Title.Get())
            t.Title.Set(CutToUtf8(title, kTitleLength));
        if (memTaskNotes->toPlainText() != NotesForMemo(t))
            t.SetNotes(memTaskNotes->toPlainText());
        if (startRefused())
            return false;
        t.EventDateTime = start;
        t.PreWarning = chkPrewarning->isChecked();
        t.PreWarningRule = kPrewarningRules[qBound(0, cbxPrewarningPresets->currentIndex(), 5)];
        t.PreWarningNFactor = sedPrewarningNFactor->value();
        t.Scheduled = t.PreWarning ? TRecurrence::ScheduledTime(t) : start;
        writeRepeat();
        t.PlaySound = chkPlaySound->isChecked();
        t.SoundFile.Set(CutToUtf8(fedSoundPathname->text(), kTitleLength));
        t.PopupNote = chkPopupNote->isChecked();
        t.SendEmail = chkSendemail->isChecked();
    } else {
        if (startRefused())
            return false;
        t.EventDateTime = start;
        t.PreWarning = false;
        t.Scheduled = start;
        writeRepeat();
        t.RunProgram = chkRunProgram->isChecked();
        t.ShutdownComputer = chkShutdown->isChecked();
        t.ShutdownType = rbtRestart->isChecked() ? skRestart : rbtLogoff->isChecked() ? skLogOff : skShutdown;
        if (!t.RunProgram && !t.ShutdownComputer) {
            GoToPage(TaskActionsTab);
            if (IMessageBoxes *boxes = Boxes())
                boxes->Notice(tr("At least one action must be set."), TMsgIcon::Warning, windowTitle(), this);
            return false;
        }
    }
    ApplyFinishDefaults(t, WizardMode == wmNew);
    TaskCopy = t;
    accept();
    return true;
}

void TTaskForm::CancelClick()
{
    reject();
}

void TTaskForm::reject()
{
    StopSound();
    QDialog::reject();
}

void TTaskForm::done(int result)
{
    FPlacement->Save(*this);
    if (S.Actions)
        S.Actions->Windows.TaskForm = false;
    QDialog::done(result);
}

// ---- the two ways in ----

TTaskForm *TTaskForm::NewReminder(const TTaskFormServices &services, QWidget *owner)
{
    auto *wizard = new TTaskForm(services, wmNew, owner);
    wizard->GoToPage(wizard->ReminderTypeTab);
    return wizard;
}

TTaskForm *TTaskForm::EditReminder(const TTaskFormServices &services, std::shared_ptr<TTaskData> task,
                                   bool changeScheduleOnly, QWidget *owner)
{
    auto *wizard = new TTaskForm(services, changeScheduleOnly ? wmChangeSchedule : wmProperties, owner);
    // The scheduler leaves it alone while it is open here, and the list shows it as running.
    task->InService = true;
    wizard->FEdited = std::move(task);
    wizard->FChangeScheduleOnly = changeScheduleOnly;
    wizard->TaskCopy = *wizard->FEdited;
    wizard->LoadFromTask();
    wizard->ShowPagesFor(wizard->TaskCopy.Taskkind);
    const QList<QWidget *> pages = wizard->VisiblePages();
    if (!pages.isEmpty())
        wizard->GoToPage(changeScheduleOnly ? wizard->WhenTab : pages.first());
    if (changeScheduleOnly) {
        wizard->btnFinish->setEnabled(true);
        wizard->btnCancel->setEnabled(true);
    }
    return wizard;
}

void TTaskForm::Open()
{
    IMessageBoxes *boxes = Boxes();
    if (!boxes) {
        Closed(QDialog::Rejected);
        delete this;
        return;
    }
    boxes->OpenDialog(this, [this](int result) { Closed(result); });
}

void TTaskForm::Closed(int result)
{
    if (!FEdited) {
        if (result == QDialog::Accepted)
            emit ReminderAdded(TaskCopy);
        return;
    }
    if (result != QDialog::Accepted) {
        // A note that asked for a new schedule is still open and keeps its reminder in service.
        if (!FChangeScheduleOnly)
            FEdited->InService = false;
        emit EditFinished(false);
        return;
    }
    *FEdited = TaskCopy;
    if (TActionContext *actions = S.Actions) {
        TOpenWindows &w = actions->Windows;
        if (w.TaskList) {
            emit w.SortListRequested();
            emit w.RefreshListRequested();
        }
        if (actions->List)
            actions->List->MarkModified();
    }
    emit EditFinished(true);
}
