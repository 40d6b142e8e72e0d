#include "app/BrivaneApplication.h"

#include "BuildConfig.h"
#include "app/AppContext.h"
#include "app/AppWindows.h"
#include "app/CommandServer.h"
#include "app/PalvaroApplication.h"
#include "app/PreferencesWindow.h"
#include "app/StoreCommands.h"
#include "app/hiddenfrm.h"
#include "core/Clock.h"
#include "core/EndRequest.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "extras/GlobalFullMoons.h"
#include "extras/InfoDlgFrm.h"
#include "model/CalendarNames.h"
#include "model/TaskList.h"
#include "platform/ClockChange.h"
#include "platform/CurlMail.h"
#include "platform/Desktop.h"
#include "platform/DesktopTray.h"
#include "platform/InstanceChannel.h"
#include "platform/LoginManager.h"
#include "platform/MessageBoxes.h"
#include "platform/PortalShortcuts.h"
#include "platform/ResourceLibrary.h"
#include "platform/SessionEnd.h"
#include "platform/SessionType.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"
#include "platform/SystemHelpers.h"
#include "storage/GlobalPreferences.h"
#include "storage/vornStorage.h"
#include "ui/TaskListFrm.h"
#include "ui/TaskListModel.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFile>
#include <QPointer>
#include <vector>

namespace {
// The one-copy lock's and the second start's socket name.
const QString kInstanceName = QStringLiteral("BrivaneIncstanceController");
} // namespace

TBrivaneApplication::TBrivaneApplication() = default;

TBrivaneApplication::~TBrivaneApplication() = default;

void TBrivaneApplication::FinalizeContext()
{
    LogInfo(QStringLiteral("Finalize InitApp"));
    TAppContext *c = FContext.get();
    if (!c)
        return;
    if (c->Preferences) {
        c->Preferences->SavePreferences();
        c->Actions.Preferences = nullptr;
        c->Preferences.reset();
    }
    c->Actions.Library = nullptr;
    c->Library.reset();
    // The event loop is over: no write waits for its timer any more; the
    // last one follows here.
    c->AutoSave.reset();
    if (c->Store) {
        // Writes nothing unless the store was read at start-up.
        c->Store->SaveStore();
        c->Actions.Store = nullptr;
        c->Store.reset();
    }
    LogStamp(QStringLiteral("*** Terminated at %s *** "));
    FLogRecording.reset();
    FContext.reset();
}

// The ini file beside the program (or in the config folder), and the log
// level and mode it gives: level 1 and a fresh log unless set otherwise.
void TBrivaneApplication::OpenIniAndLog()
{
    TAppContext &c = *FContext;
    TPalvaroApplication &app = *c.Environment;
    c.Ini = std::make_unique<TvornIniFile>(app.IniPath());
    QObject::connect(c.Ini.get(), &TvornIniFile::SaveFailed, c.Ini.get(),
                     [boxes = c.Boxes.get()](const QString &text) { boxes->Notice(text, TMsgIcon::Warning); });
    app.Ini = c.Ini.get();
    int level = c.Ini->ReadInteger(QStringLiteral("Debug"), QStringLiteral("Level"), -1);
    if (level == -1) {
        c.Ini->WriteInteger(QStringLiteral("Debug"), QStringLiteral("Level"), 1);
        level = 1;
    }
    const int mode = c.Ini->ReadInteger(QStringLiteral("Debug"), QStringLiteral("Mode"), 0);
    c.Log = std::make_unique<TvornLogFile>(app.LogPath(), level, level == 3 ? 1 : 0, mode == 0 ? 1 : 0);
    QObject::connect(c.Log.get(), &TvornLogFile::Failed, c.Log.get(),
                     [boxes = c.Boxes.get()](const QString &text) { boxes->Notice(text, TMsgIcon::Warning); });
    FLogRecording = std::make_unique<TvornLogFile::TRecording>(*c.Log);
    LogInfo(QStringLiteral("Initialize InitApp"));
    LogStamp(QStringLiteral("*** Launched at %s *** "));
    if (!FStartNote.isEmpty())
        LogInfo(FStartNote);
}

