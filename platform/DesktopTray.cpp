#include "platform/DesktopTray.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

// ---------------------------------------------------------------------------
// Tray icon

TDesktopTrayIcon::TDesktopTrayIcon() = default;
TDesktopTrayIcon::~TDesktopTrayIcon() = default;

bool TDesktopTrayIcon::Available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TDesktopTrayIcon::Show(const QIcon &icon, const QString &toolTip, QMenu *menu)
{
    if (!Available())
        return false;
    if (!FIcon) {
        FIcon = std::make_unique<QSystemTrayIcon>();
        QObject::connect(FIcon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason why) {
            switch (why) {
            case QSystemTrayIcon::Trigger:
            case QSystemTrayIcon::DoubleClick:
                emit Activated();
                break;
            case QSystemTrayIcon::Context:
                // An XEmbed tray has opened the menu already on the press; a
                // StatusNotifierItem host that asks for it expects it shown.
                if (QMenu *shown = FIcon->contextMenu(); shown && !shown->isVisible())
                    shown->popup(QCursor::pos());
                break;
            default: break;
            }
        });
    }
    FIcon->setIcon(icon);
    FIcon->setToolTip(toolTip);
    if (menu)
        FIcon->setContextMenu(menu);
    FIcon->show();
    return true;
}

void TDesktopTrayIcon::SetToolTip(const QString &toolTip)
{
    if (FIcon && FIcon->toolTip() != toolTip)
        FIcon->setToolTip(toolTip);
}

void TDesktopTrayIcon::Hide()
{
    if (FIcon) {
        FIcon->hide();
        FIcon->setContextMenu(nullptr); // the menu belongs to the window that goes first
    }
}

// ---------------------------------------------------------------------------
// Hot keys

namespace {
constexpr uint16_t kCtrlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
// NumLock is Mod2 on every common keyboard map; CapsLock is Lock.
constexpr uint16_t kLockVariants[] = {0, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};
constexpr uint8_t kBadAccess = 10;

xcb_connection_t *Conn(void *c)
{
    return static_cast<xcb_connection_t *>(c);
}
} // namespace

TX11HotKeys::TX11HotKeys()
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        // The offscreen platform offers the interface without a connection.
        if (xcb_connection_t *c = x11->connection()) {
            FConnection = c;
            const xcb_setup_t *setup = xcb_get_setup(c);
            xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
            FRoot = it.data ? it.data->root : 0;
            QCoreApplication::instance()->installNativeEventFilter(this);
        }
    }
}

TX11HotKeys::~TX11HotKeys()
{
    if (!Connected())
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const Grab &g : FGrabs)
        Ungrab(g.KeyCode);
}

bool TX11HotKeys::Connected() const
{
    return FConnection && FRoot;
}

uint8_t TX11HotKeys::KeyCodeOf(QChar letter) const
{
    xcb_connection_t *c = Conn(FConnection);
    const xcb_setup_t *setup = xcb_get_setup(c);
    const uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map =
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, first, uint8_t(count)), nullptr);
    if (!map)
        return 0;
    // The keysyms of the Latin letters are their lower- and upper-case codes.
    const uint32_t lower = letter.toLower().unicode(), upper = letter.toUpper().unicode();
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
    const int perCode = map->keysyms_per_keycode;
    uint8_t found = 0;
    for (int k = 0; k < count && !found; ++k)
        for (int j = 0; j < perCode; ++j) {
            const xcb_keysym_t s = syms[k * perCode + j];
            if (s == lower || s == upper) {
                found = uint8_t(first + k);
                break;
            }
        }
    free(map);
    return found;
}

void TX11HotKeys::Ungrab(uint8_t keyCode)
{
    for (uint16_t lock : kLockVariants)
        xcb_ungrab_key(Conn(FConnection), keyCode, FRoot, kCtrlShift | lock);
    xcb_flush(Conn(FConnection));
}

IHotKeys::TResult TX11HotKeys::Register(int id, QChar letter)
{
    if (!Connected())
        return TResult::Unsupported;
    const QChar up = letter.toUpper();
    if (up < QLatin1Char('A') || up > QLatin1Char('Z'))
        return TResult::Taken;
    const uint8_t code = KeyCodeOf(up);
    if (!code)
        return TResult::Taken;
    for (const Grab &g : FGrabs)
        if (g.KeyCode == code)
            return g.Id == id ? TResult::Registered : TResult::Taken;
    xcb_connection_t *c = Conn(FConnection);
    int grabbed = 0;
    for (uint16_t lock : kLockVariants) {
        xcb_generic_error_t *error = xcb_request_check(
            c, xcb_grab_key_checked(c, 1, FRoot, kCtrlShift | lock, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error) {
            const bool taken = error->error_code == kBadAccess;
            free(error);
            // Undo the variants already grabbed: half a hot key is none.
            for (int i = 0; i < grabbed; ++i)
                xcb_ungrab_key(c, code, FRoot, kCtrlShift | kLockVariants[i]);
            xcb_flush(c);
            return taken ? TResult::Taken : TResult::Unsupported;
        }
        ++grabbed;
    }
    FGrabs.append({id, code});
    return TResult::Registered;
}

void TX11HotKeys::Unregister(int id)
{
    for (int i = FGrabs.size() - 1; i >= 0; --i)
        if (FGrabs[i].Id == id) {
            if (Connected())
                Ungrab(FGrabs[i].KeyCode);
            FGrabs.remove(i);
        }
}

bool TX11HotKeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
    const uint16_t mods = press->state & ~(XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK);
    if (mods != kCtrlShift)
        return false;
    for (const Grab &g : FGrabs)
        if (g.KeyCode == press->detail) {
            QMetaObject::invokeMethod(
                &FDispatch,
                [this, id = g.Id] { emit Pressed(id); },
                Qt::QueuedConnection);
            return true;
        }
    return false;
}
