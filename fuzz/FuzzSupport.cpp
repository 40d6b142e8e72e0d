#include "fuzz/FuzzSupport.h"

#include "core/DateTime.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeShell.h"
#include "tests/support/SandboxHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

namespace {

QString g_root;
Shell::FakeShell g_shell;

} // namespace

void Prepare(TApp app)
{
    // Under the run's TMPDIR (scripts/fuzz puts that in memory, so that the
    // flushes of atomic writes cost nothing); removed when the run ends.
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/brivane-fuzz-home-XXXXXX"));
    if (!home.isValid())
        Fail("no sandbox folder could be made");
    g_root = home.path() + QLatin1Char('/');
    TestSupport::PointHomeAt(home.path(), "fuzz");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Local times without daylight-saving gaps, the same on every machine.
    qputenv("TZ", "UTC");
    for (const char *sub : {"Documents", "store/Backup", "prog", "prefs", "ini"})
        QDir(home.path()).mkpath(QString::fromLatin1(sub));

    // Qt would take out the arguments it knows: it gets a vector of its own
    // (which it keeps, hence static), libFuzzer's stays as it is. The
    // application is never deleted: at exit Qt's own globals are gone first.
    static int qtArgc = 1;
    static char qtName[] = "brivane-fuzz";
    static char *qtArgv[] = {qtName, nullptr};
    if (app == TApp::Gui)
        new QGuiApplication(qtArgc, qtArgv);
    else
        new QCoreApplication(qtArgc, qtArgv);

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    Clock::Pin(EncodeDateTime(2024, 6, 15, 12, 30, 0, 0));
    g_shell.Result = Shell::kFileNotFound;
}

const QString &Root()
{
    return g_root;
}

Shell::IShell &InertShell()
{
    return g_shell;
}

QStringList TakeShellRequests()
{
    QStringList opened;
    opened.swap(g_shell.Opened);
    return opened;
}

void Fail(const char *what)
{
    std::fprintf(stderr, "==brivane-fuzz== broken promise: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace FuzzSupport