namespace {

// The edition follows the executable's path.
void LoadEdition(TPalvaroApplication &app)
{
    app.Edition = TPalvaroApplication::EditionFromPath(app.ExeName());
    LogInfo(QStringLiteral("Product ID: ") + QString::number(app.Edition));
    RebuildCalendarNames();
    app.LoadEditionProfile();
}

} // namespace

// False (after the "Error 07" box and the end) when the library cannot be loaded.
bool TBrivaneApplication::LoadPictureLibrary()
{
    TAppContext &c = *FContext;
    TPalvaroApplication &app = *c.Environment;
    const QString libraryName = app.GetFile(QStringLiteral("RESOURCES"));
    auto library = std::make_unique<TResourceLibrary>();
    if (!library->Load(app.DataFolder() + libraryName)) {
        app.ShowBox(QStringLiteral("Error 07: Unable to load %1").arg(libraryName), TMsgIcon::Error, TMsgButtons::Ok,
                    app.ProgramName);
        app.TerminateApplication(QStringLiteral("Unable to link to resource DLL"));
        return false;
    }
    c.Library = std::move(library);
    return true;
}

namespace {

void LogVersionAndPlaces(TPalvaroApplication &app)
{
    app.Version = QStringLiteral(BRIVANE_VERSION);
    app.BuildDate = TPalvaroApplication::BuiltOn();
    LogInfo(app.ProgramName + QStringLiteral(" Version: ") + app.Version + app.BuildTypeText
            + QStringLiteral(", Build: ") + FormatDateTime(QStringLiteral("d mmm yyyy"), app.BuildDate));
    LogInfo(QStringLiteral("Launch Path: ") + app.ProgramFolder());
    LogInfo(QStringLiteral("Windows' \"My Documents\" store folder: ") + Desktop::DocumentsFolder());
    LogInfo(QStringLiteral("User name: ") + Desktop::UserName());
}

} // namespace

// Sounds beside the program (a portable copy), the store folder and its backups.
void TBrivaneApplication::EnsureFolders()
{
    TPalvaroApplication &app = *FContext->Environment;
    try {
        if (app.IsPortable())
            app.EnsureFolder(app.GetProgramFolder(QStringLiteral("SOUNDS")));
        app.EnsureFolder(app.GetFolder(QStringLiteral("STORAGE-FOLDER")));
    } catch (const EvornError &e) {
        app.ShowBox(e.Message(), TMsgIcon::Error, TMsgButtons::Ok, app.ProgramName);
        app.HaltApplication(e.Message());
        return;
    }
    // Without a backup folder the reminders still fire: a store folder that
    // takes no files is run read-only, and the user is told at the store.
    try {
        app.EnsureFolder(app.GetFolder(QStringLiteral("STORAGE-BACKUP-FOLDER")));
    } catch (const EvornError &e) {
        LogWarning(e.Message() + QStringLiteral(" Backup copies cannot be made."));
    }
}

void TBrivaneApplication::LoadPreferences()
{
    TAppContext &c = *FContext;
    TPalvaroApplication &app = *c.Environment;
    c.Preferences = std::make_unique<TPreferences>(app.ProgramName, app.ProductName);
    c.Preferences->SetFilePath(app.ConfigFolder() + app.PreferencesFileName);
    c.Preferences->LoadPreferences(c.Ini.get());
}

