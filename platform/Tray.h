#pragma once
// The notification-area icon and the system-wide hot keys: the program's
// fronts when no window of it is open. Either may be missing on a desktop
// (stock GNOME has no notification area; a Wayland session has no global key
// grabs), so every call reports whether it took effect.

#include <QIcon>
#include <QString>
#include <QObject>

class QMenu;

class ITrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual ~ITrayIcon() = default;
    // Whether the desktop shows notification-area icons at all.
    virtual bool Available() const = 0;
    // Shows the icon with its tooltip and menu; false when there is no notification area.
    virtual bool Show(const QIcon &icon, const QString &toolTip, QMenu *menu) = 0;
    // A new tooltip for the shown icon.
    virtual void SetToolTip(const QString &toolTip) = 0;
    virtual void Hide() = 0;

signals:
    // The icon was clicked or double-clicked: trays that speak
    // StatusNotifierItem (KDE Plasma, GNOME's AppIndicator, Xfce) only ever
    // report a single click, while an XEmbed tray reports a click and then
    // the double click, so a receiver must bear two in a row. A desktop that
    // asks for the menu (rather than reading it over D-Bus) gets it shown
    // without this signal. Trays that read the menu over D-Bus export it
    // before it ever opens: its captions must be right from the start.
    void Activated();
};

// Ctrl+Shift+letter, for the whole desktop.
class IHotKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    enum class TResult { Registered, Taken, Unsupported };
    virtual ~IHotKeys() = default;
    // Grabs Ctrl+Shift+letter under id; Taken when another program holds it.
    virtual TResult Register(int id, QChar letter) = 0;
    virtual void Unregister(int id) = 0;

signals:
    // A registered key was pressed.
    void Pressed(int id);
};
