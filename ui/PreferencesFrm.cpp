#include "ui/PreferencesFrm.h"

#include "core/Clock.h"
#include "core/LineBreaks.h"
#include "core/TextLimit.h"
#include "platform/TextInputLimit.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "extras/FormPlacement.h"
#include "extras/InfoDlgFrm.h"
#include "model/CalendarNames.h"
#include "model/TaskList.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceLibrary.h"
#include "scheduler/ActionContext.h"
#include "storage/GlobalPreferences.h"
#include "platform/TextLookGui.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("Preferences");
constexpr int kSignatureBoxCapacity = 200;

// The e-mail settings in the texts the user sees; a "\r" is a line break.
QString Lines(QString text)
{
    return ToLineFeeds(std::move(text));
}

QLabel *WrappedLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(Lines(text), parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TPreferencesForm::TPreferencesForm(TPreferencesSetup setup, QWidget *owner)
    : QDialog(owner)
    , S(std::move(setup))
{
    // The window counts as open from here on.
    if (S.Actions)
        S.Actions->Windows.Preferences = true;
    setObjectName(QStringLiteral("PreferencesForm"));
    setWindowTitle(tr("Preferences"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    PageControl = new QTabWidget(this);
    PageControl->addTab(BuildGeneral(), tr("General"));
    PageControl->addTab(BuildRemindersWindow(), tr("Reminders window"));
    PageControl->addTab(BuildPopupnote(), tr("Popupnote Action"));
    PageControl->addTab(BuildEmail(), tr("E-mail Action"));
    PageControl->addTab(BuildReflexes(), tr("Action Reflexes"));
    PageControl->addTab(BuildEditorial(), tr("Editorial"));
    PageControl->addTab(BuildAbout(), tr("About"));
    PageControl->setTabVisible(pgEditorial, S.Edition == 0);
    // Every page tab in sight: the window grows to hold them.
    PageControl->tabBar()->setUsesScrollButtons(false);

    lblHelp = Link(tr("Help"), &TPreferencesForm::HelpClick);
    btnOK = new QPushButton(tr("OK"), this);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &TPreferencesForm::OkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TPreferencesForm::CancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);
    // Fixed in size, but as large as the desktop's font needs.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    NameControls();
    LoadControls();
    OpenRememberedPage();
    UpdateTimeBaseCaption();
    UpdateFontSample();
    UpdateAuthenticationBoxes();
    // The box follows the log-on entry, not the stored preference.
    chkRunOnStartup->setChecked(S.Desktop ? S.Desktop->RunOnStartupExists() : Prefs().RunOnStartup());

    layout->activate();
    FPlacement = std::make_unique<TFormPlacement>(S.Ini, kSection);
    if (!FPlacement->Restore(*this)) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    FocusFirstControl();
}

TPreferencesForm::~TPreferencesForm()
{
    // Freed without closing (the program ends while it is open): it opens
    // where it was, on its page, next time too.
    if (!FClosed) {
        if (S.Ini)
            S.Ini->WriteInteger(kSection, QStringLiteral("Tab"), CurrentPage());
        FPlacement->Save(*this);
        if (S.Actions)
            S.Actions->Windows.Preferences = false;
    }
}

TPreferences &TPreferencesForm::Prefs() const
{
    return *S.Actions->Preferences;
}

// ---- building ----

QGroupBox *TPreferencesForm::Group(const QString &caption, int picture, QWidget *parent, bool large)
{
    auto *group = new QGroupBox(caption, parent);
    auto *row = new QHBoxLayout(group);
    auto *image = new QLabel(group);
    const TImageList *list = large ? S.LargeImages : S.PreferencesImages;
    if (list && picture < list->Count())
        image->setPixmap(list->Pixmap(picture, image->devicePixelRatioF()));
    image->setFixedSize(32, 32);
    row->addWidget(image, 0, Qt::AlignTop);
    auto *content = new QVBoxLayout;
    row->addLayout(content, 1);
    return group;
}

// The layout beside a group's picture, where its controls go.
static QVBoxLayout *Content(QGroupBox *group)
{
    return static_cast<QVBoxLayout *>(group->layout()->itemAt(1)->layout());
}

QLabel *TPreferencesForm::Link(const QString &caption, void (TPreferencesForm::*click)())
{
    auto *link = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(caption.toHtmlEscaped()), this);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &QLabel::linkActivated, this, [this, click] { (this->*click)(); });
    return link;
}

