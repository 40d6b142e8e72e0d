#pragma once
// Counts a signal's emissions while alive, and waits for them by running the
// event loop (the platform's sources report through it).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>

namespace TestSupport {

class SignalCounter {
public:
    template <class Sender, class Signal>
    SignalCounter(Sender &sender, Signal signal)
    {
        QObject::connect(&sender, signal, &FReceiver, [this] { ++count; });
    }

    // Processes events until wanted emissions arrived or ms are over; true
    // when exactly wanted arrived.
    bool WaitFor(int wanted, int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (count < wanted && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return count == wanted;
    }

    int count = 0;

private:
    QObject FReceiver; // the connection goes with the counter
};

} // namespace TestSupport
