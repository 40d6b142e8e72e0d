#pragma once
// The program's log: one text file, level-filtered, rewritten line by line so
// that another program can read it at any moment.

#include "core/vornFile.h"

#include <QObject>
#include <cstdint>

class TvornLogFile : public QObject, public TvornTextFile {
    Q_OBJECT
public:
    TvornLogFile(const QString &path, int level, uint8_t createWhenMissing, uint8_t freshStart);

    // Makes the file, and the folders missing above it, readable by the user
    // alone: the log names the user's files and reminders.
    bool CreateEmpty() override;
    void CreateLogFile();
    void WriteLine(const QString &text);
    void Restart();
    void Stamp(const QString &format);
    void Info(const QString &text);
    void Warning(const QString &text);
    void Error(const QString &text);

    // How many of the newest lines Lines keeps; the file holds them all.
    static constexpr int kLinesKept = 200;

    bool Active = true;
    uint8_t CreateWhenMissing = 0;
    int Level = 1;
    uint8_t FreshStart = 1;
    bool ErrorsLogged = false;
    // What went wrong first when the file could not be made or written, as
    // the user is told it; empty while all went well.
    QString FailureText;

signals:
    // The first failure, as the user is told it. Sent from the event loop,
    // never from inside the write: whoever shows it may log again, and the
    // one who made the log can connect before a failure while making it.
    void Failed(const QString &text);

private:
    bool AppendToFile(const QString &text, QString &reason);
    // Keeps the first failure and sends Failed for it once.
    void ReportFailure(const QString &text);
    bool FWriting = false;
};

// The program-wide log, or null before start-up made it (tests).
TvornLogFile *Log();
void SetLog(TvornLogFile *log);
// Safe to call when there is no log.
void LogInfo(const QString &text);
void LogWarning(const QString &text);
void LogError(const QString &text);
void LogStamp(const QString &format);

// "ddd, d mmm yyyy hh:mm:ss"
QString LogTimeStamp();
