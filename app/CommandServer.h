#pragma once
// The running copy's side of the command line: it answers the commands a
// second start hands over through the single-instance channel, on the
// running copy's own list. Windows are opened by whoever listens to
// OpenRequested; the list is saved by whoever keeps it on disk (every change
// marks it modified).

#include "app/CommandLine.h"
#include "platform/InstanceChannel.h"

#include <QObject>

class TTaskList;
class TPreferences;

class TCommandServer : public QObject {
    Q_OBJECT
public:
    // prefs: for the list's time format; may be null (24-hour clock).
    TCommandServer(TTaskList &list, const TPreferences *prefs, QObject *parent = nullptr);

    // The answer to one request, read with the running copy's clock.
    TInstanceAnswer Answer(const TInstanceRequest &request);

public slots:
    // Connected to TInstanceChannel::CommandRequested.
    void OnCommandRequested(TInstanceReply *reply);

signals:
    // `brivane open ...`, or a plain start handed over as a command.
    void OpenRequested(Cli::TWindow window);
    // A reminder was added or imported: the Reminders window sorts and shows it.
    void ListChanged();

private:
    TTaskList &FList;
    const TPreferences *FPrefs;
};
