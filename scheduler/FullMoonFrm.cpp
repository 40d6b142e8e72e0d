#include "scheduler/FullMoonFrm.h"

#include "core/Clock.h"
#include "core/vornLogFile.h"
#include "model/Recurrence.h"
#include "platform/FormShaper.h"
#include "platform/ResourceLibrary.h"
#include "scheduler/SharedPaletteWidgets.h"
#include "storage/GlobalPreferences.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

const QColor kButtonPanelColor(239, 234, 216);
const QColor kNavy(0, 0, 128);
const QColor kAppNameColor(200, 210, 235);
const QColor kPlainSky(20, 32, 72);

// Zones of the picture: night sky above y = 200 with the moon in its upper
// part, the footer in the button-panel colour below; the picture's own body
// is 318 pixels wide (its shadow takes the rest).
constexpr int kBodyWidth = 318;
constexpr int kTitleTop = 148;
constexpr int kLocalTimeTop = 206;
constexpr int kButtonPanelTop = 232;
constexpr int kButtonPanelWidth = 78;
constexpr int kButtonPanelHeight = 22;

} // namespace

TFullMoonForm::TFullMoonForm(TActionContext &context, QWidget *owner)
    : TActionForm(context, owner)
    , lblAppName(new QLabel(this))
    , lblLocaltimeinfo(new QLabel(this))
    , pnlBtnPanel(new QFrame(this))
    , btnOK(new TSharedPaletteButton(QStringLiteral("Dismiss"), pnlBtnPanel))
    , FormShaper1(new TFormShaper(this))
{
    setObjectName(QStringLiteral("FullMoonForm"));
    lblAppName->setObjectName(QStringLiteral("lblAppName"));
    lblLocaltimeinfo->setObjectName(QStringLiteral("lblLocaltimeinfo"));
    pnlBtnPanel->setObjectName(QStringLiteral("pnlBtnPanel"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAccessibleName(QStringLiteral("Dismiss"));

    lblAppName->setText(Context.ProductName);
    QPalette appPal = lblAppName->palette();
    appPal.setColor(QPalette::WindowText, kAppNameColor);
    lblAppName->setPalette(appPal);
    lblAppName->move(10, 8);
    lblAppName->adjustSize();

    labSchedule->hide();

    QFont titleFont = font();
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    QPalette white = lblTitle->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    lblTitle->setPalette(white);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setGeometry(4, kTitleTop, kBodyWidth - 8, 20);

    QFont timeFont(QStringLiteral("Tahoma"));
    timeFont.setPointSize(8);
    timeFont.setBold(true);
    lblLocaltimeinfo->setFont(timeFont);
    QPalette navy = lblLocaltimeinfo->palette();
    navy.setColor(QPalette::WindowText, kNavy);
    lblLocaltimeinfo->setPalette(navy);
    lblLocaltimeinfo->setAlignment(Qt::AlignCenter);
    lblLocaltimeinfo->setGeometry(4, kLocalTimeTop, kBodyWidth - 8, 20);

    pnlBtnPanel->setAutoFillBackground(true);
    QPalette panelPal = pnlBtnPanel->palette();
    panelPal.setColor(QPalette::Window, kButtonPanelColor);
    pnlBtnPanel->setPalette(panelPal);
    pnlBtnPanel->setGeometry((kBodyWidth - kButtonPanelWidth) / 2, kButtonPanelTop, kButtonPanelWidth,
                             kButtonPanelHeight);
    btnOK->setGeometry(1, 1, kButtonPanelWidth - 2, kButtonPanelHeight - 2);

    const QImage picture =
        Context.Library ? Context.Library->Picture(QStringLiteral("FULLMOON"), devicePixelRatioF()) : QImage();
    if (!picture.isNull()) {
        FormShaper1->SetPicture(picture);
    } else {
        // Without the picture library the notice keeps a plain night-blue card.
        LogWarning(QStringLiteral("FullMoonForm.Create: picture FULLMOON not found."));
        setFixedSize(kWidth, kHeight);
    }

    connect(btnOK, &QPushButton::clicked, this, &TFullMoonForm::btnOKClick);
}

TFullMoonForm::~TFullMoonForm() = default;

void TFullMoonForm::StartAction(int i)
{
    Bind(i);
    if (!FTaskData)
        return;
    TTaskData &task = *FTaskData;
    const QString suffix = Context.Prefs().TimeFormatSuffix();
    labSchedule->setText(FormatDateTime(QStringLiteral("  ddd, d mmm yyyy, hh:mm") + suffix, task.Scheduled));
    lblTitle->setText(task.Title.Get());
    lblLocaltimeinfo->setText(task.Notes1.Get());
    setWindowTitle(task.Title.Get());
    task.LastRun = Clock::Now();
    CentreOnScreen();
    show();
    IncActionCount();
}

void TFullMoonForm::CentreOnScreen()
{
    QRect area(0, 0, 1024, 768);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TFullMoonForm::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    if (!FormShaper1->Picture().isNull())
        return; // the shaper painted the picture
    QPainter p(this);
    p.fillRect(rect(), kPlainSky);
    p.fillRect(QRect(0, kLocalTimeTop - 6, width(), height() - kLocalTimeTop + 6), kButtonPanelColor);
}

void TFullMoonForm::btnOKClick()
{
    if (!FTaskData)
        return;
    TRecurrence::RescheduleAfterRun(*FTaskData);
    LogInfo(QStringLiteral("New Full moon task Schedule: ") + DateTimeToStr(FTaskData->Scheduled));
    MayClose = true;
    close();
}

void TFullMoonForm::FormClose()
{
    BaseCloseSteps();
    DecActionCount();
    if (FTaskData)
        FTaskData->InService = HasOpenActions();
}
