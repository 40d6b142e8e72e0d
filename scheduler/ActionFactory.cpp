#include "scheduler/ActionFactory.h"

#include "scheduler/ActionFrm.h"
#include "scheduler/FullMoonFrm.h"
#include "scheduler/PopupNoteFrm.h"
#include "scheduler/RunProgramActionFrm.h"
#include "scheduler/SendemailActionFrm.h"
#include "scheduler/ShutdownFrm.h"

TActionWindowFactory::TActionWindowFactory(TActionContext &context)
    : FContext(context)
{
}

TActionForm *TActionWindowFactory::Create(TActionKind kind)
{
    // The windows are owned by the application, not by the scheduler: they
    // free themselves on close, and those still open at program end go with
    // the window teardown.
    switch (kind) {
    case TActionKind::Sound: return new TPlaysoundForm(FContext);
    case TActionKind::PopupNote: return new TPopupNoteForm(FContext);
    case TActionKind::Email: return new TSendemailActionForm(FContext);
    case TActionKind::RunProgram: return new TRunProgramActionForm(FContext);
    case TActionKind::Shutdown: return new TShutdownForm(FContext);
    case TActionKind::FullMoon: return new TFullMoonForm(FContext);
    }
    return nullptr;
}

bool TActionWindowFactory::Open(TActionKind kind, int i, bool startAtOnce)
{
    TActionForm *form = Create(kind);
    if (!form)
        return false;
    StartActionWindow(*form, i, startAtOnce);
    return true;
}
