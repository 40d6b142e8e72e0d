#include "scheduler/ActionFactory.h"

#include "scheduler/ActionFrm.h"
#include "scheduler/FullMoonFrm.h"
#include "scheduler/PopupNoteFrm.h"
#include "scheduler/RunProgramActionFrm.h"
#include "scheduler/SendemailActionFrm.h"
#include "scheduler/ShutdownFrm.h"

namespace {

TActionFormFactory &Factory()
{
    static TActionFormFactory factory;
    return factory;
}

} // namespace

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

TActionForm *CreateDefaultActionForm(TActionContext &context, TActionKind kind)
{
    // The windows are owned by the application, not by the scheduler: they
    // free themselves on close, and those still open at program end go with
    // the window teardown.
    switch (kind) {
    case TActionKind::Sound: return new TPlaysoundForm(context);
    case TActionKind::PopupNote: return new TPopupNoteForm(context);
    case TActionKind::Email: return new TSendemailActionForm(context);
    case TActionKind::RunProgram: return new TRunProgramActionForm(context);
    case TActionKind::Shutdown: return new TShutdownForm(context);
    case TActionKind::FullMoon: return new TFullMoonForm(context);
    }
    return nullptr;
}

TActionForm *CreateActionForm(TActionContext &context, TActionKind kind)
{
    const TActionFormFactory &factory = Factory();
    return factory ? factory(context, kind) : CreateDefaultActionForm(context, kind);
}

void SetActionFormFactory(TActionFormFactory factory)
{
    Factory() = std::move(factory);
}