// The store: recovery dialogs and halts, loading, the backup reminder, the
// daily backup, and the start-up sort of the list.
void TBrivaneApplication::OpenStore()
{
    TAppContext &c = *FContext;
    TPalvaroApplication &app = *c.Environment;
    c.Store = std::make_unique<TPalvaroStorage>(StoreSetupOf(app), c.TaskList, c.Shell.get());
    c.Store->Log = c.Log.get();
    // Where this user's store is, for whoever reads the ini file.
    c.Ini->WriteString(QStringLiteral("users2"), Desktop::UserName(), c.Store->FilePath());
    // The store says what it needs asked; each answer lets it go on.
    TStoreOpening opening = c.Store->OpenStore();
    for (;;) {
        for (const TStoreBox &box : opening.Notices)
            c.Boxes->Show(box.Text, box.Icon, box.Buttons, box.Title);
        if (opening.State != TStoreOpening::TState::Question)
            break;
        const TStoreBox &q = opening.Question;
        opening = c.Store->AnswerOpening(c.Boxes->Show(q.Text, q.Icon, q.Buttons, q.Title));
    }
    if (opening.State == TStoreOpening::TState::Halt)
        app.HaltApplication(opening.HaltReason);
    if (ProgramEndRequested())
        return; // the store is left as the question found it
    c.Store->AutoBackup();
    c.TaskList.SortAtStartup(c.Ini.get());
    // From here on each change reaches the disk within seconds.
    c.AutoSave = std::make_unique<TStoreAutoSave>(*c.Store);
    QObject::connect(c.AutoSave.get(), &TStoreAutoSave::Failed, c.AutoSave.get(),
                     [boxes = c.Boxes.get(), title = c.Store->ProgramNameText()](const QString &text) {
                         boxes->Notice(text, TMsgIcon::Warning, title, nullptr);
                     });
    c.AutoSave->CheckAtStart();
}

// The same place OpenStore builds for the program itself.
TStoreSetup TBrivaneApplication::StoreSetupOf(const TPalvaroApplication &app)
{
    TStoreSetup setup;
    setup.Path = app.GetFolder(QStringLiteral("STORAGE-FOLDER")) + app.GetFile(QStringLiteral("STORAGE-FILE"));
    setup.BackupFolder = app.GetFolder(QStringLiteral("STORAGE-BACKUP-FOLDER"));
    setup.StoreFileName = app.GetFile(QStringLiteral("STORAGE-FILE"));
    setup.ProgramFolder = app.ProgramFolder();
    setup.ConverterName = app.GetFile(QStringLiteral("DB-CONVERTER"));
    setup.ProgramName = app.ProgramName;
    return setup;
}

std::unique_ptr<TDesktopFrontEnd> TBrivaneApplication::DesktopFrontEnd()
{
    TPalvaroApplication app;
    // The ini file names the store folder a user moved; it is only read here.
    TvornIniFile ini(app.IniPath());
    app.Ini = &ini;
    app.Edition = TPalvaroApplication::EditionFromPath(app.ExeName());
    RebuildCalendarNames();
    app.LoadEditionProfile();
    // Loading the preferences the program's way would write a missing file;
    // the command line only wants the time format.
    TPreferences prefs(app.ProgramName, app.ProductName);
    QFile file(app.ConfigFolder() + app.PreferencesFileName);
    if (file.open(QIODevice::ReadOnly))
        prefs.ReadFileBytes(file.readAll());
    return std::make_unique<TDesktopFrontEnd>(kInstanceName, StoreSetupOf(app), prefs.TimeFormatSuffix());
}

void TBrivaneApplication::OpenWindow(Thddnorm &tray, Cli::TWindow window)
{
    switch (window) {
    case Cli::TWindow::Reminders: tray.popTaskListClick(); break;
    case Cli::TWindow::Add: tray.popAddTaskClick(); break;
    case Cli::TWindow::Preferences: tray.popPreferencesClick(); break;
    }
}

