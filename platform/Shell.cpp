#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace Shell {

namespace {

// What the user typed as the program, made into a path: surrounding quotes
// go (a path with blanks is often pasted quoted; whatever follows the closing
// quote comes before the parameters), a leading "~/" is the home folder, and a
// name without a folder separator is looked up on PATH as execvp does, never in
// the current folder. *bareName says whether it was such a name; the result
// is then empty when no executable of that name is on PATH.
QString ResolveTarget(const QString &typed, QStringList &leadingArguments, bool *bareName)
{
    QString target = typed.trimmed();
    if (target.startsWith(QLatin1Char('"'))) {
        const qsizetype close = target.indexOf(QLatin1Char('"'), 1);
        if (close > 0) {
            leadingArguments = SplitParameters(target.mid(close + 1));
            target = target.mid(1, close - 1);
        }
    }
    if (target == QLatin1String("~") || target.startsWith(QLatin1String("~/")))
        target = QDir::homePath() + target.mid(1);
    *bareName = !target.isEmpty() && !target.contains(QLatin1Char('/'));
    if (*bareName)
        return QStandardPaths::findExecutable(target);
    return target;
}

class DesktopShell : public IShell {
public:
    int Open(const QString &typed, const QString &parameters, const QString &folder) override
    {
        if (typed.trimmed().isEmpty())
            return kFileNotFound;
        QString target = typed.trimmed();
        const QUrl asUrl(target);
        const bool isAddress = asUrl.isValid() && asUrl.scheme().size() > 1 && !target.startsWith(QLatin1Char('/'));
        QStringList arguments;
        if (!isAddress) {
            bool bareName = false;
            target = ResolveTarget(typed, arguments, &bareName);
            if (target.isEmpty())
                return kFileNotFound;
            const QFileInfo fi(target);
            if (!fi.exists()) {
                if (!QFileInfo(fi.absolutePath()).isDir())
                    return kPathNotFound;
                return kFileNotFound;
            }
            if (fi.isFile() && fi.isExecutable()) {
                // A program found on PATH starts in the home folder, not among the system's programs.
                const QString workDir = !folder.isEmpty() ? folder : bareName ? QDir::homePath() : fi.absolutePath();
                if (!folder.isEmpty() && !QFileInfo(folder).isDir())
                    return kPathNotFound;
                arguments += SplitParameters(parameters);
                qint64 pid = 0;
                if (!QProcess::startDetached(fi.absoluteFilePath(), arguments, workDir, &pid))
                    return kBadFormat;
                return kSuccess;
            }
        }
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty()) {
            return QDesktopServices::openUrl(isAddress ? asUrl
                                                       : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()))
                       ? kSuccess
                       : kNoAssociation;
        }
        // xdg-open tells whether a handler exists only by its exit code, so wait for it briefly.
        QProcess p;
        p.setProgram(opener);
        p.setArguments({isAddress ? target : QFileInfo(target).absoluteFilePath()});
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start();
        if (!p.waitForStarted(5000))
            return kNoAssociation;
        if (!p.waitForFinished(10000)) {
            // Still running: the handler has been found and is busy starting.
            p.kill();
            p.waitForFinished(1000);
            return kSuccess;
        }
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? kSuccess : kNoAssociation;
    }

    bool StartDateTimeSettings() override
    {
        const char *candidates[][2] = {{"gnome-control-center", "datetime"},
                                       {"systemsettings", "kcm_clock"},
                                       {"xfce4-datetime-settings", nullptr},
                                       {"time-admin", nullptr}};
        for (const auto &c : candidates) {
            const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(c[0]));
            if (exe.isEmpty())
                continue;
            QStringList args;
            if (c[1])
                args << QString::fromLatin1(c[1]);
            if (QProcess::startDetached(exe, args))
                return true;
        }
        return false;
    }
};

} // namespace

std::unique_ptr<IShell> CreateDesktopShell()
{
    return std::make_unique<DesktopShell>();
}

QStringList SplitParameters(const QString &parameters)
{
    QStringList out;
    QString current;
    bool inQuotes = false;
    bool any = false;
    for (const QChar c : parameters) {
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            any = true;
        } else if (c.isSpace() && !inQuotes) {
            if (any || !current.isEmpty())
                out << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty())
        out << current;
    return out;
}

} // namespace Shell
