#pragma once
// Makes the action window for one kind of action, so the scheduler never names
// a window class and a new kind of window plugs in here alone.

#include <QString>
#include <functional>

class TActionForm;
struct TActionContext;

enum class TActionKind { Sound, PopupNote, Email, RunProgram, Shutdown, FullMoon };

QString ActionKindName(TActionKind kind);

// A new window for the kind, not yet started (the caller starts it); null when
// the program has no window for the kind.
TActionForm *CreateActionForm(TActionContext &context, TActionKind kind);
// The program's own windows, whatever factory is installed.
TActionForm *CreateDefaultActionForm(TActionContext &context, TActionKind kind);

// Replaces the windows CreateActionForm makes (tests count and record them);
// an empty function brings back the program's own.
using TActionFormFactory = std::function<TActionForm *(TActionContext &context, TActionKind kind)>;
void SetActionFormFactory(TActionFormFactory factory);
