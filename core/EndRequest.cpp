#include "core/EndRequest.h"

#include <QCoreApplication>

namespace {
bool g_endRequested = false;
}

void RequestProgramEnd()
{
    g_endRequested = true;
    // Leaves the nested loops of modal boxes and dialogs as well as the main one.
    if (QCoreApplication::instance())
        QCoreApplication::exit(0);
}

bool ProgramEndRequested()
{
    return g_endRequested;
}