QWidget *TPreferencesForm::BuildGeneral()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);

    QGroupBox *missed = Group(tr(" Missed Reminders "), 0, page);
    rbShowAll = new QRadioButton(tr("Show them all at startup (recommended)"), missed);
    rbReschedule = new QRadioButton(tr("Don't show them. Calculate their new schedule"), missed);
    chkShowOnlyRunOnce = new QCheckBox(tr("show only reminders scheduled to run once (recommended)"), missed);
    Content(missed)->addWidget(new QLabel(tr("How do I handle missed Reminders?"), missed));
    Content(missed)->addWidget(rbShowAll);
    Content(missed)->addWidget(rbReschedule);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(chkShowOnlyRunOnce);
    Content(missed)->addLayout(indented);
    // The two buttons exclude each other: one signal covers both.
    connect(rbReschedule, &QRadioButton::toggled, this,
            [this] { chkShowOnlyRunOnce->setEnabled(rbReschedule->isChecked()); });
    v->addWidget(missed);

    QGroupBox *keys = Group(tr(" Shortcut keys"), 1, page);
    Content(keys)->addWidget(new QLabel(tr("Choose the most suitable shortcut keys"), keys));
    const QString after[2] = {tr("to launch the Add a Reminder wizard"), tr("to open the Reminders window")};
    for (int i = 0; i < 2; ++i) {
        auto *list = new QComboBox(keys);
        for (char16_t c = u'A'; c <= u'Z'; ++c)
            list->addItem(QString(QChar(c)));
        connect(list, &QComboBox::activated, this, [this, i] { HotKeyChosen(i); });
        cbHotKeys[std::size_t(i)] = list;
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(tr("Press Ctrl+Shift+"), keys));
        row->addWidget(list);
        row->addWidget(new QLabel(after[i], keys), 1);
        Content(keys)->addLayout(row);
    }
    v->addWidget(keys);

    QGroupBox *other = Group(QString(), 2, page);
    cbStartOfWeek = new QComboBox(other);
    for (int day = 1; day <= 7; ++day)
        cbStartOfWeek->addItem(CalendarNames().Weekdays.value(day));
    auto *week = new QHBoxLayout;
    week->addWidget(new QLabel(tr("Calendar week starts at "), other));
    week->addWidget(cbStartOfWeek);
    week->addStretch(1);
    Content(other)->addLayout(week);
    chkRecycleBin = new QCheckBox(tr("Move deleted Reminders to the Trash"), other);
    chkNeverShowSplash = new QCheckBox(tr("Never show splash screen"), other);
    chkRunOnStartup = new QCheckBox(tr("Automatically run when I log in (recommended)"), other);
    chkTimeBase24 = new QCheckBox(other);
    chkFullMoons = new QCheckBox(tr("Warn me when a \"Full moon\" phase is about to occur"), other);
    for (QCheckBox *box : {chkRecycleBin, chkNeverShowSplash, chkRunOnStartup, chkTimeBase24, chkFullMoons})
        Content(other)->addWidget(box);
    connect(chkRunOnStartup, &QCheckBox::clicked, this, &TPreferencesForm::RunOnStartupClick);
    connect(chkTimeBase24, &QCheckBox::toggled, this, &TPreferencesForm::UpdateTimeBaseCaption);
    v->addWidget(other);
    v->addStretch(1);
    return page;
}

QWidget *TPreferencesForm::BuildRemindersWindow()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);

    QGroupBox *toolbar = Group(tr(" Toolbar "), 3, page);
    chkEnableToolbar = new QCheckBox(tr("Enable toolbar"), toolbar);
    chkShowButtonTexts = new QCheckBox(tr("Show button texts"), toolbar);
    chkSmallIcons = new QCheckBox(tr("Use small icons"), toolbar);
    Content(toolbar)->addWidget(new QLabel(tr("Customize toolbar's appearance"), toolbar));
    for (QCheckBox *box : {chkEnableToolbar, chkShowButtonTexts, chkSmallIcons})
        Content(toolbar)->addWidget(box);
    connect(chkShowButtonTexts, &QCheckBox::clicked, this, [this] { ToolbarBoxClicked(chkShowButtonTexts); });
    connect(chkSmallIcons, &QCheckBox::clicked, this, [this] { ToolbarBoxClicked(chkSmallIcons); });
    v->addWidget(toolbar);

    QGroupBox *tooltips = Group(tr(" Tooltips "), 4, page);
    tbTooltipTime = new QSlider(Qt::Horizontal, tooltips);
    tbTooltipTime->setRange(2000, 7000);
    tbTooltipTime->setSingleStep(1);
    tbTooltipTime->setPageStep(500);
    connect(tbTooltipTime, &QSlider::valueChanged, this,
            [this](int ms) { tbTooltipTime->setToolTip(QString::number(ms / 1000.0, 'f', 1) + tr(" seconds")); });
    Content(tooltips)->addWidget(new QLabel(tr("For how long the tooltips will stay visible?"), tooltips));
    auto *ends = new QHBoxLayout;
    ends->addWidget(new QLabel(tr("a glance"), tooltips));
    ends->addWidget(tbTooltipTime, 1);
    ends->addWidget(new QLabel(tr("long enough"), tooltips));
    Content(tooltips)->addLayout(ends);
    v->addWidget(tooltips);

    QGroupBox *font = Group(tr(" Font "), 5, page);
    lblFontSample = new QLabel(font);
    lblChangeFont = Link(tr("Click here to change the Font"), &TPreferencesForm::FontClick);
    Content(font)->addWidget(lblFontSample);
    Content(font)->addWidget(lblChangeFont);
    v->addWidget(font);

    chkShowSuspended = new QCheckBox(tr("Show Suspended Reminders"), page);
    v->addWidget(chkShowSuspended);
    v->addStretch(1);
    return page;
}

