#include "tests/fakes/FakeWriteFault.h"

namespace {
struct Fault {
    bool active = false;
    int stage = 0;
    int error = 0;
    int afterCalls = 0;
    int calls = 0;
};
Fault g_fault;
} // namespace

extern "C" int BrivaneInjectedWriteFault(int stage)
{
    if (!g_fault.active || stage != g_fault.stage)
        return 0;
    return g_fault.calls++ >= g_fault.afterCalls ? g_fault.error : 0;
}

TFakeWriteFault::TFakeWriteFault(TWriteStage stage, int error, int afterCalls)
{
    g_fault = Fault{true, int(stage), error, afterCalls, 0};
}

TFakeWriteFault::~TFakeWriteFault()
{
    g_fault = Fault{};
}

int TFakeWriteFault::Calls() const
{
    return g_fault.calls;
}
