#include "ui/vornSplashFrm.h"

#include <QCloseEvent>

TvornBaseForm::TvornBaseForm(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void TvornBaseForm::closeEvent(QCloseEvent *event)
{
    if (FMayClose)
        event->accept();
    else
        event->ignore();
}

TvornSplashForm::TvornSplashForm(QWidget *parent)
    : TvornBaseForm(parent)
    , VisibilityTimer(new QTimer(this))
{
    VisibilityTimer->setObjectName(QStringLiteral("VisibilityTimer"));
    VisibilityTimer->setSingleShot(false);
    VisibilityTimer->setInterval(FVisibilityTime);
    connect(VisibilityTimer, &QTimer::timeout, this, &TvornSplashForm::VisibilityTimerTimer);
}

void TvornSplashForm::SetVisibilityTime(int msecs)
{
    FVisibilityTime = msecs;
    VisibilityTimer->setInterval(msecs);
}

void TvornSplashForm::showEvent(QShowEvent *event)
{
    TvornBaseForm::showEvent(event);
    VisibilityTimer->start();
}

void TvornSplashForm::VisibilityTimerTimer()
{
    VisibilityTimer->stop();
    SetMayClose(true);
    close();
}
