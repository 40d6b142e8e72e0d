#pragma once
// The program's own action windows, one class per kind of action; a new kind
// of window plugs in here alone.

#include "scheduler/ActionWindows.h"

class TActionForm;
struct TActionContext;

class TActionWindowFactory final : public IActionWindows {
public:
    // The windows are given context, which must outlive them.
    explicit TActionWindowFactory(TActionContext &context);

    bool Open(TActionKind kind, int i, bool startAtOnce) override;
    // A new window for the kind, not yet started; null when the program has
    // no window for the kind.
    TActionForm *Create(TActionKind kind);

private:
    TActionContext &FContext;
};
