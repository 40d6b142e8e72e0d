#pragma once
// The program: owns its context and starts the modules in order, runs the
// main sequence, and ends the modules in reverse order.

#include "app/CommandLine.h"
#include "app/PalvaroApplication.h"
#include "core/vornLogFile.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ISessionEndSource;
class TDesktopFrontEnd;
class Thddnorm;
class TPreferences;
class TSingleInstance;
struct TAppContext;
struct TStoreSetup;

class TBrivaneApplication final : public IProgramModules {
public:
    TBrivaneApplication();
    ~TBrivaneApplication() override;
    TBrivaneApplication(const TBrivaneApplication &) = delete;
    TBrivaneApplication &operator=(const TBrivaneApplication &) = delete;

    // The whole program on the running QApplication: both phases and the
    // shut-down; always 0.
    int Run();

    // What a command line run without the program works with: the store file
    // and the time format a start would find. Reads the settings only; made
    // before any application object exists.
    static std::unique_ptr<TDesktopFrontEnd> DesktopFrontEnd();
    // Where the store file is, for the start and for the command line.
    static TStoreSetup StoreSetupOf(const TPalvaroApplication &app);
    // A line for the log once it is open (how the windows reach the desktop).
    void SetStartNote(const QString &line) { FStartNote = line; }
    // `brivane open ...` with no copy running: the window to open once started.
    void OpenAfterStart(Cli::TWindow window) { FOpenAfterStart = window; }
    // Opens the window through the tray front, as its menu would.
    static void OpenWindow(Thddnorm &tray, Cli::TWindow window);

    // A module whose initialization has begun: its finalization runs at program
    // end and also when the program halts, in reverse order of beginning. A
    // callback, as each module brings its own ending.
    void BeginModule(const QString &name, std::function<void()> finalization);
    // Runs the finalizations once, newest first.
    void RunFinalizations() override;
    // Saves the store when one was read at start-up (the orderly end's step).
    void SaveStoreNow() override;

    // Phase 1; false when start-up must go no further.
    bool InitializeModules();
    // Phase 2: single instance, clock check, tray window, splash, event loop.
    // sessionEnd: handed to the hidden window, which ends the program when it fires.
    int RunMainSequence(ISessionEndSource *sessionEnd);

    // The clock check against the last recorded run: when the clock is behind
    // it, the user may open the date/time settings, which ends the program.
    static void CheckRunPastDate(TPalvaroApplication &app, const TPreferences &prefs);
    // Frees the windows that no other window owns, at the end of the program.
    static void DeleteTopLevelWindows();

    // The context while the modules live; null before start-up and after the end.
    TAppContext *Context() const { return FContext.get(); }

private:
    struct TModule {
        QString Name;
        std::function<void()> Finalization;
    };

    void FinalizeContext();
    void OpenIniAndLog();
    bool LoadPictureLibrary();
    void EnsureFolders();
    void LoadPreferences();
    void OpenStore();
    void FillActionContext();
    Thddnorm *MainWindow() const;
    void EndWithoutMainWindow();
    // The second start's channel on the single-instance socket: its show
    // requests and its commands, answered on this copy's list.
    void ListenToLaterStarts(Thddnorm &tray);
    // The portal's keys on a Wayland session that offers them, else the X11 grabs.
    void MakeHotKeys();
    void TellHowToBindKeysOnce();

    std::vector<TModule> FModules;
    bool FInitialized = false;
    // Made by InitializeModules, freed by its finalization.
    std::unique_ptr<TAppContext> FContext;
    // The log takes the program's diagnostics while the context has one.
    std::unique_ptr<TvornLogFile::TRecording> FLogRecording;
    TSingleInstance *FInstance = nullptr;
    bool FPortalWithoutShortcuts = false;
    QString FStartNote;
    std::optional<Cli::TWindow> FOpenAfterStart;
};
