#include "scheduler/PopupNoteFrm.h"

#include "core/Clock.h"
#include "core/TextLimit.h"
#include "core/vornLogFile.h"
#include "model/Recurrence.h"
#include "platform/FormShaper.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceLibrary.h"
#include "scheduler/NoteActions.h"
#include "scheduler/SetSnoozeFrm.h"
#include "scheduler/SharedPaletteWidgets.h"
#include "storage/GlobalPreferences.h"
#include "platform/TextLookGui.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>

#include <algorithm>

namespace {

const QColor kRuleColor(187, 188, 192);
const QColor kNavy(0, 0, 128);
const QColor kButtonPanelColor(239, 234, 216);
const QColor kMemoColor(Qt::white);
const QColor kPlainPaper(255, 255, 253);
const QColor kPlainBorder(150, 150, 150);

// Layout of the plain note; the pre-warning note moves everything from the
// title down by kPreWarningShift.
constexpr int kLeft = 16;
constexpr int kContentWidth = 334;
constexpr int kRightEdge = kLeft + kContentWidth;
constexpr int kTitleTop = 34;
constexpr int kPreWarningTop = 38;
constexpr int kMemoTop = 54;
constexpr int kMemoHeight = 146;
constexpr int kLinkPanelTop = 207;
constexpr int kButtonPanelTop = 213;
constexpr int kButtonPanelWidth = 78;
constexpr int kButtonPanelHeight = 20;
constexpr int kOKPanelLeft = 190;
constexpr int kSnoozePanelLeft = kOKPanelLeft + kButtonPanelWidth + 4;

static_assert(kOKPanelLeft + 1 + (kButtonPanelWidth - 2) / 2 == TPopupNoteForm::kDismissCentreX);
static_assert(TPopupNoteForm::kNoteHeight - (kButtonPanelTop + kButtonPanelHeight / 2)
              == TPopupNoteForm::kDismissCentreFromBottom);

QFrame *ButtonPanel(QWidget *parent, const char *name, QPushButton *&button, const QString &caption)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, kButtonPanelColor);
    panel->setPalette(pal);
    button = new TSharedPaletteButton(caption, panel);
    button->setGeometry(1, 1, kButtonPanelWidth - 2, kButtonPanelHeight - 2);
    return panel;
}

// A rich-text link keeps its link colour when its label is disabled, so a
// disabled link is drawn in the palette's disabled text colour instead.
void SetLinkEnabled(QLabel *label, const QString &caption, bool enabled)
{
    QString anchor = QStringLiteral("<a href=\"#\">");
    if (!enabled)
        anchor = QStringLiteral("<a href=\"#\" style=\"color:%1\">")
                     .arg(label->palette().color(QPalette::Disabled, QPalette::WindowText).name());
    label->setText(anchor + caption.toHtmlEscaped() + QStringLiteral("</a>"));
    label->setEnabled(enabled);
    label->setCursor(enabled ? Qt::PointingHandCursor : Qt::ArrowCursor);
    label->adjustSize();
}

QLabel *Link(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    SetLinkEnabled(label, caption, true);
    return label;
}

} // namespace

// --- TNoteMemo ---

TNoteMemo::TNoteMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBar(new TSharedPaletteScrollBar(Qt::Vertical));
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TNoteMemo::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    // A ruled line under every text line, dotted where the notes can be edited.
    QPainter p(viewport());
    p.setPen(QPen(kRuleColor, 1, isReadOnly() ? Qt::SolidLine : Qt::DotLine));
    const int step = std::max(1, fontMetrics().lineSpacing());
    const QTextBlock first = firstVisibleBlock();
    qreal y = first.isValid() ? blockBoundingGeometry(first).translated(contentOffset()).top()
                              : contentOffset().y() + document()->documentMargin();
    const int w = viewport()->width();
    for (y += step; y < viewport()->height(); y += step) {
        if (y > 0)
            p.drawLine(QPointF(0, y - 0.5), QPointF(w, y - 0.5));
    }
}

// --- TPopupNoteForm ---

