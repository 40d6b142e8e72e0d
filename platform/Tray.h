#pragma once
// The notification-area icon and the system-wide hot keys: the program's
// fronts when no window of it is open. Either may be missing on a desktop
// (stock GNOME has no notification area; a Wayland session has no global key
// grabs), so every call reports whether it took effect.

#include <QIcon>
#include <QString>
#include <functional>

class QMenu;

class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    // Whether the desktop shows notification-area icons at all.
    virtual bool Available() const = 0;
    // Shows the icon with its tooltip and menu; false when there is no notification area.
    virtual bool Show(const QIcon &icon, const QString &toolTip, QMenu *menu) = 0;
    virtual void Hide() = 0;
    // Called on a double click on the icon. The menu's own aboutToShow signal
    // is where its captions are written anew.
    std::function<void()> OnDoubleClick;
};

// Ctrl+Shift+letter, for the whole desktop.
class IHotKeys {
public:
    enum class TResult { Registered, Taken, Unsupported };
    virtual ~IHotKeys() = default;
    // Grabs Ctrl+Shift+letter under id; Taken when another program holds it.
    virtual TResult Register(int id, QChar letter) = 0;
    virtual void Unregister(int id) = 0;
    // Called with the id of a registered key when it is pressed.
    std::function<void(int id)> OnPressed;
};
