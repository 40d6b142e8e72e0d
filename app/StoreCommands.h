#pragma once
// The command line with no copy running: the commands work on the store file
// itself, under the same lock that keeps one copy, and never start the tray
// program.

#include "app/CommandFrontEnd.h"
#include "storage/vornStorage.h"

#include <memory>

class TSingleInstance;

// Loads the store, runs the command on it and saves it when the command
// changed the list. A store that cannot be read, or one in an older format,
// is left alone; a missing store is made only where no backup of it waits to
// be restored (the program's next start offers that).
Cli::TAnswer RunOnStoreFile(const TStoreSetup &setup, const Cli::TCommand &command, TDateTime now,
                            const QString &timeSuffix);

// The real services of a second start.
class TDesktopFrontEnd : public Cli::IFrontEndServices {
public:
    // instanceName: the one-copy lock's and socket's name ("BrivaneIncstanceController").
    TDesktopFrontEnd(const QString &instanceName, const TStoreSetup &setup, const QString &timeSuffix);
    ~TDesktopFrontEnd() override;

    bool TakeLock() override;
    void ReleaseLock() override;
    InstanceClient::TResult Send(const TInstanceRequest &request) override;
    Cli::TAnswer RunOnStore(const Cli::TCommand &command) override;

private:
    QString FName;
    TStoreSetup FSetup;
    QString FTimeSuffix;
    std::unique_ptr<TSingleInstance> FLock; // held while set
};