void TBrivaneApplication::ListenToLaterStarts(Thddnorm &tray)
{
    TAppContext &c = *FContext;
    // Both go with the tray front, before the windows they would open.
    auto *channel = new TInstanceChannel(&tray);
    auto *commands = new TCommandServer(c.TaskList, c.Preferences.get(), &tray);
    QObject::connect(channel, &TInstanceChannel::ShowRequested, &tray, &Thddnorm::ShowRequested);
    QObject::connect(channel, &TInstanceChannel::CommandRequested, commands, &TCommandServer::OnCommandRequested);
    QObject::connect(commands, &TCommandServer::OpenRequested, &tray,
                     [&tray](Cli::TWindow window) { OpenWindow(tray, window); });
    // The list was marked modified, so the store's autosave writes it; the
    // open Reminders window shows the new reminder in its place.
    QObject::connect(commands, &TCommandServer::ListChanged, &tray, [&c] {
        if (TTaskListForm *open = c.Windows.Find<TTaskListForm>()) {
            open->SortTaskList();
            open->RefreshTaskList();
        }
    });
    if (!channel->Listen(FInstance->ServerName()))
        LogWarning(QStringLiteral("A second start cannot reach this copy: no socket at ") + FInstance->ServerName());
}

void TBrivaneApplication::MakeHotKeys()
{
    TAppContext &c = *FContext;
    if (SessionType::IsWayland()) {
        // X11 grabs see keys only while an X11 window has the focus.
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected() && TPortalHotKeys::PortalVersion(bus) > 0) {
            LogInfo(QStringLiteral("Hot keys through the desktop portal's global shortcuts"));
            const QHash<int, TPortalHotKeys::TShortcutName> names{
                {Thddnorm::kAddTaskHotKey, {QStringLiteral("add-reminder"), QStringLiteral("Add a reminder")}},
                {Thddnorm::kTaskListHotKey,
                 {QStringLiteral("open-reminders"), QStringLiteral("Open the Reminders window")}},
            };
            auto keys = std::make_unique<TPortalHotKeys>(bus, names);
            QObject::connect(keys.get(), &TPortalHotKeys::Bound, keys.get(),
                             [](const QMap<QString, QString> &triggers) {
                                 QStringList bound;
                                 for (auto it = triggers.begin(); it != triggers.end(); ++it)
                                     bound << it.key() + QLatin1Char('=') + it.value();
                                 LogInfo(QStringLiteral("Portal shortcuts bound: ") + bound.join(QStringLiteral(", ")));
                             });
            QObject::connect(keys.get(), &TPortalHotKeys::Failed, keys.get(),
                             [](const QString &reason) { LogWarning(QStringLiteral("Portal shortcuts: ") + reason); });
            c.HotKeys = std::move(keys);
            return;
        }
        FPortalWithoutShortcuts = true;
        LogInfo(QStringLiteral("The desktop portal offers no global shortcuts"));
    }
    c.HotKeys = std::make_unique<TX11HotKeys>();
}

void TBrivaneApplication::TellHowToBindKeysOnce()
{
    TAppContext &c = *FContext;
    if (!FPortalWithoutShortcuts || !c.Ini || !c.Preferences)
        return;
    const QString section = QStringLiteral("HotKeys"), key = QStringLiteral("BindingHintShown");
    if (c.Ini->ReadInteger(section, key, 0) != 0)
        return;
    const auto letter = [](int32_t code) { return code > 0 && code < 0x10000 ? QChar(char16_t(code)) : QChar(u'?'); };
    ShowInfoDialog(
        c.Actions, c.Environment->ProgramName + QStringLiteral(" - Hot keys"),
        TPortalHotKeys::ManualBindingHint(letter(c.Preferences->HotKey1()), letter(c.Preferences->HotKey2())));
    c.Ini->WriteInteger(section, key, 1);
}

void TBrivaneApplication::FillActionContext()
{
    TAppContext &c = *FContext;
    TActionContext &a = c.Actions;
    a.List = &c.TaskList;
    a.Preferences = c.Preferences.get();
    a.Store = c.Store.get();
    a.Library = c.Library.get();
    a.Sounds = Desktop::ResolveSoundFolders(c.Environment->GetProgramFolder(QStringLiteral("SOUNDS")),
                                            c.Environment->IsPortable(), c.Environment->ProgramName);
    a.ProductName = c.Environment->ProductName;
    c.Power = std::make_unique<TLoginManagerPower>();
    c.Mail = std::make_unique<TCurlMailTransport>();
    c.ClockChanges = std::make_unique<TLinuxClockChangeSource>();
    a.Power = c.Power.get();
    a.Mail = c.Mail.get();
    a.ClockChanges = c.ClockChanges.get();
}

