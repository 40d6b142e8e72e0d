#include "app/PalvaroApplication.h"

#include "BuildConfig.h"
#include "core/DateTime.h"
#include "core/MessageTypes.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "platform/Desktop.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"
#include "ui/PalvaroSplashFrm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

TDeploymentSites TDeploymentSites::FromBuild()
{
    return {QStringLiteral(BRIVANE_WEBSITE), QStringLiteral(BRIVANE_CONTACT_ADDRESS),
            QStringLiteral(BRIVANE_SUPPORT_ADDRESS), QStringLiteral(BRIVANE_DOWNLOAD_SITE),
            QStringLiteral(BRIVANE_DOWNLOAD_SITE2)};
}

TPalvaroApplication::TPalvaroApplication(const QString &exePath, IMessageBoxes *boxes, Shell::IShell *shell,
                                         IProgramModules *modules)
    : TvornApplication(exePath)
    , FBoxes(boxes)
    , FShell(shell)
    , FModules(modules)
{
    AddFolder(QStringLiteral("HELP=Help/"));
    AddFolder(QStringLiteral("SOUNDS=Sounds/"));
}

TDateTime TPalvaroApplication::BuiltOn()
{
    return EncodeDate(BRIVANE_BUILD_YEAR, BRIVANE_BUILD_MONTH, BRIVANE_BUILD_DAY);
}

uint8_t TPalvaroApplication::EditionFromPath(const QString &exePath)
{
    return exePath.contains(QStringLiteral("Brivane"), Qt::CaseSensitive) ? 0 : 1;
}

void TPalvaroApplication::LoadEditionProfile()
{
    const QString web = Sites.WebSite;
    const QString contact = Sites.Contact;
    const QString support = Sites.Support;
    const QString download = Sites.Download;
    const QString download2 = Sites.Download2.isEmpty() ? download : Sites.Download2;
    // An address the build was not given leaves its entry out, and with it the
    // link or the update check that would lead nowhere.
    const auto add = [this](const QString &value, const QString &line) {
        if (!value.isEmpty())
            AddInternet(line);
    };
    if (Edition == 0) {
        AboutCredit = QStringLiteral("Brivane reminders. Made with care for people who forget nothing important.");
        ProductName = QStringLiteral("Brivane");
        PreferencesFileName = QStringLiteral("Brivane.pfc");
        add(web, QStringLiteral("WEBPAGE=") + web + QStringLiteral("/?from_exe"));
        add(contact, QStringLiteral("CONTACT-EMAIL=Brivane reminder <") + contact + QStringLiteral(">"));
        add(support, QStringLiteral("LOG-EMAIL=") + support);
        add(download, QStringLiteral("VERSION-CHECK-FILE=") + download + QStringLiteral("/bin/CurVer.txt"));
        add(download, QStringLiteral("DOWNLOAD-UPDATE=") + download + QStringLiteral("/download.htm?from_exe"));
    } else {
        AboutCredit = QStringLiteral("Corvisk reminders.");
        ProductName = QStringLiteral("Corvisk");
        PreferencesFileName = QStringLiteral("Corvisk.pfc");
        add(web, QStringLiteral("WEBPAGE=") + web + QStringLiteral("/reminders/reminders.html"));
        add(contact, QStringLiteral("CONTACT-EMAIL=Corvisk <") + contact + QStringLiteral(">"));
        add(support, QStringLiteral("LOG-EMAIL=") + support);
        add(download, QStringLiteral("VERSION-CHECK-FILE=") + download + QStringLiteral("/bin/CurSVer.txt"));
        add(download2, QStringLiteral("DOWNLOAD-UPDATE=") + download2
                           + QStringLiteral("/reminders/reminders.html?from_exe#download_now"));
    }
    AddFile(QStringLiteral("RESOURCES=") + QString::fromLatin1(Desktop::PictureLibraryName));
    AddFile(QStringLiteral("DB-CONVERTER=DBConverter"));
    AddFile(QStringLiteral("STORAGE-FILE=") + ProgramName + QStringLiteral(".dat"));

    const QString defaultFolder = Desktop::DocumentsFolder() + QLatin1Char('/') + ProgramName;
    const QString storeFolder =
        Ini ? Ini->ReadString(QStringLiteral("users"), Desktop::UserName(), defaultFolder) : defaultFolder;
    AddFolder(QStringLiteral("STORAGE-FOLDER=") + WithSlash(storeFolder));
    AddFolder(QStringLiteral("STORAGE-BACKUP-FOLDER=") + GetFolder(QStringLiteral("STORAGE-FOLDER"))
              + QStringLiteral("Backup/"));

    AddFile(QStringLiteral("HELP_CONTENTS=help_index.html"));
    AddFile(QStringLiteral("HELP_SUPPORT=help_support.html"));
    AddFile(QStringLiteral("HELP_SMTP_TROUBLESHOOT=help_smtp.html"));
    AddFile(QStringLiteral("HELP_PREF_GENERAL=help_preferences.html#general"));
    AddFile(QStringLiteral("HELP_PREF_TASKLIST=help_preferences.html#tasklist"));
    AddFile(QStringLiteral("HELP_PREF_POPUPNOTE=help_preferences.html#popupnote"));
    AddFile(QStringLiteral("HELP_PREF_EMAIL=help_preferences.html#e-mail"));
    AddFile(QStringLiteral("HELP_PREF_REFLEXES=help_preferences.html#reflexes"));
    AddFile(QStringLiteral("HELP_PREF_ABOUT=help_preferences.html#about"));
}