QWidget *TPreferencesForm::BuildPopupnote()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    QGroupBox *snooze = Group(tr(" Snooze "), 6, page);
    Content(snooze)->addWidget(new QLabel(tr("Customize snooze time for each snooze menu item"), snooze));
    auto *grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto *count = new QSpinBox(snooze);
        count->setRange(1, 99);
        auto *unit = new QComboBox(snooze);
        for (int t = stMinutes; t <= stMonths; ++t)
            unit->addItem(TPreferences::SnoozeUnitText(TSnoozeType(t)));
        seSnoozeN[std::size_t(i)] = count;
        cbSnoozeUnit[std::size_t(i)] = unit;
        grid->addWidget(new QLabel(tr("Item%1: Snooze for ").arg(i + 1), snooze), i, 0);
        grid->addWidget(count, i, 1);
        grid->addWidget(unit, i, 2);
    }
    grid->setColumnStretch(3, 1);
    Content(snooze)->addLayout(grid);
    v->addWidget(snooze);
    chkEditableNotes = new QCheckBox(tr("Allow to change note text when it pops up"), page);
    v->addWidget(chkEditableNotes);
    v->addStretch(1);
    return page;
}

QWidget *TPreferencesForm::BuildEmail()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    QGroupBox *smtp = Group(tr(" SMTP settings"), 7, page);
    lblSmtpInfo = WrappedLabel(ToLineFeeds(tr("Fill the SMTP settings below to make %1 capable of sending e-mails "
                                  "automatically.\r\nFields marked with asterisk (*) are required.")
                                   .arg(S.ProgramName)),
                               smtp);
    Content(smtp)->addWidget(lblSmtpInfo);

    auto edit = [smtp] {
        auto *e = new QLineEdit(smtp);
        e->setMaxLength(TPreferences::kTextCapacity);
        LimitTypedBytes(e, TPreferences::kTextCapacity);
        return e;
    };
    edtHost = edit();
    edtPort = edit();
    edtFromaddress = edit();
    edtReplyaddress = edit();
    edtUserID = edit();
    edtPassword = edit();
    edtPassword->setEchoMode(QLineEdit::Password);
    lblUserID = new QLabel(tr("Username:"), smtp);
    lblPassword = new QLabel(tr("Password:"), smtp);
    chkAuthentication = new QCheckBox(tr("My server requires authentication"), smtp);
    connect(chkAuthentication, &QCheckBox::toggled, this, &TPreferencesForm::UpdateAuthenticationBoxes);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("* SMTP Host:"), smtp), 0, 0);
    grid->addWidget(edtHost, 0, 1);
    grid->addWidget(new QLabel(tr("* Port:"), smtp), 1, 0);
    grid->addWidget(edtPort, 1, 1);
    grid->addWidget(new QLabel(tr("* From address:"), smtp), 2, 0);
    grid->addWidget(edtFromaddress, 2, 1);
    grid->addWidget(new QLabel(tr("From name:"), smtp), 3, 0);
    grid->addWidget(edtReplyaddress, 3, 1);
    grid->addWidget(chkAuthentication, 4, 0, 1, 2);
    grid->addWidget(lblUserID, 5, 0);
    grid->addWidget(edtUserID, 5, 1);
    grid->addWidget(lblPassword, 6, 0);
    grid->addWidget(edtPassword, 6, 1);
    Content(smtp)->addLayout(grid);

    btnTestEmail = new QPushButton(tr("Send test e-mail..."), smtp);
    btnTestEmail->setAutoDefault(false);
    connect(btnTestEmail, &QPushButton::clicked, this, &TPreferencesForm::SendTestEmailClick);
    auto *row = new QHBoxLayout;
    row->addWidget(btnTestEmail);
    row->addStretch(1);
    lblSmtpHelp = Link(tr("How do I configure?"), &TPreferencesForm::SmtpHelpClick);
    row->addWidget(lblSmtpHelp);
    Content(smtp)->addLayout(row);
    v->addWidget(smtp);

    v->addWidget(new QLabel(tr("Signature"), page));
    memSignature = new QPlainTextEdit(page);
    memSignature->setTabChangesFocus(true);
    memSignature->setFixedHeight(memSignature->fontMetrics().lineSpacing() * 4 + 10);
    // So many characters, and no more bytes than the preferences hold.
    LimitPlainText(memSignature, [](const QString &text) {
        return text.size() <= kSignatureBoxCapacity && Utf8Size(text) <= TPreferences::kEmailSignatureCapacity;
    });
    v->addWidget(memSignature);
    v->addStretch(1);
    return page;
}

