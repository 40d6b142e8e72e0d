#pragma once
// The desktop's trash (freedesktop.org trash in the user's data folder).

#include <QString>
#include <memory>

// Where deleted things go, handed to whoever deletes on the user's behalf.
class ITrash {
public:
    virtual ~ITrash() = default;
    // Moves a file or folder to the trash; false when it is not there
    // afterwards. error, when given, receives the reason.
    virtual bool MoveToTrash(const QString &path, QString *error = nullptr) = 0;
};

namespace Trash {

// The desktop's trash, as below.
std::unique_ptr<ITrash> CreateDesktopTrash();

// Moves a file or folder to the desktop's trash; false when it is not there
// afterwards. error, when given, receives the reason.
bool MoveToTrash(const QString &path, QString *error = nullptr);

} // namespace Trash
