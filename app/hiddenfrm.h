#pragma once
// The hidden main window: never shown; it receives the second copy's signal
// and the end of the session, and owns what lives as long as the program runs,
// the scheduler among it: made and started with the window (its start treats
// the missed reminders at once), stopped and freed with it.

#include <QWidget>

class TPalvaroApplication;
class TSingleInstance;
class ISessionEndSource;
class TTaskScheduler;
struct TActionContext;

class Thddnorm : public QWidget {
    Q_OBJECT
public:
    // actions: what the scheduler works with; app: ended in order when the
    // session ends (none in tests that only watch the scheduler); sessionEnd:
    // where the end of the session comes from (none: it never comes).
    Thddnorm(TActionContext &actions, TPalvaroApplication *app, TSingleInstance *instance,
             ISessionEndSource *sessionEnd, QWidget *parent = nullptr);
    ~Thddnorm() override;

    // A second copy asked the running one to show itself.
    void ShowRequested(int status);
    // The session is ending: save and end in order, without waiting for an
    // answer to any box.
    void QueryEndSession();

    // The program's scheduler ("Run now!" asks it to fire a reminder).
    TTaskScheduler *TaskScheduler() const { return FTaskScheduler; }

private:
    TActionContext &FActions;
    TPalvaroApplication *FApp;
    TTaskScheduler *FTaskScheduler = nullptr;
};
