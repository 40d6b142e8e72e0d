#pragma once
// The program's own environment: edition profiles, help pages, log level, and
// the two ways of ending the program.

#include "app/vornApplication.h"
#include "core/MessageTypes.h"

#include <cstdint>

class IMessageBoxes;
class TResourceLibrary;
class TvornIniFile;
namespace Shell {
class IShell;
}

// The owner of the program's modules, as the two ways of ending reach it.
class IProgramModules {
public:
    virtual ~IProgramModules() = default;
    // Saves the store when one was read at start-up.
    virtual void SaveStoreNow() = 0;
    // Ends the started modules once, newest first.
    virtual void RunFinalizations() = 0;
};

// The addresses the build was given (BuildConfig.h); empty ones are left out
// of the internet table.
struct TDeploymentSites {
    QString WebSite, Contact, Support, Download, Download2;
    static TDeploymentSites FromBuild();
};

class TPalvaroApplication : public TvornApplication {
public:
    // boxes: where the user is told and asked (none: nothing is shown, the
    // cautious answer given); shell: opens help pages and the date/time
    // settings (none: nothing opens); modules: what the ends save and finalize
    // (none in tests that only read the environment).
    explicit TPalvaroApplication(const QString &exePath = QString(), IMessageBoxes *boxes = nullptr,
                                 Shell::IShell *shell = nullptr, IProgramModules *modules = nullptr);

    // 0 when the executable's full path contains "Brivane" (case counts), else 1.
    static uint8_t EditionFromPath(const QString &exePath);
    // The date of the commit this program was built from.
    static TDateTime BuiltOn();
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
    bool CopyLogToDesktop(); // false (after telling the user) when the copy was not made
    void ShowSplash(const TResourceLibrary *library);
    // A box that waits for its answer (start-up and the end only).
    TMsgResult ShowBox(const QString &text, TMsgIcon icon, TMsgButtons buttons,
                       const QString &title = QString()) const;
    Shell::IShell *ShellService() const { return FShell; }

    // True once TerminateApplication asked the loop to end.
    bool TerminateRequested() const { return FTerminateRequested; }
    // Ini file path: config folder + the "INI" entry.
    QString IniPath() const { return ConfigFolder() + GetFile(QStringLiteral("INI")); }
    QString LogPath() const { return GetFolder(QStringLiteral("LOG-FOLDER")) + GetFile(QStringLiteral("LOG")); }

    uint8_t Edition = 0;
    // Read by LoadEditionProfile.
    TDeploymentSites Sites = TDeploymentSites::FromBuild();
    // The edition's product and preferences file names (set by LoadEditionProfile).
    QString ProductName = QStringLiteral("Brivane");
    QString PreferencesFileName = QStringLiteral("Brivane.pfc");
    // Added to the version in the log ("" for a release build).
    QString BuildTypeText;
    // The ini file the environment reads the store folder from and writes the
    // log level to; none in tests that need neither.
    TvornIniFile *Ini = nullptr;

private:
    IMessageBoxes *FBoxes;
    Shell::IShell *FShell;
    IProgramModules *FModules;
    bool FTerminateRequested = false;
};
