#pragma once
// The end of the desktop session, or of the program, asked for from outside,
// reaches the program as one Qt signal from a session-end source. The Linux
// source watches the session manager's commit-data request and the signals
// that ask a program to end in order (SIGTERM, SIGHUP, SIGINT, SIGQUIT), caught
// through a self-pipe: nothing but write() runs inside the signal handler.

#include <QObject>

#include <csignal>
#include <iterator>

class QSocketNotifier;

class ISessionEndSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // The session (or the system, or the user at a terminal) asks the program to end.
    void QueryEndSession();
};

class TLinuxSessionEndSource : public ISessionEndSource {
    Q_OBJECT
public:
    // The signals taken over, each ending the program in order.
    static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};

    // Takes the signals over from whatever handled them until now.
    explicit TLinuxSessionEndSource(QObject *parent = nullptr);
    // Gives each signal back the handling it had before.
    ~TLinuxSessionEndSource() override;
    TLinuxSessionEndSource(const TLinuxSessionEndSource &) = delete;
    TLinuxSessionEndSource &operator=(const TLinuxSessionEndSource &) = delete;

private:
    void OnSignalPipe();

    int FPipe[2] = {-1, -1}; // [0] written by the handler, [1] read here
    int FPreviousWriteEnd = -1; // an outer source's pipe, given back at the end
    struct sigaction FPrevious[std::size(kSignals)] = {};
    bool FInstalled = false;
    QSocketNotifier *FNotifier = nullptr;
};