QWidget *TPreferencesForm::BuildReflexes()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    auto *intro = new QHBoxLayout;
    auto *image = new QLabel(page);
    if (S.PreferencesImages && 8 < S.PreferencesImages->Count())
        image->setPixmap(S.PreferencesImages->Pixmap(8, image->devicePixelRatioF()));
    image->setFixedSize(32, 32);
    intro->addWidget(image, 0, Qt::AlignTop);
    intro->addWidget(WrappedLabel(ToLineFeeds(tr("Define the reflexes of the automated actions.\r\nSet the wait time, in seconds, "
                                     "for each one of the automated actions\r\nbefore they actually start to "
                                     "perform the action.")),
                                  page),
                     1);
    v->addLayout(intro);

    const QString captions[3] = {tr(" E-mail "), tr(" Run program "), tr(" Shutdown ")};
    const QString trailing[3] = {tr("second(s) before sending the e-mail"), tr("second(s) before running a program"),
                                 tr("second(s) before shutting down the computer")};
    const int pictures[3] = {5, 7, 9};
    for (int i = 0; i < 3; ++i) {
        QGroupBox *group = Group(captions[i], pictures[i], page, true);
        auto *value = new QLabel(group);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("00")));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *slider = new QSlider(Qt::Horizontal, group);
        slider->setRange(1, 59);
        slider->setSingleStep(1);
        connect(slider, &QSlider::valueChanged, value, [value](int s) { value->setText(QString::number(s)); });
        tbWaitTimes[std::size_t(i)] = slider;
        lblWaitTimes[std::size_t(i)] = value;
        auto *line = new QHBoxLayout;
        line->addWidget(new QLabel(tr("Wait"), group));
        line->addWidget(value);
        line->addWidget(new QLabel(trailing[i], group), 1);
        auto *ends = new QHBoxLayout;
        ends->addWidget(new QLabel(tr("at once"), group));
        ends->addWidget(slider, 1);
        ends->addWidget(new QLabel(tr("full time"), group));
        Content(group)->addLayout(line);
        Content(group)->addLayout(ends);
        v->addWidget(group);
    }
    v->addStretch(1);
    return page;
}

QWidget *TPreferencesForm::BuildEditorial()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    v->addWidget(WrappedLabel(ToLineFeeds(tr("This program was created just to remind simple, but very important things our "
                                 "modern way of life forces people to forget:\r\n\r\n     to be thankful for our "
                                 "health ...\r\n     It's a God's gift! Live it!")),
                              page));
    auto *thanks = new QGroupBox(tr(" Special Thanks to "), page);
    auto *inner = new QVBoxLayout(thanks);
    inner->addWidget(WrappedLabel(tr("everyone who wrote in with an idea, a bug report or a kind word, and the "
                                     "people who tried the early versions and kept their reminders in them."),
                                  thanks));
    v->addWidget(thanks);
    v->addStretch(1);
    return page;
}

QWidget *TPreferencesForm::BuildAbout()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    auto *top = new QHBoxLayout;
    auto *image = new QLabel(page);
    if (S.PreferencesImages && 9 < S.PreferencesImages->Count())
        image->setPixmap(S.PreferencesImages->Pixmap(9, image->devicePixelRatioF()));
    image->setFixedSize(32, 32);
    top->addWidget(image, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    lblProgram = new QLabel(S.ProgramName + tr(", software reminder utility."), page);
    QFont bold = lblProgram->font();
    bold.setBold(true);
    lblProgram->setFont(bold);
    lblVersion = new QLabel(
        tr("ver. ") + S.Version + tr(", Build: ") + FormatDateTime(QStringLiteral("d mmm yyyy"), S.BuildDate), page);
    texts->addWidget(lblProgram);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(WrappedLabel(S.AboutCredit, page));
    texts->addWidget(new QLabel(tr("Written by the %1 team.").arg(S.ProgramName), page));
    top->addLayout(texts, 1);
    v->addLayout(top);
    v->addSpacing(12);
    lblCheckUpdates = Link(tr("Check for updates"), &TPreferencesForm::CheckForUpdatesClick);
    lblContact = Link(tr("Contact %1").arg(tr("us")), &TPreferencesForm::ContactClick);
    lblWebSite = Link(tr("Visit %1 web site").arg(tr("our")), &TPreferencesForm::WebSiteClick);
    for (QLabel *link : {lblCheckUpdates, lblContact, lblWebSite})
        v->addWidget(link);
    // Only links that lead somewhere: the build may have been given no addresses.
    lblCheckUpdates->setVisible(S.CanCheckForUpdates);
    lblContact->setVisible(!S.ContactAddress.isEmpty());
    lblWebSite->setVisible(!S.WebPage.isEmpty());
    v->addStretch(1);
    return page;
}

