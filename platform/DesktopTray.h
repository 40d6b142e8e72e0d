#pragma once
// The Linux implementations of the tray icon (the desktop's notification area
// through QSystemTrayIcon) and of the hot keys (key grabs on the X root window).

#include "platform/Tray.h"

#include <QAbstractNativeEventFilter>
#include <QMap>
#include <QObject>
#include <QVector>
#include <memory>

class QSystemTrayIcon;

class TDesktopTrayIcon : public ITrayIcon {
public:
    TDesktopTrayIcon();
    ~TDesktopTrayIcon() override;
    bool Available() const override;
    bool Show(const QIcon &icon, const QString &toolTip, QMenu *menu) override;
    void SetToolTip(const QString &toolTip) override;
    void Hide() override;

private:
    std::unique_ptr<QSystemTrayIcon> FIcon;
};

// Ctrl+Shift+letter grabbed on the root window of an X11 display. The grab is
// checked: another client holding the key answers BadAccess. Each key is
// grabbed with and without NumLock and CapsLock, so the locks do not matter.
class TX11HotKeys : public IHotKeys, public QAbstractNativeEventFilter {
public:
    TX11HotKeys();
    ~TX11HotKeys() override;
    TResult Register(int id, QChar letter) override;
    void Unregister(int id) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Grab {
        int Id;
        uint8_t KeyCode;
    };
    bool Connected() const;
    uint8_t KeyCodeOf(QChar letter) const;
    void Ungrab(uint8_t keyCode);

    void *FConnection = nullptr; // xcb_connection_t
    uint32_t FRoot = 0;
    QVector<Grab> FGrabs; // an id may hold several letters until the program ends
    // Presses are handed on from the event loop, never from inside the X
    // event filter: what they open must not run within the toolkit's own
    // event dispatch. Pending ones go with this object.
    QObject FDispatch;
};
