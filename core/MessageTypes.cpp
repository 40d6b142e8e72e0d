#include "core/MessageTypes.h"

TMsgResult CautiousAnswer(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::Ok: return TMsgResult::Ok;
    case TMsgButtons::OkIgnore: return TMsgResult::Ignore;
    case TMsgButtons::YesNo: return TMsgResult::No;
    case TMsgButtons::YesAbort: return TMsgResult::Abort;
    }
    return TMsgResult::Ok;
}
