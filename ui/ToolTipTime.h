#pragma once
// How long the program's tooltips stay up: the time the preferences hold,
// followed as it changes. Qt has no program-wide setting for it, so an event
// filter on the application shows each widget's own tooltip with that time;
// widgets that set a time of their own keep it.

#include <QObject>

class QCoreApplication;
struct TActionContext;

class TToolTipTime : public QObject {
    Q_OBJECT
public:
    // Watches application until it is freed; the time comes from the
    // preferences actions hands out (their defaults while there are none).
    TToolTipTime(QCoreApplication &application, const TActionContext &actions);

    // Milliseconds; 0 or less gives back Qt's own timing.
    int DisplayTime() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TActionContext &FActions;
};
