#include "platform/SessionEnd.h"

#include "core/vornLogFile.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Where the handler writes: the pipe of the newest living source.
volatile sig_atomic_t g_writeEnd = -1;

void OnUnixSignal(int sig)
{
    const int saved = errno;
    const char c = static_cast<char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_writeEnd, &c, 1);
    errno = saved;
}

QString SignalName(int sig)
{
    switch (sig) {
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGQUIT: return QStringLiteral("SIGQUIT");
    }
    return QStringLiteral("signal %1").arg(sig);
}
} // namespace

TLinuxSessionEndSource::TLinuxSessionEndSource(QObject *parent)
    : ISessionEndSource(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, FPipe) == 0) {
        FNotifier = new QSocketNotifier(FPipe[1], QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, &TLinuxSessionEndSource::OnSignalPipe);
        FPreviousWriteEnd = g_writeEnd;
        g_writeEnd = FPipe[0];
        struct sigaction sa { };
        sa.sa_handler = OnUnixSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &sa, &FPrevious[i]);
        FInstalled = true;
    } else {
        LogError(QStringLiteral("Session end: no pipe for the signals; SIGTERM and Ctrl+C will not save"));
    }
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
            LogInfo(QStringLiteral("End requested by the session manager"));
            emit QueryEndSession();
        });
    }
}

TLinuxSessionEndSource::~TLinuxSessionEndSource()
{
    if (!FInstalled)
        return;
    // The handlers go first, so that none writes to a pipe about to close.
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &FPrevious[i], nullptr);
    g_writeEnd = FPreviousWriteEnd;
    delete FNotifier;
    ::close(FPipe[0]);
    ::close(FPipe[1]);
}

void TLinuxSessionEndSource::OnSignalPipe()
{
    char buf[16];
    ssize_t n;
    int last = 0;
    while ((n = ::read(FPipe[1], buf, sizeof buf)) > 0)
        last = static_cast<unsigned char>(buf[n - 1]);
    if (last == 0)
        return;
    LogInfo(QStringLiteral("End requested by ") + SignalName(last));
    emit QueryEndSession();
}
