#include "ui/PalvaroSplashFrm.h"

#include "platform/FormShaper.h"
#include "platform/ResourceLibrary.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TPalvaroSplashForm::TPalvaroSplashForm(const TResourceLibrary *library, const QString &version, QWidget *parent)
    : TvornSplashForm(parent)
    , lblTitle(new QLabel(this))
    , Shaper(new TFormShaper(this))
{
    setObjectName(QStringLiteral("PalvaroSplashForm"));
    setWindowTitle(QStringLiteral("Brivane splash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    resize(250, 175);
    if (library)
        Shaper->SetPicture(library->Picture(QStringLiteral("SPL0"), devicePixelRatioF()));

    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    lblTitle->setFont(font);
    lblTitle->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    lblTitle->setAttribute(Qt::WA_TranslucentBackground);
    lblTitle->setText(QStringLiteral("ver ") + version);
    lblTitle->move(168, 17);
    lblTitle->adjustSize();

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}
