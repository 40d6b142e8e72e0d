#pragma once
// A shell that records what was asked and answers with a set code.

#include "platform/Shell.h"

#include <QStringList>

namespace Shell {

class FakeShell : public IShell {
public:
    int Open(const QString &target, const QString &parameters, const QString &folder) override
    {
        Opened.append(target);
        LastParameters = parameters;
        LastFolder = folder;
        return Result;
    }
    bool StartDateTimeSettings() override
    {
        ++DateTimeSettingsStarted;
        return true;
    }
    QStringList Opened;
    QString LastParameters;
    QString LastFolder;
    int Result = kSuccess;
    int DateTimeSettingsStarted = 0;
};

} // namespace Shell