TPopupNoteForm::TPopupNoteForm(TActionContext &context, QWidget *owner)
    : TActionForm(context, owner)
    , lblAppName(new QLabel(this))
    , lblPrewarning(new QLabel(QStringLiteral("Pre-warning....."), this))
    , lblNotes(new TNoteMemo(this))
    , pnlLinks(new QFrame(this))
    , lblResetSchedule(nullptr)
    , lblDelete(nullptr)
    , pnlOK(nullptr)
    , btnOK(nullptr)
    , pnlSnooze(nullptr)
    , btnSnooze(nullptr)
    , FormShaper1(new TFormShaper(this))
    , popSnooze(new QMenu(this))
{
    setObjectName(QStringLiteral("PopupNoteForm"));
    lblAppName->setObjectName(QStringLiteral("lblAppName"));
    lblPrewarning->setObjectName(QStringLiteral("lblPrewarning"));
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    pnlLinks->setObjectName(QStringLiteral("pnlLinks"));
    popSnooze->setObjectName(QStringLiteral("popSnooze"));

    lblAppName->setText(Context.ProductName);
    lblAppName->adjustSize();
    lblPrewarning->hide();
    labSchedule->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    lblResetSchedule = Link(pnlLinks, "lblResetSchedule", QStringLiteral("Change schedule"));
    lblDelete = Link(pnlLinks, "lblDelete", QStringLiteral("Delete"));
    lblResetSchedule->move(2, 3);
    lblDelete->move(112, 3);
    pnlOK = ButtonPanel(this, "pnlOK", btnOK, QStringLiteral("Dismiss"));
    pnlSnooze = ButtonPanel(this, "pnlSnooze", btnSnooze, QStringLiteral("Snooze"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAccessibleName(QStringLiteral("Dismiss"));
    btnSnooze->setObjectName(QStringLiteral("btnSnooze"));

    // The captions of the four presets are written from the preferences each
    // time the menu opens.
    popSnooze1 = popSnooze->addAction(QStringLiteral("popSnooze1"));
    popSnooze2 = popSnooze->addAction(QStringLiteral("popSnooze2"));
    popSnooze3 = popSnooze->addAction(QStringLiteral("popSnooze3"));
    popSnooze4 = popSnooze->addAction(QStringLiteral("popSnooze4"));
    popChoosePrewarningSnooze = popSnooze->addAction(QStringLiteral("snooze..."));
    popSnooze->addSeparator();
    popSnoozeuntilEventDateTime = popSnooze->addAction(QStringLiteral("snooze until"));
    popChooseSnooze = popSnooze->addAction(QStringLiteral("snooze..."));
    popSnooze1->setObjectName(QStringLiteral("popSnooze1"));
    popSnooze2->setObjectName(QStringLiteral("popSnooze2"));
    popSnooze3->setObjectName(QStringLiteral("popSnooze3"));
    popSnooze4->setObjectName(QStringLiteral("popSnooze4"));
    popChoosePrewarningSnooze->setObjectName(QStringLiteral("popChoosePrewarningSnooze"));
    popSnoozeuntilEventDateTime->setObjectName(QStringLiteral("popSnoozeuntilEventDateTime"));
    popChooseSnooze->setObjectName(QStringLiteral("popChooseSnooze"));

    ApplyLook();
    LayOut(false);
    setFixedSize(kNoteWidth, kNoteHeight);

    connect(btnOK, &QPushButton::clicked, this, &TPopupNoteForm::btnOKClick);
    connect(btnSnooze, &QPushButton::clicked, this, &TPopupNoteForm::btnSnoozeClick);
    connect(popSnooze1, &QAction::triggered, this, &TPopupNoteForm::popSnooze1Click);
    connect(popSnooze2, &QAction::triggered, this, &TPopupNoteForm::popSnooze2Click);
    connect(popSnooze3, &QAction::triggered, this, &TPopupNoteForm::popSnooze3Click);
    connect(popSnooze4, &QAction::triggered, this, &TPopupNoteForm::popSnooze4Click);
    connect(popChoosePrewarningSnooze, &QAction::triggered, this, &TPopupNoteForm::popChoosePrewarningSnoozeClick);
    connect(popSnoozeuntilEventDateTime, &QAction::triggered, this, &TPopupNoteForm::popSnoozeuntilEventDateTimeClick);
    connect(popChooseSnooze, &QAction::triggered, this, &TPopupNoteForm::popChooseSnoozeClick);
    connect(lblResetSchedule, &QLabel::linkActivated, this, &TPopupNoteForm::lblResetScheduleClick);
    connect(lblDelete, &QLabel::linkActivated, this, &TPopupNoteForm::lblDeleteClick);
    connect(lblNotes, &QPlainTextEdit::textChanged, this, &TPopupNoteForm::lblNotesChange);

    // The keyboard meets the ways out first, Dismiss leading; the notes come last.
    btnOK->setDefault(true);
    btnOK->setFocusPolicy(Qt::StrongFocus);
    btnSnooze->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(btnOK, btnSnooze);
    setTabOrder(btnSnooze, lblResetSchedule);
    setTabOrder(lblResetSchedule, lblDelete);
    setTabOrder(lblDelete, lblNotes);
}

TPopupNoteForm::~TPopupNoteForm() = default;

void TPopupNoteForm::ApplyLook()
{
    const bool editable = Context.Preferences && Context.Preferences->EditableNotes();
    lblNotes->setReadOnly(!editable);
    QFont memoFont = Context.Preferences ? TextFont(Context.Preferences->TextLook()) : font();
    lblNotes->setFont(memoFont);
    // Navy whatever colour the preferences give the shared font.
    QPalette pal = lblNotes->palette();
    pal.setColor(QPalette::Base, kMemoColor);
    pal.setColor(QPalette::Text, kNavy);
    lblNotes->setPalette(pal);

    QFont titleFont = Context.Preferences ? TextFont(Context.Preferences->TextLook()) : font();
    titleFont.setPointSize(8);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    QPalette grey = lblPrewarning->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    lblPrewarning->setPalette(grey);

    pnlLinks->setAutoFillBackground(true);
    QPalette linkPal = pnlLinks->palette();
    linkPal.setColor(QPalette::Window, kMemoColor);
    pnlLinks->setPalette(linkPal);
}

void TPopupNoteForm::LayOut(bool pre)
{
    const int s = pre ? kPreWarningShift : 0;
    lblAppName->move(kLeft, 8);
    lblPrewarning->setGeometry(kLeft, kPreWarningTop, kContentWidth, 18);
    lblTitle->setGeometry(kLeft, kTitleTop + s, kContentWidth, 18);
    lblNotes->setGeometry(kLeft, kMemoTop + s, kContentWidth, kMemoHeight);
    pnlLinks->setGeometry(kLeft - 2, kLinkPanelTop + s, 172, 22);
    pnlOK->setGeometry(kOKPanelLeft, kButtonPanelTop + s, kButtonPanelWidth, kButtonPanelHeight);
    pnlSnooze->setGeometry(kSnoozePanelLeft, kButtonPanelTop + s, kButtonPanelWidth, kButtonPanelHeight);
    PlaceSchedule();
}

void TPopupNoteForm::PlaceSchedule()
{
    labSchedule->adjustSize();
    const int minLeft = kLeft + lblAppName->width() + 8;
    const int w = std::min(labSchedule->width(), kRightEdge - minLeft);
    labSchedule->setGeometry(kRightEdge - w, 8, w, labSchedule->height());
}

void TPopupNoteForm::UpdateResetScheduleLink()
{
    // The editor's change-schedule mode is offered only once the editor provides it.
    const bool available = Context.Windows.CanChangeSchedule();
    SetLinkEnabled(lblResetSchedule, QStringLiteral("Change schedule"), available);
    lblResetSchedule->setToolTip(
        available ? QString() : QStringLiteral("Changing the schedule from the note is not available yet."));
}

void TPopupNoteForm::StartAction(int i)
{
    Bind(i);
    if (!FTaskData)
        return;
    TTaskData &task = *FTaskData;
    FPreWarning = IsPreWarningFiring(task);
    const QString pictureName = FPreWarning ? QStringLiteral("PRE_WARNING_NOTE") : QStringLiteral("NOTE");
    const QImage picture = Context.Library ? Context.Library->Picture(pictureName, devicePixelRatioF()) : QImage();
    if (FPreWarning)
        popSnoozeuntilEventDateTime->setText(SnoozeUntilEventCaption(Context.Prefs(), task));
    LayOut(FPreWarning);

    lblPrewarning->setVisible(FPreWarning);
    lblPrewarning->setText(PreWarningCaption(Context.Prefs(), task));
    popSnoozeuntilEventDateTime->setVisible(FPreWarning);
    popChoosePrewarningSnooze->setVisible(FPreWarning);
    popSnooze1->setVisible(!FPreWarning);
    popSnooze2->setVisible(!FPreWarning);
    popSnooze3->setVisible(!FPreWarning);
    popSnooze4->setVisible(!FPreWarning);
    popChooseSnooze->setVisible(!FPreWarning);

    if (!picture.isNull()) {
        LogInfo(QStringLiteral("PopupNoteForm.Create: Bitmap NOTE loaded. <---- first bitmap load"));
        FormShaper1->SetPicture(picture);
    } else {
        // Without the picture library the note keeps a plain outline.
        LogWarning(QStringLiteral("PopupNoteForm.Create: picture ") + pictureName + QStringLiteral(" not found."));
        setFixedSize(kNoteWidth, kNoteHeight + (FPreWarning ? kPreWarningShift : 0));
    }

    PlaceInCascade();

    task.PopupNoteFormVisible = true;
    task.LastRun = Clock::Now();
    task.HasRun = task.HasRun + 1;

    lblNotes->setPlainText(NotesForMemo(task));
    NotesLoaded = true;

    TActionForm::StartAction(i);
    if (FPreWarning)
        labSchedule->setText(PreWarningScheduleText(Context.Prefs(), task));
    LayOut(FPreWarning);
    UpdateResetScheduleLink();
    btnOK->setFocus();
    IncActionCount();
}

void TPopupNoteForm::PlaceInCascade()
{
    // Placed once the note has its final size: a pre-warning note is taller.
    // The firing reminder is already counted among the served notes.
    const int served = Context.List ? Context.List->CountServedPopupNotes() : 0;
    QRect area(0, 0, 1024, 768);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    move(NextPopupNotePosition(Context.Cascade, served, area, size()));
}

void TPopupNoteForm::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    if (!FormShaper1->Picture().isNull())
        return; // the shaper painted the picture
    QPainter p(this);
    p.fillRect(rect(), kPlainPaper);
    p.setPen(kPlainBorder);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TPopupNoteForm::CloseNote()
{
    MayClose = true;
    close();
}

bool TPopupNoteForm::SnoozeAndClose(TDateTime t, bool testWeekday)
{
    if (!FTaskData)
        return false;
    if (!SnoozeNoteTo(*FTaskData, t, testWeekday)) {
        if (Context.Boxes)
            Context.Boxes->Notice(ExcludedSnoozeMessage(t), TMsgIcon::Information);
        return false;
    }
    Context.MarkListModified();
    CloseNote();
    return true;
}

void TPopupNoteForm::btnOKClick()
{
    if (!FTaskData)
        return;
    DismissNote(*FTaskData);
    Context.MarkListModified();
    CloseNote();
}

void TPopupNoteForm::btnSnoozeClick()
{
    popSnooze1->setText(SnoozePresetCaption(Context.Prefs(), 1));
    popSnooze2->setText(SnoozePresetCaption(Context.Prefs(), 2));
    popSnooze3->setText(SnoozePresetCaption(Context.Prefs(), 3));
    popSnooze4->setText(SnoozePresetCaption(Context.Prefs(), 4));
    popSnooze->popup(pos() + QPoint(290, 200));
}

void TPopupNoteForm::keyPressEvent(QKeyEvent *event)
{
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    switch (plain ? event->key() : 0) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Reaching here, the key was not taken by an editable memo or a link.
        (focusWidget() == btnSnooze ? btnSnooze : btnOK)->click();
        return;
    case Qt::Key_Escape: SnoozeFromKeyboard(); return;
    default: TActionForm::keyPressEvent(event);
    }
}

void TPopupNoteForm::SnoozeFromKeyboard()
{
    if (!FTaskData)
        return;
    // A pre-warning has no presets: it is put off to the event itself.
    if (FPreWarning)
        popSnoozeuntilEventDateTimeClick();
    else
        PresetSnooze(1);
}

void TPopupNoteForm::PresetSnooze(int preset)
{
    if (!FTaskData)
        return;
    SnoozeAndClose(PresetSnoozeTime(Context.Prefs(), *FTaskData, preset), true);
}

void TPopupNoteForm::popSnoozeuntilEventDateTimeClick()
{
    if (!FTaskData)
        return;
    SnoozeAndClose(FTaskData->EventDateTime, false);
}

void TPopupNoteForm::popChooseSnoozeClick()
{
    if (!FTaskData)
        return;
    QPointer<TPopupNoteForm> self(this);
    AskSnoozeTime(Context, this, y() + 230, x() + width() / 2, RecordIndex(), [self](TDateTime t) {
        if (!self)
            return;
        LogInfo(QStringLiteral("popChooseSnooze Clicked. Snooze DateTime: ") + DateTimeToStr(t));
        self->SnoozeAndClose(t, true);
    });
}

void TPopupNoteForm::popChoosePrewarningSnoozeClick()
{
    if (!FTaskData)
        return;
    QPointer<TPopupNoteForm> self(this);
    AskPrewarningSnoozeTime(Context, this, y() + 260, x() + width() / 2, RecordIndex(), [self](TDateTime t) {
        if (!self)
            return;
        LogInfo(QStringLiteral("popChoosePrewarningSnooze Clicked. Snooze DateTime:") + DateTimeToStr(t));
        self->SnoozeAndClose(t, false);
    });
}

void TPopupNoteForm::lblResetScheduleClick()
{
    if (!FTaskData || !Context.Windows.CanChangeSchedule())
        return;
    const std::shared_ptr<TTaskData> task = FTaskData;
    const TDateTime scheduled = task->Scheduled;
    const int32_t actionCount = task->ActionCount;
    QPointer<TPopupNoteForm> self(this);
    // The note stays live while the editor is open; it closes when the user confirms.
    emit Context.Windows.ChangeScheduleRequested(task, [self, task, scheduled, actionCount](bool changed) {
        if (!changed || !self)
            return;
        task->ActionCount = actionCount;
        LogInfo(task->Title.Get() + QStringLiteral("'s schedule changed."));
        LogInfo(QStringLiteral(" --- ActionCount. #:") + QString::number(task->ActionCount));
        if (SameDateTime(task->Scheduled, scheduled))
            TRecurrence::RescheduleAfterRun(*task);
        self->Context.MarkListModified();
        self->CloseNote();
    });
}

void TPopupNoteForm::lblDeleteClick()
{
    if (!FTaskData)
        return;
    if (!MayDeleteFromNote(*FTaskData)) {
        if (Context.Boxes)
            Context.Boxes->Notice(CannotDeleteFromNoteMessage(), TMsgIcon::Information);
        return;
    }
    const std::shared_ptr<TTaskData> task = FTaskData;
    CloseNote();
    if (Context.List) {
        Context.List->DeleteTask(task.get(), Context.Prefs().MoveDelTasksToRecycleBin());
        Context.List->MarkModified();
    }
    if (Context.Windows.TaskList)
        emit Context.Windows.RefreshListRequested();
}

void TPopupNoteForm::lblNotesChange()
{
    const QString text = lblNotes->toPlainText();
    if (!MemoTextFits(text)) {
        // What is typed or pasted beyond the record's room is cut where it ends.
        int pos = lblNotes->textCursor().position();
        const QString fitted = TrimToFit(text, pos, MemoTextFits);
        const QSignalBlocker block(lblNotes);
        lblNotes->setPlainText(fitted);
        QTextCursor c = lblNotes->textCursor();
        c.setPosition(pos);
        lblNotes->setTextCursor(c);
    }
    if (NotesLoaded)
        NotesChanged = true;
}

void TPopupNoteForm::FormClose()
{
    if (FTaskData) {
        FTaskData->PopupNoteFormVisible = false;
        FTaskData->NewScheduleCalculated = true;
        if (NotesChanged)
            WriteBackNotes(*FTaskData, lblNotes->toPlainText());
    }
    BaseCloseSteps();
    DecActionCount();
    if (FTaskData)
        FTaskData->InService = HasOpenActions();
}