void TPreferencesForm::NameControls()
{
    const std::pair<QWidget *, const char *> named[] = {
        {PageControl, "PageControl"},
        {rbShowAll, "rbShowAll"},
        {rbReschedule, "rbReschedule"},
        {chkShowOnlyRunOnce, "chkShowOnlyRunOnce"},
        {cbStartOfWeek, "cbStartOfWeek"},
        {chkRecycleBin, "chkRecycleBin"},
        {chkNeverShowSplash, "chkNeverShowSplash"},
        {chkRunOnStartup, "chkRunOnStartup"},
        {chkTimeBase24, "chkTimeBase24"},
        {chkFullMoons, "chkFullMoons"},
        {chkEnableToolbar, "chkEnableToolbar"},
        {chkShowButtonTexts, "chkShowButtonTexts"},
        {chkSmallIcons, "chkSmallIcons"},
        {chkShowSuspended, "chkShowSuspended"},
        {tbTooltipTime, "tbTooltipTime"},
        {lblFontSample, "lblFontSample"},
        {lblChangeFont, "lblChangeFont"},
        {chkEditableNotes, "chkEditableNotes"},
        {lblSmtpInfo, "lblSmtpInfo"},
        {lblSmtpHelp, "lblSmtpHelp"},
        {edtHost, "edtHost"},
        {edtPort, "edtPort"},
        {edtUserID, "edtUserID"},
        {edtPassword, "edtPassword"},
        {edtFromaddress, "edtFromaddress"},
        {edtReplyaddress, "edtReplyaddress"},
        {lblUserID, "lblUserID"},
        {lblPassword, "lblPassword"},
        {chkAuthentication, "chkAuthentication"},
        {btnTestEmail, "btnTestEmail"},
        {memSignature, "memSignature"},
        {lblProgram, "lblProgram"},
        {lblVersion, "lblVersion"},
        {lblCheckUpdates, "lblCheckUpdates"},
        {lblContact, "lblContact"},
        {lblWebSite, "lblWebSite"},
        {lblHelp, "lblHelp"},
        {btnOK, "btnOK"},
        {btnCancel, "btnCancel"},
    };
    for (const auto &[widget, name] : named)
        widget->setObjectName(QLatin1String(name));
    // The rows of a kind by position.
    for (std::size_t i = 0; i < cbHotKeys.size(); ++i)
        cbHotKeys[i]->setObjectName(QStringLiteral("cbHotKeys%1").arg(i));
    for (std::size_t i = 0; i < seSnoozeN.size(); ++i) {
        seSnoozeN[i]->setObjectName(QStringLiteral("seSnoozeN%1").arg(i));
        cbSnoozeUnit[i]->setObjectName(QStringLiteral("cbSnoozeUnit%1").arg(i));
    }
    for (std::size_t i = 0; i < tbWaitTimes.size(); ++i) {
        tbWaitTimes[i]->setObjectName(QStringLiteral("tbWaitTimes%1").arg(i));
        lblWaitTimes[i]->setObjectName(QStringLiteral("lblWaitTimes%1").arg(i));
    }
}

// ---- loading ----

void TPreferencesForm::LoadControls()
{
    const TPreferences &p = Prefs();
    FStoreFolder = p.TaskStoreFolder();
    // Setting the radio button enables the run-once box as a click would.
    (p.MissedTasksTreatment() == mtDontShowbutReschedule ? rbReschedule : rbShowAll)->setChecked(true);
    chkShowOnlyRunOnce->setEnabled(rbReschedule->isChecked());
    chkShowOnlyRunOnce->setChecked(p.ShowOnlyRunOnceMissedTasks());
    // A value without an entry in its list leaves the list without a choice.
    cbHotKeys[0]->setCurrentIndex(p.HotKey1() >= 'A' && p.HotKey1() <= 'Z' ? p.HotKey1() - 'A' : -1);
    cbHotKeys[1]->setCurrentIndex(p.HotKey2() >= 'A' && p.HotKey2() <= 'Z' ? p.HotKey2() - 'A' : -1);
    cbStartOfWeek->setCurrentIndex(p.StartofWeek() >= 1 && p.StartofWeek() <= 7 ? p.StartofWeek() - 1 : -1);
    chkRecycleBin->setChecked(p.MoveDelTasksToRecycleBin());
    chkNeverShowSplash->setChecked(p.NeverShowSplash());
    chkTimeBase24->setChecked(p.TimeBase24hour());
    chkFullMoons->setChecked(p.ShowFullMoons());

    chkEnableToolbar->setChecked(p.EnableToolbar());
    chkShowButtonTexts->setChecked(p.ShowToolbuttonsText());
    chkSmallIcons->setChecked(p.UseSmallToolbarIcons());
    tbTooltipTime->setValue(p.TooltipDisplayTime());
    tbTooltipTime->setToolTip(QString::number(tbTooltipTime->value() / 1000.0, 'f', 1) + tr(" seconds"));
    chkShowSuspended->setChecked(p.ShowDisabledTasks());

    for (int i = 0; i < 4; ++i) {
        seSnoozeN[std::size_t(i)]->setValue(p.SnoozeN(i + 1));
        const int type = p.SnoozeType(i + 1);
        cbSnoozeUnit[std::size_t(i)]->setCurrentIndex(type >= stMinutes && type <= stMonths ? type : -1);
    }
    chkEditableNotes->setChecked(p.EditableNotes());

    edtHost->setText(p.Host());
    // The ini file keeps the port too; without it the stored preference stands.
    edtPort->setText(S.Ini ? S.Ini->ReadString(kSection, QStringLiteral("Port"), p.Port()) : p.Port());
    edtUserID->setText(p.UserID());
    edtPassword->setText(p.Password());
    edtFromaddress->setText(p.Fromaddress());
    edtReplyaddress->setText(p.FromName());
    chkAuthentication->setChecked(p.SMTPRequiresAuthentication());
    memSignature->setPlainText(p.EmailSignature());

    const int waits[3] = {p.EmailActionWaittime(), p.RunprogramWaittime(), p.ShutdownWaittime()};
    for (int i = 0; i < 3; ++i) {
        tbWaitTimes[std::size_t(i)]->setValue(waits[i]);
        lblWaitTimes[std::size_t(i)]->setText(QString::number(tbWaitTimes[std::size_t(i)]->value()));
    }
}

