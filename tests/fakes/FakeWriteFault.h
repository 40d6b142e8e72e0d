#pragma once
// Makes one stage of the checked file writer fail, as a full disk would, for
// as long as the object lives. The writer asks BrivaneInjectedWriteFault
// (defined only here) before each stage.
#include "core/vornFile.h"

#include <cerrno>

class TFakeWriteFault {
public:
    // error: the errno the stage fails with; afterCalls: how many times the
    // stage succeeds first (a disk that fills up part way).
    explicit TFakeWriteFault(TWriteStage stage, int error = ENOSPC, int afterCalls = 0);
    ~TFakeWriteFault();
    TFakeWriteFault(const TFakeWriteFault &) = delete;
    TFakeWriteFault &operator=(const TFakeWriteFault &) = delete;

    // How many times the stage was asked about while this object lived.
    int Calls() const;
};
