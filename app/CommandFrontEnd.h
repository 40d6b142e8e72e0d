#pragma once
// What a start with arguments does before the application object exists:
// print help or the version, refuse a bad command line, hand a command to the
// running copy and print its answer, or work on the store file itself when
// no copy runs. Only `brivane` alone and `open` with no copy running go on to
// start the program.

#include "app/Commands.h"
#include "platform/InstanceChannel.h"

#include <optional>

namespace Cli {

// The services the front end needs; the program gives the real ones, tests fakes.
class IFrontEndServices {
public:
    virtual ~IFrontEndServices() = default;
    // Takes the lock that keeps one copy: true when this process holds it now
    // (no copy runs), false when a running copy holds it.
    virtual bool TakeLock() = 0;
    virtual void ReleaseLock() = 0;
    virtual InstanceClient::TResult Send(const TInstanceRequest &request) = 0;
    // add, list, import or export on the store file, with the lock held;
    // saves the file when the list changed. Unreadable store: ExitFailure and why.
    virtual TAnswer RunOnStore(const TCommand &command) = 0;
};

struct TFrontEndResult {
    bool StartProgram = false; // go on with the normal start
    std::optional<TWindow> OpenAfterStart; // the window to open once started
    TAnswer Answer; // what to print and the exit status, when not starting
};

TFrontEndResult RunFrontEnd(const QStringList &args, TDateTime now, const QString &workingFolder,
                            IFrontEndServices &services);

// The line `add` prints on stderr when it wrote the store file itself.
QString NotRunningNote();

} // namespace Cli
