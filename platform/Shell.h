#pragma once
// Opening programs, documents, folders and web addresses, the way the desktop
// does it. Results follow the old shell's convention: above 32 is success,
// 2 missing file, 3 missing folder, 11 not executable, 31 no handler.

#include <QString>
#include <QStringList>
#include <memory>

namespace Shell {

constexpr int kSuccess = 42;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kBadFormat = 11;
constexpr int kNoAssociation = 31;

class IShell {
public:
    virtual ~IShell() = default;
    // An executable file starts directly with its parameters split into
    // arguments (no shell); anything else goes to the default application.
    // A target without "/" is a program looked up on PATH; a leading "~/" is
    // the home folder; a quoted target may hold blanks.
    virtual int Open(const QString &target, const QString &parameters, const QString &folder) = 0;
    // The desktop's date/time settings, when one is installed.
    virtual bool StartDateTimeSettings() = 0;
};

// The desktop's own.
std::unique_ptr<IShell> CreateDesktopShell();

// Splits a parameter text into arguments: blanks separate, double quotes group.
QStringList SplitParameters(const QString &parameters);

} // namespace Shell
