#include "ui/ToolTipTime.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

namespace {

class TToolTipTimer : public QObject {
public:
    using QObject::QObject;
    int Milliseconds = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || Milliseconds <= 0 || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        // Item views and widgets with a time of their own answer tooltips themselves.
        if (widget->toolTip().isEmpty() || widget->toolTipDuration() >= 0)
            return false;
        auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), Milliseconds);
        return true;
    }
};

QPointer<TToolTipTimer> g_timer;

} // namespace

void SetToolTipDisplayTime(int milliseconds)
{
    if (!g_timer) {
        if (!qApp)
            return;
        g_timer = new TToolTipTimer(qApp);
        qApp->installEventFilter(g_timer);
    }
    g_timer->Milliseconds = milliseconds;
}

int ToolTipDisplayTime()
{
    return g_timer ? g_timer->Milliseconds : 0;
}