void TPreferencesForm::OpenRememberedPage()
{
    const int page = S.Ini ? S.Ini->ReadInteger(kSection, QStringLiteral("Tab"), 0) : 0;
    // A page that does not exist or is hidden in this edition: the first one.
    ShowPage(PageShown(page) ? page : pgGeneral);
}

void TPreferencesForm::FocusFirstControl()
{
    // The keyboard starts on the page, not on the page tabs.
    QWidget *page = PageControl->currentWidget();
    for (QWidget *w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
        if (!page->isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(page)) {
            w->setFocus();
            return;
        }
    }
}

bool TPreferencesForm::PageShown(int page) const
{
    return page >= 0 && page < PageCount && PageControl->isTabVisible(page);
}

void TPreferencesForm::ShowPage(int page)
{
    if (PageShown(page))
        PageControl->setCurrentIndex(page);
}

int TPreferencesForm::CurrentPage() const
{
    return PageControl->currentIndex();
}

// ---- what changes while the window is open ----

void TPreferencesForm::UpdateTimeBaseCaption()
{
    const QString pattern =
        QStringLiteral("hh:mm") + (chkTimeBase24->isChecked() ? QString() : QStringLiteral(" ampm"));
    chkTimeBase24->setText(tr("Use 24 hour time base (%1)").arg(FormatDateTime(pattern, Clock::Now())));
}

void TPreferencesForm::UpdateFontSample()
{
    // The font as in force: before any choice it is the desktop's own.
    const QFont font = TextFont(Prefs().TextLook());
    const int size = font.pointSize() > 0 ? font.pointSize() : Prefs().FontSize();
    lblFontSample->setText(QStringLiteral("%1. %2").arg(size).arg(font.family()));
    lblFontSample->setFont(font);
    QPalette palette = lblFontSample->palette();
    palette.setColor(QPalette::WindowText, ColorToQColor(Prefs().FontColor()));
    lblFontSample->setPalette(palette);
}

void TPreferencesForm::UpdateAuthenticationBoxes()
{
    const bool on = chkAuthentication->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(lblUserID), static_cast<QWidget *>(edtUserID),
                       static_cast<QWidget *>(lblPassword), static_cast<QWidget *>(edtPassword)})
        w->setEnabled(on);
}

void TPreferencesForm::ToolbarBoxClicked(QCheckBox *clicked)
{
    // Captions and small icons exclude each other.
    (clicked == chkShowButtonTexts ? chkSmallIcons : chkShowButtonTexts)->setChecked(false);
}

// ---- controls that act at once ----

void TPreferencesForm::FontClick()
{
    if (!S.Actions->Boxes)
        return;
    auto *dialog = new QFontDialog(TextFont(Prefs().TextLook()), this);
    dialog->setObjectName(QStringLiteral("FontDialog"));
    QPointer<TPreferencesForm> self(this);
    S.Actions->Boxes->OpenDialog(dialog, [self, dialog](int result) {
        if (self && result == QDialog::Accepted)
            self->FontChosen(dialog->selectedFont());
    });
}

void TPreferencesForm::FontChosen(const QFont &font)
{
    TFontStyles style = 0;
    if (font.bold())
        style |= FontStyleBit(fsBold);
    if (font.italic())
        style |= FontStyleBit(fsItalic);
    if (font.underline())
        style |= FontStyleBit(fsUnderline);
    if (font.strikeOut())
        style |= FontStyleBit(fsStrikeOut);
    TPreferences &p = Prefs();
    p.SetFontStyle(style);
    p.SetFontName(font.family());
    // A size in pixels is kept as the file keeps it: negative.
    p.SetFontSize(font.pointSize() > 0 ? font.pointSize() : -font.pixelSize());
    UpdateFontSample();
}

