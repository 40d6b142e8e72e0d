#pragma once
// A level-3 log in a throw-away folder, installed as the program's log while alive.

#include "core/vornLogFile.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace TestSupport {

class CapturedLog {
public:
    CapturedLog()
        : FLog(FDir.path() + QStringLiteral("/test.log"), 3, 1, 1)
        , FRecording(FLog)
    {
    }
    CapturedLog(const CapturedLog &) = delete;
    CapturedLog &operator=(const CapturedLog &) = delete;

    QString Text() const
    {
        QFile f(FLog.Path());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QStringList Lines() const { return Text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts); }
    bool Contains(const QString &line) const { return Lines().contains(line); }
    bool AnyStartsWith(const QString &prefix) const
    {
        for (const QString &l : Lines())
            if (l.startsWith(prefix))
                return true;
        return false;
    }
    TvornLogFile &Log() { return FLog; }

private:
    QTemporaryDir FDir;
    TvornLogFile FLog;
    TvornLogFile::TRecording FRecording;
};

} // namespace TestSupport
