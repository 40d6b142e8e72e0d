#pragma once
// A trash that keeps what it is handed where it is and notes the paths.

#include "platform/Trash.h"

#include <QStringList>

class TFakeTrash final : public ITrash {
public:
    bool MoveToTrash(const QString &path, QString *) override
    {
        Paths << path;
        return true;
    }
    QStringList Paths;
};
