#include "app/BrivaneApplication.h"
#include "app/CommandFrontEnd.h"
#include "app/StoreCommands.h"
#include "core/Clock.h"
#include "platform/SessionType.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <optional>

namespace {

void Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char **argv)
{
    std::optional<Cli::TWindow> openAfterStart;
    if (argc > 1) {
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
