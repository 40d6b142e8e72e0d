#include "platform/SessionType.h"

#include <QtGlobal>

namespace SessionType {

bool IsWayland()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

QString KeepX11Windows()
{
    if (!IsWayland())
        return QString();
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return QStringLiteral("Wayland session: windows on the platform the user set, QT_QPA_PLATFORM=")
               + qEnvironmentVariable("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", "xcb");
    return QStringLiteral("Wayland session: windows through XWayland (QT_QPA_PLATFORM=xcb)");
}

} // namespace SessionType
