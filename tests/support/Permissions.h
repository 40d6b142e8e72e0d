#pragma once
// File permissions that hold in tests run as root.

#include <QFile>
#include <QString>
#include <cstring>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace TestSupport {

// While alive, this thread checks file permissions like an ordinary user: as
// root, a folder without write permission is otherwise written all the same.
// Active() is false when that could not be arranged (the test then skips).
class PermissionsEnforced {
public:
    PermissionsEnforced()
    {
        FHeader.version = _LINUX_CAPABILITY_VERSION_3;
        FHeader.pid = 0;
        if (syscall(SYS_capget, &FHeader, FSaved) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, FSaved, sizeof reduced);
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[cap / 32].effective &= ~(1u << (cap % 32));
        FChanged = syscall(SYS_capset, &FHeader, reduced) == 0;
    }
    ~PermissionsEnforced()
    {
        if (FChanged)
            syscall(SYS_capset, &FHeader, FSaved);
    }
    // True when a file cannot be made in the folder.
    static bool FolderRefusesWrites(const QString &folder)
    {
        QFile probe(folder + QStringLiteral("/.probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            return false;
        }
        return true;
    }

private:
    __user_cap_header_struct FHeader{};
    __user_cap_data_struct FSaved[2]{};
    bool FChanged = false;
};

// Removes write permission from a folder for the scope.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &folder)
        : FFolder(folder)
        , FSaved(QFile::permissions(folder))
    {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    }
    ~ReadOnlyFolder() { QFile::setPermissions(FFolder, FSaved); }

private:
    QString FFolder;
    QFileDevice::Permissions FSaved;
};

} // namespace TestSupport
