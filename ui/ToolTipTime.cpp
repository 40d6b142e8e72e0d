#include "ui/ToolTipTime.h"

#include "scheduler/ActionContext.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

TToolTipTime::TToolTipTime(QCoreApplication &application, const TActionContext &actions)
    : FActions(actions)
{
    setObjectName(QStringLiteral("ToolTipTime"));
    application.installEventFilter(this);
}

int TToolTipTime::DisplayTime() const
{
    return FActions.Prefs().TooltipDisplayTime();
}

bool TToolTipTime::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return false;
    const int milliseconds = DisplayTime();
    if (milliseconds <= 0)
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    // Item views and widgets with a time of their own answer tooltips themselves.
    if (widget->toolTip().isEmpty() || widget->toolTipDuration() >= 0)
        return false;
    auto *help = static_cast<QHelpEvent *>(event);
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), milliseconds);
    return true;
}
