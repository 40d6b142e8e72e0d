#include "app/InitApp.h"

#include "app/Globals.h"
#include "app/MessageBox.h"
#include "app/PalvaroApplication.h"
#include "app/ResourceLibrary.h"
#include "app/SystemHelpers.h"
#include "app/hiddenfrm.h"
#include "app/vornIniFile.h"
#include "app/vornLogFile.h"
#include "model/TaskList.h"
#include "platform/Clock.h"
#include "platform/SingleInstance.h"
#include "storage/GlobalPreferences.h"
#include "storage/vornStorage.h"

#include <QApplication>
#include <QPointer>
#include <vector>

namespace InitApp {

namespace {

struct Module {
    QString name;
    std::function<void()> finalization;
};
std::vector<Module> g_modules;
bool g_initialized = false;
TSingleInstance *g_instance = nullptr;

void FinalizeInitApp()
{
    LogInfo(QStringLiteral("Finalize InitApp"));
    if (Preferences) {
        Preferences->SavePreferences();
        delete Preferences;
        Preferences = nullptr;
    }
    if (ResourceLibrary) {
        delete ResourceLibrary;
        ResourceLibrary = nullptr;
    }
    if (Storage) {
        // Writes nothing unless the store was read at start-up.
        Storage->SaveStore();
        delete Storage;
        Storage = nullptr;
    }
    LogStamp(QStringLiteral("*** Terminated at %s *** "));
    TvornLogFile *log = Log();
    SetLog(nullptr);
    delete log;
    delete IniFile;
    IniFile = nullptr;
    delete PalvaroApp;
    PalvaroApp = nullptr;
}

} // namespace

void BeginModule(const QString &name, std::function<void()> finalization)
{
    g_modules.push_back({name, std::move(finalization)});
}

void RunFinalizations()
{
    while (!g_modules.empty()) {
        Module m = std::move(g_modules.back());
        g_modules.pop_back();
        if (m.finalization)
            m.finalization();
    }
}

void SaveStoreNow()
{
    if (Storage)
        Storage->SaveStore();
}

void MarkListModified()
{
    if (TaskList)
        TaskList->MarkModified();
}

void CheckRunPastDateNow()
{
    TPalvaroApplication *app = PalvaroApp;
    if (!app || !Preferences)
        return;
    const TDateTime lastRun = Preferences->LastRun();
    // A LastRun that is no date comes from a damaged file, not from a clock set back.
    if (!IsValidDateTime(lastRun) || !(Clock::Now() < lastRun))
        return;
    const QString when = FormatDateTime(QStringLiteral("ddd, d mmm yyyy \"at\" hh:mm")
                                            + Preferences->TimeFormatSuffix(), lastRun);
    const TMsgResult r = ShowMessageBox(
        QStringLiteral("%1 may not work properly, because your system's clock\rseems to had gone back in time.\r"
                       "Last run was at %2\r\rPress OK to adjust your Date/Time settings (and restart %3)\r"
                       "or Ignore to continue.")
            .arg(app->ProgramName, when, app->ProgramName),
        TMsgIcon::Warning, TMsgButtons::OkIgnore, app->ProgramName);
    if (r == TMsgResult::Ok) {
        RunControlPanelApplet(QStringLiteral("timedate.cpl"));
        app->TerminateApplication(QStringLiteral("CheckRunPastDate"));
    }
}

bool InitializeModules()
{
    if (g_initialized)
        return true;
    g_initialized = true;
    // The finalization runs even when start-up halts part-way.
    BeginModule(QStringLiteral("InitApp"), FinalizeInitApp);

    // 1. Environment
    PalvaroApp = new TPalvaroApplication();
    TPalvaroApplication *app = PalvaroApp;
    // 2-3. Ini file and log settings
    IniFile = new TvornIniFile(app->IniPath());
    int level = IniFile->ReadInteger(QStringLiteral("Debug"), QStringLiteral("Level"), -1);
    if (level == -1) {
        IniFile->WriteInteger(QStringLiteral("Debug"), QStringLiteral("Level"), 1);
        level = 1;
    }
    const int mode = IniFile->ReadInteger(QStringLiteral("Debug"), QStringLiteral("Mode"), 0);
    // 4. Log
    SetLog(new TvornLogFile(app->LogPath(), level, level == 3 ? 1 : 0, mode == 0 ? 1 : 0));
    // 5.
    LogInfo(QStringLiteral("Initialize InitApp"));
    LogStamp(QStringLiteral("*** Launched at %s *** "));
    // 6. Edition follows the executable's path.
    app->Edition = TPalvaroApplication::EditionFromPath(app->ExeName());
    LogInfo(QStringLiteral("Product ID: ") + QString::number(app->Edition));
    // 7.
    BuildNameLists();
    // 8.
    app->LoadEditionProfile();
    // 9. Picture library
    const QString libraryName = app->GetFile(QStringLiteral("RESOURCES"));
    auto *library = new TResourceLibrary();
    if (!library->Load(app->DataFolder() + libraryName)) {
        delete library;
        ShowMessageBox(QStringLiteral("Error 07: Unable to load %1").arg(libraryName), TMsgIcon::Error, TMsgButtons::Ok,
                       app->ProgramName);
        app->TerminateApplication(QStringLiteral("Unable to link to resource DLL"));
        return false;
    }
    ResourceLibrary = library;
    // 10. Version
    app->Version = QStringLiteral("3.92");
    app->BuildDate = EncodeDate(2009, 2, 17);
    LogInfo(app->ProgramName + QStringLiteral(" Version: ") + app->Version + BuildTypeText + QStringLiteral(", Build: ")
            + FormatDateTime(QStringLiteral("d mmm yyyy"), app->BuildDate));
    // 11.
    LogInfo(QStringLiteral("Launch Path: ") + app->ProgramFolder());
    LogInfo(QStringLiteral("Windows' \"My Documents\" store folder: ") + GetDocumentsFolder());
    LogInfo(QStringLiteral("User name: ") + GetWindowsUserName());
    // 12.
    TaskListOpen = TaskFormOpen = PreferencesOpen = false;
    // 13. Folders: Sounds beside the program (a portable copy), the store and its backups.
    try {
        if (app->IsPortable())
            app->EnsureFolder(app->GetProgramFolder(QStringLiteral("SOUNDS")));
        app->EnsureFolder(app->GetFolder(QStringLiteral("STORAGE-FOLDER")));
        app->EnsureFolder(app->GetFolder(QStringLiteral("STORAGE-BACKUP-FOLDER")));
    } catch (const EvornError &e) {
        ShowMessageBox(e.Message(), TMsgIcon::Error, TMsgButtons::Ok, app->ProgramName);
        app->HaltApplication(e.Message());
    }

    // 14. Preferences
    Preferences = new TPreferences();
    Preferences->LoadPreferences();

    // 15. The store, which makes the reminder list and the copy buffer.
    Storage = new TPalvaroStorage(app->GetFolder(QStringLiteral("STORAGE-FOLDER"))
                                  + app->GetFile(QStringLiteral("STORAGE-FILE")));
    Storage->Log = Log();
    // 16. Where this user's store is, for whoever reads the ini file.
    IniFile->WriteString(QStringLiteral("users2"), GetWindowsUserName(), Storage->FilePath());
    // 17. Recovery dialogs and halts, loading, the backup reminder.
    Storage->OpenStore();
    // 18.
    Storage->AutoBackup();

    // The start-up sort of the reminder list.
    TaskList->SortAtStartup();

    // The hidden window's module.
    LogInfo(QStringLiteral("Initialize hiddenfrm"));
    LogInfo(QStringLiteral("OS: ") + OSVersionText());
    return true;
}

int RunMainSequence()
{
    TPalvaroApplication *app = PalvaroApp;
    // 1-2. Single instance
    g_instance = new TSingleInstance(QStringLiteral("BrivaneIncstanceController"), qApp);
    if (g_instance->AlreadyExists()) {
        LogInfo(QStringLiteral("Brivane ALREADY running"));
        if (!g_instance->PostShowSignal()) {
            ShowMessageBox(QStringLiteral("%1 is already running\rDouble-click on the tray icon or Press Ctrl+Shift+%2 "
                                          "to open the Reminders window.")
                               .arg(app->ProgramName, QString(QChar(Preferences ? Preferences->HotKey2() : 'L'))),
                           TMsgIcon::Information, TMsgButtons::Ok, app->ProgramName);
        }
        app->HaltApplication(QStringLiteral("GetLastError=ERROR_ALREADY_EXISTS"));
    }
    // 3.
    if (app->Edition != 0)
        ShowMessage(QStringLiteral("**** You have compiled the wrong App ****"));
    // 4.
    app->CheckRunPastDate();
    // 5. Hidden main window
    QPointer<Thddnorm> mainWindow = new Thddnorm(g_instance);
    // 6.
    if (!(Preferences && Preferences->NeverShowSplash()))
        app->ShowSplash();
    // 8. A request to end made before the loop ends it as soon as it starts.
    if (!app->TerminateRequested())
        QApplication::exec();
    // 9. Window teardown without close handling.
    delete mainWindow.data();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        delete w;
    return 0;
}

int Run(int &argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Brivane"));
    if (InitializeModules())
        RunMainSequence();
    else {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows)
            delete w;
    }
    RunFinalizations();
    delete g_instance;
    g_instance = nullptr;
    return 0;
}

} // namespace InitApp
