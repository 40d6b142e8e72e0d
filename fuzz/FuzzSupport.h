#pragma once
// What every fuzz target shares: a throw-away home so that no input can reach
// the real user's files, a pinned clock so that a finding replays the same
// way, an inert shell, and the check that turns a broken promise into a finding.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace Shell {
class IShell;
}

namespace FuzzSupport {

enum class TApp { Core, Gui };

// Call from LLVMFuzzerInitialize, before anything reads the environment.
void Prepare(TApp app = TApp::Core);
// The sandbox folder, with a trailing "/".
const QString &Root();
// A shell that starts nothing and answers "file not found".
Shell::IShell &InertShell();
// The programs the code asked that shell to start since the last call, and forgets them.
QStringList TakeShellRequests();

// A finding: prints what broke and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const char *what);
inline void Check(bool condition, const char *what)
{
    if (!condition)
        Fail(what);
}

bool WriteFile(const QString &path, const QByteArray &bytes);
QByteArray ReadFile(const QString &path);

// The input without a copy, so that AddressSanitizer sees its exact end.
inline QByteArray Bytes(const uint8_t *data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace FuzzSupport
