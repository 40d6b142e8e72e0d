#include "platform/Autostart.h"

#include "core/vornFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Autostart {

namespace {
QString AutostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

// Entry values must not break the line structure of the file.
QString EscapeValue(const QString &s)
{
    QString out;
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    return out;
}
} // namespace

QString EntryPath(const QString &name)
{
    return AutostartFolder() + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

QString ExecValue(const QString &programPath)
{
    // Inside a quoted argument ", `, $ and \ are escaped with a backslash; a
    // percent sign would be a field code and is doubled.
    QString arg;
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            arg += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            arg += QLatin1Char('%');
        arg += c;
    }
    return EscapeValue(QLatin1Char('"') + arg + QLatin1Char('"'));
}

bool Enable(const QString &name, const QString &programPath, QString *error)
{
    if (!QDir().mkpath(AutostartFolder())) {
        if (error)
            *error = QStringLiteral("Cannot create folder ") + AutostartFolder();
        return false;
    }
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(EscapeValue(name), ExecValue(programPath));
    return WriteFileAtomically(EntryPath(name), text.toUtf8(), error);
}

bool Disable(const QString &name, QString *error)
{
    QFile f(EntryPath(name));
    if (!f.exists())
        return true;
    if (!f.remove()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool Exists(const QString &name)
{
    QFile f(EntryPath(name));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("Hidden=") && line.mid(7).trimmed() == "true")
            return false;
    }
    return true;
}

} // namespace Autostart
