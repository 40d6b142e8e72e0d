#pragma once
// The windows the program keeps at most one of (the Reminders window, the
// new-reminder wizard, Preferences): asking for one again finds the open one
// and brings it forward instead of making a second.

#include <QList>
#include <QPointer>
#include <QWidget>

class TWindowRegistry {
public:
    // Remembers the window until it is destroyed.
    void Add(QWidget *window)
    {
        Prune();
        if (window && !FWindows.contains(window))
            FWindows.append(window);
    }
    // The open window of type T that accept takes, the newest first; null when none.
    template <class T, class Accept>
    T *Find(Accept accept) const
    {
        for (auto it = FWindows.crbegin(); it != FWindows.crend(); ++it) {
            if (auto *window = qobject_cast<T *>(it->data()); window && accept(*window))
                return window;
        }
        return nullptr;
    }
    template <class T>
    T *Find() const
    {
        return Find<T>([](const T &) { return true; });
    }

private:
    void Prune() { FWindows.removeIf([](const QPointer<QWidget> &w) { return w.isNull(); }); }
    QList<QPointer<QWidget>> FWindows;
};
