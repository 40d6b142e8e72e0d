#include "platform/SessionEnd.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};

void OnUnixSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &c, 1);
}
} // namespace

TSessionEndWatcher::TSessionEndWatcher(QObject *parent)
    : QObject(parent)
{
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) == 0) {
        ::fcntl(g_pipe[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(g_pipe[1], F_SETFD, FD_CLOEXEC);
        ::fcntl(g_pipe[0], F_SETFL, O_NONBLOCK);
        ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    }
    if (g_pipe[1] >= 0) {
        FNotifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, &TSessionEndWatcher::OnSignalPipe);
        struct sigaction sa { };
        sa.sa_handler = OnUnixSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGHUP, &sa, nullptr);
    }
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { emit QueryEndSession(); });
    }
}

TSessionEndWatcher::~TSessionEndWatcher()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
}

void TSessionEndWatcher::OnSignalPipe()
{
    char buf[16];
    while (::read(g_pipe[1], buf, sizeof buf) > 0) {
    }
    emit QueryEndSession();
}
