#pragma once
// The hidden main window: never shown; it receives the second copy's signal
// and the end of the session, and owns what lives as long as the program runs.

#include <QWidget>

class TSingleInstance;
class TSessionEndWatcher;

class Thddnorm : public QWidget {
    Q_OBJECT
public:
    explicit Thddnorm(TSingleInstance *instance, QWidget *parent = nullptr);
    ~Thddnorm() override;

    // A second copy asked the running one to show itself.
    void ShowRequested(int status);
    // The session is ending: save and end in order.
    void QueryEndSession();

private:
    TSessionEndWatcher *FSessionEnd;
};

extern Thddnorm *hddnorm;
