#pragma once
// What kind of desktop session the program runs in, read from the
// environment before the application object exists.

#include <QString>

namespace SessionType {

// XDG_SESSION_TYPE is "wayland".
bool IsWayland();
// The shaped notes and their placement need X11 windows: on a Wayland
// session Qt is pointed at XWayland unless the user chose a platform with
// QT_QPA_PLATFORM. Call before the application object is made; returns the
// line to log (what was chosen and why), empty on an X11 session.
QString KeepX11Windows();

} // namespace SessionType