// A request to end that the hidden window is not there to take: during
// start-up it ends the start where it stands (the box that waits closes), and
// at the end it lets no box of the end wait for an answer.
void TBrivaneApplication::EndWithoutMainWindow()
{
    if (MainWindow())
        return;
    RequestProgramEnd();
    TPalvaroApplication *app = FContext ? FContext->Environment.get() : nullptr;
    if (app && !app->TerminateRequested())
        app->TerminateApplication(QStringLiteral("SessionEnd"));
}

Thddnorm *TBrivaneApplication::MainWindow() const
{
    return FContext ? FContext->Windows.Find<Thddnorm>() : nullptr;
}

void TBrivaneApplication::DeleteTopLevelWindows()
{
    // Only windows nobody owns: a window with a parent (a note's snooze menu)
    // goes with its owner, and a window that another one's destructor frees
    // must not be freed twice.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->parentWidget())
            windows.append(w);
    }
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
}

void TBrivaneApplication::BeginModule(const QString &name, std::function<void()> finalization)
{
    FModules.push_back({name, std::move(finalization)});
}

void TBrivaneApplication::RunFinalizations()
{
    while (!FModules.empty()) {
        TModule m = std::move(FModules.back());
        FModules.pop_back();
        if (m.Finalization)
            m.Finalization();
    }
}

void TBrivaneApplication::SaveStoreNow()
{
    if (FContext && FContext->Store)
        FContext->Store->SaveStore();
}

void TBrivaneApplication::CheckRunPastDate(TPalvaroApplication &app, const TPreferences &prefs)
{
    const TDateTime lastRun = prefs.LastRun();
    // A LastRun that is no date comes from a damaged file, not from a clock set back.
    if (!IsValidDateTime(lastRun))
        return;
    // Compared as instants: LastRun is a wall-clock time, and one inside the
    // hour the autumn change repeats counts at its earlier reading, so a
    // restart in the second pass of that hour is no clock set back.
    TDateTime lastRunUtc, later;
    LocalReadings(lastRun, lastRunUtc, later);
    const TDateTime now = Clock::Now();
    if (!(now - Clock::UtcOffsetSeconds() / 86400.0 < lastRunUtc))
        return;
    const QString when =
        FormatDateTime(QStringLiteral("ddd, d mmm yyyy \"at\" hh:mm") + prefs.TimeFormatSuffix(), lastRun);
    const TMsgResult r = app.ShowBox(
        QStringLiteral("%1 may not work properly, because your system's clock\rseems to had gone back in time.\r"
                       "Last run was at %2\r\rPress OK to adjust your Date/Time settings (and restart %3)\r"
                       "or Ignore to continue.")
            .arg(app.ProgramName, when, app.ProgramName),
        TMsgIcon::Warning, TMsgButtons::OkIgnore, app.ProgramName);
    if (r == TMsgResult::Ok) {
        if (Shell::IShell *shell = app.ShellService())
            shell->StartDateTimeSettings();
        app.TerminateApplication(QStringLiteral("CheckRunPastDate"));
    }
}

