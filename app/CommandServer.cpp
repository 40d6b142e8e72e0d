#include "app/CommandServer.h"

#include "app/Commands.h"
#include "core/Clock.h"
#include "model/TaskList.h"
#include "storage/GlobalPreferences.h"

TCommandServer::TCommandServer(TTaskList &list, const TPreferences *prefs, QObject *parent)
    : QObject(parent)
    , FList(list)
    , FPrefs(prefs)
{
}

void TCommandServer::OnCommandRequested(TInstanceReply *reply)
{
    reply->Answer(Answer(reply->Request()));
}

TInstanceAnswer TCommandServer::Answer(const TInstanceRequest &request)
{
    const TDateTime now = Clock::Now();
    Cli::TParseResult parsed = Cli::Parse(request.Args, now);
    if (!parsed.Ok())
        return {parsed.ExitCode, QString(), parsed.Error + QLatin1Char('\n')};
    Cli::TCommand &command = parsed.Command;
    Cli::ResolveFiles(command, request.WorkingFolder);
    switch (command.Verb) {
    case Cli::TVerb::Help: return {Cli::ExitOk, Cli::UsageText(), QString()};
    case Cli::TVerb::Version: return {Cli::ExitOk, Cli::VersionText(), QString()};
    case Cli::TVerb::Start: emit OpenRequested(Cli::TWindow::Reminders); return {};
    case Cli::TVerb::Open: emit OpenRequested(command.Window); return {};
    default: break;
    }
    const int before = FList.Count();
    const Cli::TAnswer a = Cli::RunOnList(FList, command, now, FPrefs ? FPrefs->TimeFormatSuffix() : QString());
    if (FList.Count() != before)
        emit ListChanged();
    return {a.ExitCode, a.Out, a.Err};
}
