#pragma once
// Hearing that the wall clock was set (by the user, or by time
// synchronisation stepping it) without looking at it now and then: the kernel
// says so. A source emits one signal per change; the Linux source holds a
// timerfd on the real-time clock, armed far in the future and cancelled by
// the kernel whenever that clock is set.

#include <QObject>

#include <ctime>

class QSocketNotifier;

class IClockChangeSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // The wall clock was set: it no longer runs on from where it was.
    void ClockSet();
};

class TLinuxClockChangeSource : public IClockChangeSource {
    Q_OBJECT
public:
    explicit TLinuxClockChangeSource(QObject *parent = nullptr);
    ~TLinuxClockChangeSource() override;
    TLinuxClockChangeSource(const TLinuxClockChangeSource &) = delete;
    TLinuxClockChangeSource &operator=(const TLinuxClockChangeSource &) = delete;

    // Whether the kernel is watched for changes now (false when the timer
    // could not be made or armed: the warning is in the log).
    bool Watching() const;

protected:
    // Waits for farPoint (seconds since 1970) instead: a point already passed
    // expires at once, as a clock set past the far point would.
    TLinuxClockChangeSource(time_t farPoint, QObject *parent);

    // What one read of the timer gave: n bytes, or -1 with err. A cancelled
    // timer (ECANCELED) is a set clock: reported, and the timer armed again.
    // An expiry (the clock set past the far point) is reported too, and the
    // watch ends, since a point in the past would fire on every arming.
    void TakeReadResult(long n, int err);

private:
    void OnReadable();
    bool Arm();
    void StopWatching();

    time_t FFarPoint;
    int FFd = -1;
    QSocketNotifier *FNotifier = nullptr;
};
