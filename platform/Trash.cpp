#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Trash {

namespace {
class TDesktopTrash final : public ITrash {
public:
    bool MoveToTrash(const QString &path, QString *error) override { return Trash::MoveToTrash(path, error); }
};
} // namespace

std::unique_ptr<ITrash> CreateDesktopTrash()
{
    return std::make_unique<TDesktopTrash>();
}

bool MoveToTrash(const QString &path, QString *error)
{
    if (path.isEmpty() || (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())) {
        if (error)
            *error = QStringLiteral("No such file");
        return false;
    }
    // Qt 6.4 "succeeds" by creating files/ and info/ in the current folder when
    // the user's data folder is missing; make sure it exists first.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) {
        if (error)
            *error = QStringLiteral("No data folder for the trash");
        return false;
    }
    QFile f(path);
    if (!f.moveToTrash()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace Trash