void TPalvaroApplication::OpenHelpPage(const QString &key)
{
    const QString v = GetFile(key);
    QString path;
    if (!v.contains(QLatin1Char('#')))
        path = GetProgramFolder(QStringLiteral("HELP")) + v;
    else
        path = WriteHelpRedirect(v); // an anchor cannot be part of a file name
    if (FShell)
        FShell->Open(path, QString(), QString());
}

QString TPalvaroApplication::WriteHelpRedirect(const QString &target)
{
    QString folder = GetProgramFolder(QStringLiteral("HELP"));
    // An installed copy cannot write into its data folder; the page goes with the settings then.
    if (!IsPortable())
        folder = ConfigFolder();
    const QString page = folder + QStringLiteral("help_redirect.html");
    QString body = QStringLiteral("<script type=\"text/javascript\"><!--\r\n"
                                  "window.location = \"%1\"\r\n"
                                  "--></script>\r\n");
    QString t = target;
    if (!IsPortable())
        t = QStringLiteral("file://") + GetProgramFolder(QStringLiteral("HELP")) + target;
    body = body.arg(t);
    WriteFileAtomically(page, body.toUtf8());
    return page;
}

void TPalvaroApplication::SetLogLevel(bool enabled)
{
    const int level = enabled ? 3 : 1;
    if (Ini)
        Ini->WriteInteger(QStringLiteral("Debug"), QStringLiteral("Level"), level);
    if (Log())
        Log()->Level = level;
}

void TPalvaroApplication::TerminateApplication(const QString &reason)
{
    LogInfo(QStringLiteral("TerminateApplication: ") + reason);
    if (FModules)
        FModules->SaveStoreNow();
    ReportLoggedErrors();
    FTerminateRequested = true;
    EndEventLoop();
}

void TPalvaroApplication::HaltApplication(const QString &reason)
{
    LogInfo(QStringLiteral("HaltApplication: ") + reason);
    // The finalizations free this object; nothing of it may be touched after them.
    if (FModules)
        FModules->RunFinalizations();
    TvornApplication::HaltProcess();
}

void TPalvaroApplication::ReportLoggedErrors()
{
    TvornLogFile *log = Log();
    if (!log)
        return;
    if (log->Level == 3)
        CopyLogToDesktop();
    // The box says the log was copied: only when it was.
    if (log->ErrorsLogged && CopyLogToDesktop()) {
        ShowBox(QStringLiteral("Error(s) have been detected during %1's operation.\r\r"
                                      "A log file named %2.log has been copied to your Desktop.\r"
                                      "Please attach this file to an e-mail and send it to %3.")
                           .arg(ProgramName, ProgramName, GetInternet(QStringLiteral("LOG-EMAIL"))),
                       TMsgIcon::Warning, TMsgButtons::Ok);
    }
}

bool TPalvaroApplication::CopyLogToDesktop()
{
    const QString source = LogPath();
    const QString dest = GetFolder(QStringLiteral("DESKTOP")) + GetFile(QStringLiteral("LOG"));
    QString why; // the system's reason, as strerror words it
    try {
        // A desktop folder that does not exist yet is made, as the user is told to look there.
        QDir().mkpath(GetFolder(QStringLiteral("DESKTOP")));
        // Replaced whole or not at all: a full disk keeps the earlier copy.
        if (!CopyFileAtomically(source, dest, &why))
            throw EvornError(QStringLiteral("Cannot open file %1").arg(source));
        LogInfo(QStringLiteral("Log copied to Desktop: ") + dest);
        return true;
    } catch (const EvornError &e) {
        QString text = e.Message();
        if (!why.isEmpty() && !text.endsWith(why))
            text += QStringLiteral(": ") + why;
        ShowBox(QStringLiteral("Error 17: Unable to copy LOG file: %1.").arg(text), TMsgIcon::Warning,
                       TMsgButtons::Ok);
        return false;
    }
}

void TPalvaroApplication::ShowSplash(const TResourceLibrary *library)
{
    auto *splash = new TPalvaroSplashForm(library, Version);
    splash->SetVisibilityTime(1500);
    splash->show();
}

TMsgResult TPalvaroApplication::ShowBox(const QString &text, TMsgIcon icon, TMsgButtons buttons,
                                        const QString &title) const
{
    return FBoxes ? FBoxes->Show(text, icon, buttons, title) : CautiousAnswer(buttons);
}