void TPreferencesForm::HotKeyChosen(int list)
{
    const int index = cbHotKeys[std::size_t(list)]->currentIndex();
    if (index < 0 || !S.Desktop)
        return;
    const QChar letter(char16_t(u'A' + index));
    FHotKeyRebound[std::size_t(list)] = true;
    // A refused key is only reported: the list keeps the letter, and OK stores it.
    if (!S.Desktop->RegisterHotKey(list == 0 ? kAddTaskHotKey : kTaskListHotKey, letter))
        emit hotKeyRefused(letter);
}

void TPreferencesForm::RunOnStartupClick()
{
    const bool on = chkRunOnStartup->isChecked();
    Prefs().SetRunOnStartup(on);
    if (S.Desktop && !S.Desktop->SetRunOnStartup(on) && S.Actions)
        ShowInfoDialog(*S.Actions, tr("Error 13"),
                       tr("Cannot Enable or Disable the \"Automatically run when I log in\" option.\r"
                          "Please make sure that %1 is allowed to read and write the desktop's autostart entry.")
                           .arg(S.ProgramName));
}

void TPreferencesForm::SendTestEmailClick()
{
    TTestEmailSettings settings;
    settings.From = edtFromaddress->text().trimmed();
    settings.Server = edtHost->text().trimmed() + QLatin1Char(':') + edtPort->text().trimmed();
    settings.Authentication = chkAuthentication->isChecked();
    settings.Password = edtPassword->text().trimmed();
    settings.UserID = edtUserID->text().trimmed();
    emit sendTestEmailRequested(settings);
}

void TPreferencesForm::TestEmailAnswered(const TTestEmailSettings &settings, const TTestEmailResult &result)
{
    if (!S.Actions)
        return;
    if (result.Sent) {
        ShowInfoDialog(*S.Actions, tr("Success!"),
                       tr("A test e-mail was successfully sent. You should expect it at ") + settings.From);
        return;
    }
    QString text = tr("A test e-mail could not be sent to %1\r").arg(settings.From);
    if (!result.Error.isEmpty()) {
        LogInfo(QStringLiteral("Test e-mail not sent: ") + result.Error);
        text += tr("Reason: %1\r\r").arg(result.Error);
    }
    ShowInfoDialog(*S.Actions, tr("Error 11"),
                   text
                       + tr("This may be caused by one of the following reasons:\r"
                            "   1.Mistyped or invalid SMTP settings\r   2.Message blocked by a Firewall (software or "
                            "hardware)\r   3.Your SMTP Server is not responding\r   4.You are not connected to the "
                            "Internet"));
}

void TPreferencesForm::HelpClick()
{
    static const char *const keys[] = {"HELP_PREF_GENERAL", "HELP_PREF_TASKLIST", "HELP_PREF_POPUPNOTE",
                                       "HELP_PREF_EMAIL", "HELP_PREF_REFLEXES"};
    // By the position among the shown pages: without the Editorial page the
    // About page is the sixth.
    int position = 0;
    for (int i = 0; i < CurrentPage(); ++i)
        position += PageShown(i) ? 1 : 0;
    QString key;
    if (position < 5)
        key = QString::fromLatin1(keys[position]);
    else if (position == 6 || (position == 5 && !PageShown(pgEditorial)))
        key = QStringLiteral("HELP_PREF_ABOUT");
    if (!key.isEmpty())
        emit helpRequested(key);
}

void TPreferencesForm::SmtpHelpClick()
{
    emit helpRequested(QStringLiteral("HELP_SMTP_TROUBLESHOOT"));
}

void TPreferencesForm::CheckForUpdatesClick()
{
    emit checkForUpdatesRequested();
}

void TPreferencesForm::ContactClick()
{
    emit composeEmailRequested(S.ContactAddress,
                               tr("From an ") + S.ProgramName + QLatin1Char(' ') + S.Version + tr(" user"),
                               tr("Your comments?"));
}

void TPreferencesForm::WebSiteClick()
{
    emit openAddressRequested(S.WebPage);
}

// ---- OK and Cancel ----

void TPreferencesForm::ApplyGeneral()
{
    TPreferences &p = Prefs();
    p.SetMissedTasksTreatment(rbReschedule->isChecked() ? mtDontShowbutReschedule : mtShowAll);
    p.SetShowOnlyRunOnceMissedTasks(chkShowOnlyRunOnce->isChecked());
    if (cbHotKeys[0]->currentIndex() >= 0)
        p.SetHotKey1('A' + cbHotKeys[0]->currentIndex());
    if (cbHotKeys[1]->currentIndex() >= 0)
        p.SetHotKey2('A' + cbHotKeys[1]->currentIndex());
    if (cbStartOfWeek->currentIndex() >= 0)
        p.SetStartofWeek(cbStartOfWeek->currentIndex() + 1);
    p.SetMoveDelTasksToRecycleBin(chkRecycleBin->isChecked());
    p.SetShowFullMoons(chkFullMoons->isChecked());
    int moon = -1;
    if (S.Actions->List && S.Actions->List->FindServiceTask(TAG_FULLMOON, moon)
        && (*S.Actions->List)[moon].Enabled != chkFullMoons->isChecked()) {
        (*S.Actions->List)[moon].Enabled = chkFullMoons->isChecked();
        S.Actions->List->MarkModified();
    }
    p.SetNeverShowSplash(chkNeverShowSplash->isChecked());
    p.SetTaskStoreFolder(FStoreFolder);
    p.SetTimeBase24hour(chkTimeBase24->isChecked());
}

