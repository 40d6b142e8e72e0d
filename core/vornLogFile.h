#pragma once
// The program's log: one text file, level-filtered, rewritten line by line so
// that another program can read it at any moment.

#include "core/vornFile.h"

#include <QObject>
#include <QLoggingCategory>

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
    // Whether a line of this kind is written at the present level: errors
    // from 1, warnings from 2, information and stamps at 3.
    bool Takes(QtMsgType type) const;

    // Takes the program's categories into this log for the life of the
    // object, through Qt's message handler (the one route every message
    // takes): other categories go on to the handler found before, and the
    // log recording before comes back at the end.
    class TRecording {
    public:
        explicit TRecording(TvornLogFile &log);
        ~TRecording();
        TRecording(const TRecording &) = delete;
        TRecording &operator=(const TRecording &) = delete;

    private:
        TvornLogFile *FPrevious;
    };

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

// The program's diagnostics go to these categories; the log that records
// them (see TvornLogFile::TRecording) writes them to the user's log file in
// its own format. Without one they are dropped, as a program without a log
// has nowhere to say them.
Q_DECLARE_LOGGING_CATEGORY(lcBrivane)
Q_DECLARE_LOGGING_CATEGORY(lcBrivaneStamp)

// The log that records the program's categories, or null (before start-up, tests).
TvornLogFile *Log();
// Safe to call when there is no log: nothing is said then (a command on the
// terminal, a test), as nothing records it.
void LogInfo(const QString &text);
void LogWarning(const QString &text);
void LogError(const QString &text);
void LogStamp(const QString &format);

// "ddd, d mmm yyyy hh:mm:ss"
QString LogTimeStamp();
