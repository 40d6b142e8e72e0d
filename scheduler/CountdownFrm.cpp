#include "scheduler/CountdownFrm.h"

#include "core/vornLogFile.h"
#include "platform/FormShaper.h"
#include "platform/ResourceLibrary.h"
#include "scheduler/SharedPaletteWidgets.h"

#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

const QColor kButtonPanelColor(239, 234, 216);
// The window without its picture (no picture library): the picture's size.
constexpr int kPlainWidth = 395;
constexpr int kPlainHeight = 124;

} // namespace

TCountdownActionForm::TCountdownActionForm(TActionContext &context, const QString &caption, const QString &logo,
                                           QWidget *owner)
    : TActionForm(context, owner)
    , lblActionDesc(new QLabel(caption, this))
    , imgActionTypeLogo(new QLabel(this))
    , lblSecsRemaining(new QLabel(this))
    , pnlBtnPanel2(new QFrame(this))
    , btnCancel(new TSharedPaletteButton(QStringLiteral("Cancel"), pnlBtnPanel2))
    , CancelTimer(new QTimer(this))
    , FormShaper1(new TFormShaper(this))
{
    lblActionDesc->setObjectName(QStringLiteral("lblActionDesc"));
    imgActionTypeLogo->setObjectName(QStringLiteral("imgActionTypeLogo"));
    lblSecsRemaining->setObjectName(QStringLiteral("lblSecsRemaining"));
    pnlBtnPanel2->setObjectName(QStringLiteral("pnlBtnPanel2"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    CancelTimer->setObjectName(QStringLiteral("CancelTimer"));

    QFont descFont = font();
    descFont.setPointSize(9);
    lblActionDesc->setFont(descFont);
    auto *shadow = new QGraphicsDropShadowEffect(lblActionDesc);
    shadow->setOffset(1, 1);
    shadow->setBlurRadius(0);
    shadow->setColor(QColor(255, 255, 255, 200));
    lblActionDesc->setGraphicsEffect(shadow);
    lblActionDesc->move(6, 6);
    lblActionDesc->adjustSize();

    labSchedule->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont titleFont = font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    imgActionTypeLogo->resize(32, 32);
    pnlBtnPanel2->setGeometry(275, 88, 73, 25);
    btnCancel->setGeometry(0, 0, 73, 25);

    CancelTimer->setInterval(1000);
    connect(CancelTimer, &QTimer::timeout, this, [this] { CancelTimerTimer(); });
    connect(btnCancel, &QPushButton::clicked, this, &TCountdownActionForm::btnCancelActionClick);

    const QImage picture =
        Context.Library ? Context.Library->Picture(QStringLiteral("ACTN"), devicePixelRatioF()) : QImage();
    if (!picture.isNull())
        FormShaper1->SetPicture(picture);
    else
        setFixedSize(kPlainWidth, kPlainHeight);
    const QImage logoPicture = Context.Library ? Context.Library->Picture(logo, devicePixelRatioF()) : QImage();
    if (!logoPicture.isNull())
        imgActionTypeLogo->setPixmap(QPixmap::fromImage(WithLimeTransparent(logoPicture)));
}

void TCountdownActionForm::StartAction(int i)
{
    pnlBtnPanel2->setAutoFillBackground(true);
    QPalette pal = pnlBtnPanel2->palette();
    pal.setColor(QPalette::Window, kButtonPanelColor);
    pnlBtnPanel2->setPalette(pal);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    TActionForm::StartAction(i);
    if (!FTaskData)
        return;
    // The base start sized the labels to their text; the frame places them.
    labSchedule->setGeometry(88, 10, 265, labSchedule->height());
    IncActionCount();
}

void TCountdownActionForm::showEvent(QShowEvent *event)
{
    TActionForm::showEvent(event);
    if (FShown || !FTaskData)
        return;
    FShown = true;
    CancelTimer->start();
    Countdown = StartValue();
    lblSecsRemaining->setText(CountdownText());
    lblSecsRemaining->adjustSize();
}

QString TCountdownActionForm::CountdownText() const
{
    return QStringLiteral("in %1 second(s)").arg(Countdown);
}

void TCountdownActionForm::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    if (!FormShaper1->Picture().isNull())
        return; // the shaper painted the picture
    QPainter p(this);
    p.fillRect(rect(), QColor(245, 247, 252));
    p.setPen(QColor(150, 150, 150));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TCountdownActionForm::ShowThenPause(const QString &text, std::function<void()> next)
{
    FPausing = true;
    btnCancel->setEnabled(false);
    lblSecsRemaining->setText(text);
    lblSecsRemaining->adjustSize();
    lblSecsRemaining->repaint();
    // The original froze the whole program for this pause; a timer keeps the
    // notes painting and the scheduler firing while the text is read.
    QTimer::singleShot(Context.PauseMs, this, [this, next = std::move(next)] {
        FPausing = false;
        next();
    });
}

void TCountdownActionForm::CancelAction()
{
    if (FPausing)
        return;
    CancelTimer->stop();
    ShowThenPause(QStringLiteral("Action canceled"), [this] { RescheduleAndClose(); });
}

void TCountdownActionForm::RescheduleAndClose()
{
    CancelTimer->stop();
    if (FTaskData && !FTaskData->PopupNoteFormVisible && !FTaskData->NewScheduleCalculated)
        TRecurrence::RescheduleAfterRun(*FTaskData);
    MayClose = true;
    close();
}

void TCountdownActionForm::FormClose()
{
    BaseCloseSteps();
    DecActionCount();
    if (FTaskData)
        FTaskData->InService = HasOpenActions();
}
