#include "core/vornLogFile.h"

#include "core/Clock.h"
#include "core/MessageBox.h"

#include <QFile>

namespace {
TvornLogFile *g_log = nullptr;
}

TvornLogFile *Log()
{
    return g_log;
}

void SetLog(TvornLogFile *log)
{
    g_log = log;
}

void LogInfo(const QString &text)
{
    if (g_log)
        g_log->Info(text);
}

void LogWarning(const QString &text)
{
    if (g_log)
        g_log->Warning(text);
}

void LogError(const QString &text)
{
    if (g_log)
        g_log->Error(text);
}

void LogStamp(const QString &format)
{
    if (g_log)
        g_log->Stamp(format);
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
        WriteLine(QString());
        Stamp(QStringLiteral("Log Appended at %s"));
    }
}

void TvornLogFile::CreateLogFile()
{
    if (CreateEmpty()) {
        Active = true;
        return;
    }
    ShowMessage(QStringLiteral("Unable to create log file") + Path());
    Level = 0;
    Active = false;
}

void TvornLogFile::WriteLine(const QString &text)
{
    if (!Active)
        return;
    if (!Exists()) {
        if (CreateWhenMissing == 0)
            return;
        CreateLogFile();
        if (!Active)
            return;
    }
    if (!AppendToFile(text))
        ShowMessage(QStringLiteral("error writing to log file"));
}

bool TvornLogFile::AppendToFile(const QString &text)
{
    // The file is the record; memory keeps only the newest lines, so a program
    // that runs for months does not grow with its log. Appending (rather than
    // rewriting from memory) also keeps what others added to the file.
    Lines.append(text);
    if (Lines.size() > kLinesKept)
        Lines.remove(0, Lines.size() - kLinesKept);
    QFile f(Path());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = text.toUtf8() + "\r\n";
    return f.write(bytes) == bytes.size() && f.flush();
}

void TvornLogFile::Restart()
{
    if (!Active)
        return;
    ClearLines();
    CreateLogFile();
    Stamp(QStringLiteral("Log start: %s"));
    WriteLine(QStringLiteral("Log path: ") + Path());
}

void TvornLogFile::Stamp(const QString &format)
{
    if (Level <= 2)
        return;
    const QString stamp = LogTimeStamp();
    if (format.isEmpty() || !format.contains(QLatin1String("%s")))
        WriteLine(QStringLiteral("Info:") + stamp);
    else
        WriteLine(QStringLiteral("Info:") + QString(format).replace(QLatin1String("%s"), stamp));
}

void TvornLogFile::Info(const QString &text)
{
    if (Level <= 2)
        return;
    try {
        WriteLine(QStringLiteral("Info: ") + text);
    } catch (const std::exception &e) {
        ShowMessage(QStringLiteral("exception on : ") + text + QLatin1Char('\r') + QString::fromLocal8Bit(e.what()));
    }
}

void TvornLogFile::Warning(const QString &text)
{
    if (Level > 1)
        WriteLine(QStringLiteral("Warning: ") + text);
}

void TvornLogFile::Error(const QString &text)
{
    if (Level <= 0)
        return;
    if (!Exists())
        CreateLogFile();
    Level = 3;
    WriteLine(QStringLiteral("Error: ") + text);
    ErrorsLogged = true;
}
