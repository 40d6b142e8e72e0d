#include "platform/SystemHelpers.h"

#include "core/vornLogFile.h"
#include "platform/Autostart.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceLibrary.h"
#include "platform/Shell.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

QString FormatOSVersionText(const QString &kernelType, const QString &kernelRelease, const QString &systemName)
{
    // A release such as "6.1.0-13-amd64": major, minor and the third number as build.
    static const QRegularExpression re(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = re.match(kernelRelease);
    if (kernelType.isEmpty() || !m.hasMatch())
        return QString();
    const QString platform = kernelType.left(1).toUpper() + kernelType.mid(1);
    const auto number = [&m](int i) { return m.captured(i).isEmpty() ? QStringLiteral("0") : m.captured(i); };
    return platform + QStringLiteral(" Version ") + number(1) + QLatin1Char('.') + number(2)
           + QStringLiteral(" (Build ") + number(3) + QStringLiteral(": ") + systemName + QLatin1Char(')');
}

QString OSVersionText()
{
    return FormatOSVersionText(QSysInfo::kernelType(), QSysInfo::kernelVersion(), QSysInfo::prettyProductName());
}

bool SetRunOnStartup(const QString &name, const QString &programPath, bool enable)
{
    QString error;
    if (enable) {
        if (Autostart::Enable(name, programPath, &error))
            return true;
        LogError(QStringLiteral("RunOnStartup: Enable Run on startup") + error);
    } else {
        if (Autostart::Disable(name, &error))
            return true;
        LogError(QStringLiteral("RunOnStartup: Disable Run on startup") + error);
    }
    return false;
}

bool RunOnStartupExists(const QString &name)
{
    const bool exists = Autostart::Exists(name);
    LogInfo(QStringLiteral("RunOnStartupRegKeyExists (") + name + QStringLiteral("): ")
            + (exists ? QStringLiteral("True") : QStringLiteral("False")));
    return exists;
}

void LoadNumberedImages(const TPictureSource &module, TImageList &list, int count, const QString &prefix)
{
    for (int i = 0; i < count; ++i)
        LoadImage(module, list, i, prefix + QString::number(i));
}

void LoadNumberedImages(const TResourceLibrary &module, TImageList &list, int count, const QString &prefix)
{
    LoadNumberedImages([&module](const QString &name) { return module.Picture(name); }, list, count, prefix);
}

void LoadImage(const TPictureSource &module, TImageList &list, int index, const QString &name)
{
    list.Replace(index, module(name));
    list.ReplaceHiDpi(index, module(TResourceLibrary::HiDpiName(name)));
}

void LoadImage(const TResourceLibrary &module, TImageList &list, int index, const QString &name)
{
    LoadImage([&module](const QString &n) { return module.Picture(n); }, list, index, name);
}

void OpenWithShell(Shell::IShell &shell, const QString &path)
{
    shell.Open(path, QString(), QString());
}

void SendContactEmail(Shell::IShell &shell, IMessageBoxes *boxes, const QString &address, const QString &subject,
                      const QString &body)
{
    // Subject and body are percent-encoded: an "&", "#" or "%" in them would
    // otherwise end or garble the text the mail program receives.
    const QString mailto = QStringLiteral("mailto:") + address + QStringLiteral("?subject=")
                           + QString::fromLatin1(QUrl::toPercentEncoding(subject)) + QStringLiteral("&body=")
                           + QString::fromLatin1(QUrl::toPercentEncoding(body));
    const int result = shell.Open(mailto, QString(), QString());
    if (result < 32) {
        if (boxes)
            boxes->Notice(QStringLiteral("Error 14: No mail client installed."), TMsgIcon::Warning);
        LogWarning(QStringLiteral("SendContactEMail: No mail client installed? ErrorCode: ") + QString::number(result));
    }
}
