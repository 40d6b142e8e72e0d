#include "app/BrivaneApplication.h"
#include "app/CommandFrontEnd.h"
#include "app/StoreCommands.h"
#include "core/Clock.h"
#include "platform/SessionType.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

void Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Qt's own options (a session manager's -session, -platform, -style ...)
// start the program as they always did: the application object reads them.
bool StartsWithToolkitOption(int argc, char **argv)
{
    static const char *const options[] = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                          "-qwindowgeometry", "-qwindowtitle", "-qwindowicon", "-reverse",
                                          "-session", "-display", "-geometry", "-style", "-stylesheet",
                                          "-widgetcount", "-nograb", "-dograb", "-sync", "-title", "-name"};
    if (argc < 2)
        return false;
    for (const char *option : options) {
        if (std::strcmp(argv[1], option) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    std::optional<Cli::TWindow> openAfterStart;
    if (argc > 1 && !StartsWithToolkitOption(argc, argv)) {
        // A command is answered without the window system: a script's
        // `brivane list` must work where no desktop is, and makes no tray.
        QCoreApplication commandLine(argc, argv);
        const std::unique_ptr<TDesktopFrontEnd> services = TBrivaneApplication::DesktopFrontEnd();
        const Cli::TFrontEndResult result =
            Cli::RunFrontEnd(QCoreApplication::arguments().mid(1), Clock::Now(), QDir::currentPath(), *services);
        if (!result.StartProgram) {
            Print(stdout, result.Answer.Out);
            Print(stderr, result.Answer.Err);
            return result.Answer.ExitCode;
        }
        openAfterStart = result.OpenAfterStart;
    }
    // Before the application object: it picks the window system once.
    const QString sessionNote = SessionType::KeepX11Windows();
    QApplication toolkit(argc, argv);
    TBrivaneApplication application;
    application.SetStartNote(sessionNote);
    if (openAfterStart)
        application.OpenAfterStart(*openAfterStart);
    return application.Run();
}
