#include "scheduler/ActionWindows.h"

QString ActionKindName(TActionKind kind)
{
    switch (kind) {
    case TActionKind::Sound: return QStringLiteral("sound");
    case TActionKind::PopupNote: return QStringLiteral("popup note");
    case TActionKind::Email: return QStringLiteral("e-mail");
    case TActionKind::RunProgram: return QStringLiteral("run program");
    case TActionKind::Shutdown: return QStringLiteral("shutdown");
    case TActionKind::FullMoon: return QStringLiteral("full moon");
    }
    return QString();
}
