#include "core/vornLogFile.h"

#include "core/Clock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <utility>

Q_LOGGING_CATEGORY(lcBrivane, "brivane")
Q_LOGGING_CATEGORY(lcBrivaneStamp, "brivane.stamp")

namespace {
// The recording log and the handler that was there before the first one.
TvornLogFile *g_log = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void RouteMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool ours = context.category && (qstrcmp(context.category, lcBrivane().categoryName()) == 0 ||
                                           qstrcmp(context.category, lcBrivaneStamp().categoryName()) == 0);
    if (!ours) {
        if (g_previousHandler)
            g_previousHandler(type, context, message);
        else
            qt_message_output(type, context, message);
        return;
    }
    TvornLogFile *log = g_log;
    if (!log)
        return;
    if (qstrcmp(context.category, lcBrivaneStamp().categoryName()) == 0) {
        log->Stamp(message);
        return;
    }
    switch (type) {
    case QtWarningMsg: log->Warning(message); break;
    case QtCriticalMsg:
    case QtFatalMsg: log->Error(message); break;
    default: log->Info(message); break;
    }
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

TvornLogFile *Log()
{
    return g_log;
}

TvornLogFile::TRecording::TRecording(TvornLogFile &log)
    : FPrevious(std::exchange(g_log, &log))
{
    if (!FPrevious)
        g_previousHandler = qInstallMessageHandler(RouteMessage);
}

TvornLogFile::TRecording::~TRecording()
{
    g_log = FPrevious;
    if (!FPrevious)
        qInstallMessageHandler(std::exchange(g_previousHandler, nullptr));
}

void LogInfo(const QString &text)
{
    // A line the log would drop costs no conversion and no trip through Qt's handler.
    if (g_log && g_log->Takes(QtInfoMsg))
        qCInfo(lcBrivane, "%s", qUtf8Printable(text));
}

void LogWarning(const QString &text)
{
    if (g_log && g_log->Takes(QtWarningMsg))
        qCWarning(lcBrivane, "%s", qUtf8Printable(text));
}

void LogError(const QString &text)
{
    if (g_log && g_log->Takes(QtCriticalMsg))
        qCCritical(lcBrivane, "%s", qUtf8Printable(text));
}

void LogStamp(const QString &format)
{
    if (g_log && g_log->Takes(QtInfoMsg))
        qCInfo(lcBrivaneStamp, "%s", qUtf8Printable(format));
}

QString LogTimeStamp()
{
    return FormatDateTime(QStringLiteral("ddd, d mmm yyyy hh:mm:ss"), Clock::Now());
}

TvornLogFile::TvornLogFile(const QString &path, int level, uint8_t createWhenMissing, uint8_t freshStart)
    : TvornTextFile(path)
    , CreateWhenMissing(createWhenMissing)
    , Level(level)
    , FreshStart(freshStart)
{
    Active = true;
    if (CreateWhenMissing == 0) {
        Active = Exists();
    } else {
        if (!Exists())
            Restart();
        Active = true;
    }
    if (FreshStart == 1) {
        if (Active)
            Restart();
    } else if (Active) {
        // A log kept from a run of an older version may be open to everyone.
        QFile::setPermissions(Path(), kOwnerOnly);
        WriteLine(QString());
        Stamp(QStringLiteral("Log Appended at %s"));
    }
}

bool TvornLogFile::CreateEmpty()
{
    if (!CreatePrivateFolder(FilePath()))
        return false;
    QFile f(Path());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate, kOwnerOnly))
        return false;
    // An existing file keeps its mode when opened; the log is private.
    f.setPermissions(kOwnerOnly);
    Handle = f.handle();
    f.close();
    return true;
}

void TvornLogFile::CreateLogFile()
{
    if (CreateEmpty()) {
        Active = true;
        return;
    }
    ReportFailure(QStringLiteral("Unable to create log file") + Path());
    Level = 0;
    Active = false;
}

void TvornLogFile::ReportFailure(const QString &text)
{
    if (!FailureText.isEmpty())
        return;
    FailureText = text;
    if (QCoreApplication::instance())
        QMetaObject::invokeMethod(
            this, [this, text] { emit Failed(text); }, Qt::QueuedConnection);
}

void TvornLogFile::WriteLine(const QString &text)
{
    // Whatever runs while a line is written must not write into the middle of it.
    if (!Active || FWriting)
        return;
    FWriting = true;
    const auto done = qScopeGuard([this] { FWriting = false; });
    if (!Exists()) {
        if (CreateWhenMissing == 0)
            return;
        CreateLogFile();
        if (!Active)
            return;
    }
    QString reason;
    if (!AppendToFile(text, reason))
        ReportFailure(QStringLiteral("error writing to log file\r") + Path() + QStringLiteral(": ") + reason);
}

bool TvornLogFile::AppendToFile(const QString &text, QString &reason)
{
    // The file is the record; memory keeps only the newest lines, so a program
    // that runs for months does not grow with its log. Appending (rather than
    // rewriting from memory) also keeps what others added to the file.
    Lines.append(text);
    if (Lines.size() > kLinesKept)
        Lines.remove(0, Lines.size() - kLinesKept);
    QFile f(Path());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        reason = f.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8() + "\r\n";
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        reason = f.errorString();
        return false;
    }
    f.close();
    if (f.error() != QFileDevice::NoError) {
        reason = f.errorString();
        return false;
    }
    return true;
}

void TvornLogFile::Restart()
{
    if (!Active)
        return;
    // Making the file empties it; the lines only need forgetting.
    Lines.clear();
    CreateLogFile();
    Stamp(QStringLiteral("Log start: %s"));
    WriteLine(QStringLiteral("Log path: ") + Path());
}

bool TvornLogFile::Takes(QtMsgType type) const
{
    switch (type) {
    case QtWarningMsg: return Level > 1;
    case QtCriticalMsg:
    case QtFatalMsg: return Level > 0;
    default: return Level > 2;
    }
}

void TvornLogFile::Stamp(const QString &format)
{
    if (!Takes(QtInfoMsg))
        return;
    const QString stamp = LogTimeStamp();
    if (format.isEmpty() || !format.contains(QLatin1String("%s")))
        WriteLine(QStringLiteral("Info:") + stamp);
    else
        WriteLine(QStringLiteral("Info:") + QString(format).replace(QLatin1String("%s"), stamp));
}

void TvornLogFile::Info(const QString &text)
{
    if (!Takes(QtInfoMsg))
        return;
    try {
        WriteLine(QStringLiteral("Info: ") + text);
    } catch (const std::exception &e) {
        ReportFailure(QStringLiteral("exception on : ") + text + QLatin1Char('\r') + QString::fromLocal8Bit(e.what()));
    }
}

void TvornLogFile::Warning(const QString &text)
{
    if (Takes(QtWarningMsg))
        WriteLine(QStringLiteral("Warning: ") + text);
}

void TvornLogFile::Error(const QString &text)
{
    if (!Takes(QtCriticalMsg))
        return;
    if (!Exists()) {
        CreateLogFile();
        // Nothing was recorded, so nothing may be reported as recorded.
        if (!Active)
            return;
    }
    Level = 3;
    WriteLine(QStringLiteral("Error: ") + text);
    ErrorsLogged = true;
}
