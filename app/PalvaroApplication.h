#pragma once
// The program's own environment: edition profiles, help pages, log level, and
// the two ways of ending the program.

#include "app/vornApplication.h"

#include <cstdint>

class TPalvaroApplication : public TvornApplication {
public:
    explicit TPalvaroApplication(const QString &exePath = QString());

    // 0 when the executable's full path contains "Brivane" (case counts), else 1.
    static uint8_t EditionFromPath(const QString &exePath);
    void LoadEditionProfile();
    void OpenHelpPage(const QString &key);
    QString WriteHelpRedirect(const QString &target);
    void SetLogLevel(bool enabled);

    // Orderly end: log, save the store, report errors, leave the event loop
    // (or end it as soon as it starts when called before).
    void TerminateApplication(const QString &reason);
    // Immediate end with exit code 0 after the finalizations of started modules.
    [[noreturn]] void HaltApplication(const QString &reason);
    void ReportLoggedErrors();
    void CopyLogToDesktop();
    void CheckRunPastDate();
    void ShowSplash();

    // True once TerminateApplication asked the loop to end.
    bool TerminateRequested() const { return FTerminateRequested; }
    // Ini file path: config folder + the "INI" entry.
    QString IniPath() const { return ConfigFolder() + GetFile(QStringLiteral("INI")); }
    QString LogPath() const { return GetFolder(QStringLiteral("WIN-TEMP")) + GetFile(QStringLiteral("LOG")); }

    uint8_t Edition = 0;

private:
    bool FTerminateRequested = false;
};

// The program-wide environment (same object as PalvaroApp).
inline TPalvaroApplication *App()
{
    extern TPalvaroApplication *PalvaroApp;
    return PalvaroApp;
}
