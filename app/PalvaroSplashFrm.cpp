#include "app/PalvaroSplashFrm.h"

#include "app/FormShaper.h"
#include "app/PalvaroApplication.h"
#include "app/ResourceLibrary.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TPalvaroSplashForm::TPalvaroSplashForm(QWidget *parent)
    : TvornSplashForm(parent)
    , lblTitle(new QLabel(this))
    , Shaper(new TFormShaper(this))
{
    setObjectName(QStringLiteral("PalvaroSplashForm"));
    setWindowTitle(QStringLiteral("Brivane splash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    resize(250, 175);
    if (ResourceLibrary)
        Shaper->SetPicture(ResourceLibrary->Picture(QStringLiteral("SPL0")));

    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    lblTitle->setFont(font);
    lblTitle->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    lblTitle->setAttribute(Qt::WA_TranslucentBackground);
    lblTitle->setText(QStringLiteral("ver ") + (App() ? App()->Version : QStringLiteral("3.92")));
    lblTitle->move(168, 17);
    lblTitle->adjustSize();

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}
