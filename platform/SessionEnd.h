#pragma once
// The end of the desktop session reaches the program as a Qt signal: the
// session manager's commit-data request, and SIGTERM / SIGHUP caught through
// a self-pipe (nothing but write() runs inside the signal handler).

#include <QObject>

class QSocketNotifier;

class TSessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit TSessionEndWatcher(QObject *parent = nullptr);
    ~TSessionEndWatcher() override;

signals:
    // The session (or the system) asks the program to end.
    void QueryEndSession();

private:
    void OnSignalPipe();
    QSocketNotifier *FNotifier = nullptr;
};
