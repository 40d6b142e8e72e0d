#include "extras/FormPlacement.h"

#include "core/vornIniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

bool TFormPlacement::Restore(QWidget &window) const
{
    if (!FIni || !FIni->ValueExists(FSection, QStringLiteral("Width")))
        return false;
    const QRect r(FIni->ReadInteger(FSection, QStringLiteral("Left"), 0),
                  FIni->ReadInteger(FSection, QStringLiteral("Top"), 0),
                  FIni->ReadInteger(FSection, QStringLiteral("Width"), 0),
                  FIni->ReadInteger(FSection, QStringLiteral("Height"), 0));
    if (r.width() < window.minimumWidth() || r.height() < window.minimumHeight() || r.width() > 20000
        || r.height() > 20000)
        return false;
    // At least a corner of the title bar must be on some screen, or the user
    // could not reach the window.
    bool visible = false;
    for (const QScreen *screen : QGuiApplication::screens())
        visible = visible || screen->availableGeometry().intersects(QRect(r.topLeft(), QSize(r.width(), 30)));
    if (!visible)
        return false;
    // The stored place is the client area (see Save): setGeometry() places
    // the client there, where move() would put the window manager's frame
    // there and push the client down by a title bar at every opening.
    window.setGeometry(r);
    if (FIni->ReadBool(FSection, QStringLiteral("Maximized"), false))
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return true;
}

void TFormPlacement::Save(const QWidget &window) const
{
    if (!FIni)
        return;
    // The client area, without the frame: it is what Restore() places.
    const QRect r = window.isMaximized() ? window.normalGeometry() : window.geometry();
    FIni->WriteInteger(FSection, QStringLiteral("Left"), r.left());
    FIni->WriteInteger(FSection, QStringLiteral("Top"), r.top());
    FIni->WriteInteger(FSection, QStringLiteral("Width"), r.width());
    FIni->WriteInteger(FSection, QStringLiteral("Height"), r.height());
    FIni->WriteBool(FSection, QStringLiteral("Maximized"), window.isMaximized());
}
