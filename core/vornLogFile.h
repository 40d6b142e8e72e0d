#pragma once
// The program's log: one text file, level-filtered, rewritten line by line so
// that another program can read it at any moment.

#include "core/vornFile.h"

#include <cstdint>

class TvornLogFile : public TvornTextFile {
public:
    TvornLogFile(const QString &path, int level, uint8_t createWhenMissing, uint8_t freshStart);

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

private:
    bool AppendToFile(const QString &text);
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