bool TBrivaneApplication::InitializeModules()
{
    if (FInitialized)
        return true;
    FInitialized = true;
    // The finalization runs even when start-up halts part-way.
    BeginModule(QStringLiteral("InitApp"), [this] { FinalizeContext(); });

    FContext = std::make_unique<TAppContext>();
    TAppContext &c = *FContext;
    c.Environment = std::make_unique<TPalvaroApplication>(QString(), c.Boxes.get(), c.Shell.get(), this);
    TPalvaroApplication &app = *c.Environment;
    OpenIniAndLog();
    LoadEdition(app);
    if (!LoadPictureLibrary())
        return false;
    LogVersionAndPlaces(app);
    // Each step may have shown a box that a request to end closed.
    EnsureFolders();
    if (ProgramEndRequested())
        return false;
    LoadPreferences();
    if (ProgramEndRequested())
        return false;
    OpenStore();
    if (ProgramEndRequested())
        return false;
    FillActionContext();

    // The full-moon notice is renewed now and removed again before the last
    // save of the store, so the store written last never holds one.
    InitFullMoons(c.TaskList, *c.Preferences);
    BeginModule(QStringLiteral("InitFullMoons"), [this] {
        if (FContext)
            RemoveFullMoons(FContext->TaskList);
    });

    // The hidden window's module.
    LogInfo(QStringLiteral("Initialize hiddenfrm"));
    LogInfo(QStringLiteral("OS: ") + OSVersionText());
    return true;
}

int TBrivaneApplication::RunMainSequence(ISessionEndSource *sessionEnd)
{
    TAppContext &c = *FContext;
    TPalvaroApplication &app = *c.Environment;
    FInstance = new TSingleInstance(kInstanceName, qApp);
    if (FInstance->AlreadyExists()) {
        LogInfo(QStringLiteral("Brivane ALREADY running"));
        if (!FInstance->PostShowSignal()) {
            app.ShowBox(QStringLiteral("%1 is already running\rClick the tray icon or press Ctrl+Shift+%2 "
                                       "to open the Reminders window.")
                            .arg(app.ProgramName, QString(QChar(c.Preferences ? c.Preferences->HotKey2() : 'L'))),
                        TMsgIcon::Information, TMsgButtons::Ok, app.ProgramName);
        }
        app.HaltApplication(QStringLiteral("GetLastError=ERROR_ALREADY_EXISTS"));
    }
    if (app.Edition != 0)
        app.ShowBox(QStringLiteral("**** You have compiled the wrong App ****"), TMsgIcon::None, TMsgButtons::Ok);
    if (c.Preferences)
        CheckRunPastDate(app, *c.Preferences);
    // An end asked for at a start-up box: no scheduler, no reminder fires.
    if (!ProgramEndRequested() && !app.TerminateRequested()) {
        c.Tray = std::make_unique<TDesktopTrayIcon>();
        MakeHotKeys();
        AppWindows::WireChangeSchedule(c, [this] { return MainWindow(); });
        // A second start's requests come through the channel below, which
        // also carries the command line.
        auto *mainWindow = new Thddnorm(c.Actions, &app, sessionEnd, c.Tray.get(), c.HotKeys.get());
        c.Windows.Add(mainWindow);
        AppWindows::Wire(c, *mainWindow);
        PreferencesWindow::Wire(c, *mainWindow);
        ListenToLaterStarts(*mainWindow);
        // New users meet the Reminders window until they first close it.
        if (TTaskListSettings::IsFirstRun(c.Ini.get()))
            mainWindow->popTaskListClick();
        if (FOpenAfterStart)
            OpenWindow(*mainWindow, *FOpenAfterStart);
        TellHowToBindKeysOnce();
        if (!(c.Preferences && c.Preferences->NeverShowSplash()))
            app.ShowSplash(c.Library.get());
        // A request to end made before the loop ends it as soon as it starts.
        if (!app.TerminateRequested())
            QApplication::exec();
    }
    // Window teardown without close handling; the hidden window first, as it
    // stops the scheduler that would open more.
    delete MainWindow();
    DeleteTopLevelWindows();
    return 0;
}

int TBrivaneApplication::Run()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Brivane"));
    // Before the first box can show: a signal at a start-up question must end
    // the program in order too.
    TLinuxSessionEndSource sessionEnd;
    QObject::connect(&sessionEnd, &ISessionEndSource::QueryEndSession, qApp, [this] { EndWithoutMainWindow(); });
    if (InitializeModules())
        RunMainSequence(&sessionEnd);
    else
        DeleteTopLevelWindows();
    RunFinalizations();
    delete FInstance;
    FInstance = nullptr;
    return 0;
}