void TPreferencesForm::EmailError(const QString &text)
{
    ShowPage(pgEmail);
    if (S.Actions->Boxes)
        S.Actions->Boxes->Notice(text, TMsgIcon::Error, S.ProgramName, this);
}

bool TPreferencesForm::ApplyEmail()
{
    const QString host = edtHost->text().trimmed();
    const QString port = edtPort->text().trimmed();
    const QString user = edtUserID->text().trimmed();
    const QString password = edtPassword->text().trimmed();
    const QString from = edtFromaddress->text().trimmed();
    if (host.isEmpty() || port.isEmpty() || from.isEmpty()) {
        EmailError(tr("Fields marked with asterisk (*) are required "));
        return false;
    }
    if (chkAuthentication->isChecked() && (user.isEmpty() || password.isEmpty())) {
        EmailError(tr("Username and Password are required when\r\"My server requires authentication\" is selected."));
        return false;
    }
    TPreferences &p = Prefs();
    bool ok = true;
    p.SetHost(host);
    bool numeric = false;
    port.toInt(&numeric);
    if (numeric) {
        p.SetPort(port);
        if (S.Ini)
            S.Ini->WriteString(kSection, QStringLiteral("Port"), p.Port());
    } else {
        EmailError(tr("Only numeric characters are allowed.\r* Port:") + port);
        ok = false;
    }
    p.SetUserID(user);
    p.SetFromaddress(from);
    QString name = edtReplyaddress->text().trimmed();
    name.remove(QLatin1Char('<')).remove(QLatin1Char('>')).remove(QLatin1Char('"'));
    p.SetFromName(name);
    p.SetPassword(password);
    p.SetSMTPRequiresAuthentication(chkAuthentication->isChecked());
    p.SetEmailSignature(memSignature->toPlainText().trimmed());
    return ok;
}

void TPreferencesForm::ApplyReflexes()
{
    TPreferences &p = Prefs();
    p.SetEmailActionWaittime(uint8_t(tbWaitTimes[0]->value()));
    p.SetRunprogramWaittime(uint8_t(tbWaitTimes[1]->value()));
    p.SetShutdownWaittime(uint8_t(tbWaitTimes[2]->value()));
}

void TPreferencesForm::ApplyPopupnote()
{
    TPreferences &p = Prefs();
    for (int i = 0; i < 4; ++i) {
        p.SetSnoozeN(i + 1, seSnoozeN[std::size_t(i)]->value());
        const int unit = cbSnoozeUnit[std::size_t(i)]->currentIndex();
        if (unit >= 0)
            p.SetSnoozeType(i + 1, TSnoozeType(unit));
    }
    p.SetEditableNotes(chkEditableNotes->isChecked());
}

void TPreferencesForm::ApplyRemindersWindow()
{
    TPreferences &p = Prefs();
    p.SetEnableToolbar(chkEnableToolbar->isChecked());
    p.SetShowToolbuttonsText(chkShowButtonTexts->isChecked());
    p.SetUseSmallToolbarIcons(chkSmallIcons->isChecked());
    p.SetShowDisabledTasks(chkShowSuspended->isChecked());
    if (S.Actions->List)
        S.Actions->List->ApplyShowDisabled(chkShowSuspended->isChecked());
    p.SetTooltipDisplayTime(tbTooltipTime->value());
}

void TPreferencesForm::OkClick()
{
    // Group by group; a failed e-mail page stops the chain, but what was
    // copied before it stays and is saved.
    ApplyGeneral();
    const bool ok = ApplyEmail();
    if (ok) {
        ApplyReflexes();
        ApplyPopupnote();
        ApplyRemindersWindow();
    }
    Prefs().SavePreferences();
    emit preferencesSaved();
    if (ok)
        accept();
}

void TPreferencesForm::CancelClick()
{
    reject();
}

void TPreferencesForm::done(int result)
{
    if (!FClosed) {
        FClosed = true;
        // The keys were bound at once; without OK the stored letters hold, so
        // they are bound again in place of the ones tried.
        const TPreferences &p = Prefs();
        if (result != Accepted && S.Desktop) {
            if (FHotKeyRebound[0])
                S.Desktop->RegisterHotKey(kAddTaskHotKey, QChar(char16_t(p.HotKey1())));
            if (FHotKeyRebound[1])
                S.Desktop->RegisterHotKey(kTaskListHotKey, QChar(char16_t(p.HotKey2())));
        }
        if (S.Ini)
            S.Ini->WriteInteger(kSection, QStringLiteral("Tab"), CurrentPage());
        FPlacement->Save(*this);
        if (S.Actions)
            S.Actions->Windows.Preferences = false;
    }
    QDialog::done(result);
}
