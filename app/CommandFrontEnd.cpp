#include "app/CommandFrontEnd.h"

namespace Cli {

namespace {

TAnswer Offline(const TCommand &command, IFrontEndServices &s)
{
    TAnswer a = s.RunOnStore(command);
    s.ReleaseLock();
    if (a.ExitCode == ExitOk && command.Verb == TVerb::Add)
        a.Err += NotRunningNote();
    return a;
}

TAnswer FromCopy(const InstanceClient::TResult &r)
{
    if (r.Outcome == InstanceClient::TOutcome::Answered)
        return {r.Answer.ExitCode, r.Answer.Out, r.Answer.Err};
    return {ExitFailure, QString(), QStringLiteral("the running Brivane did not answer: %1\n").arg(r.Reason)};
}

} // namespace

QString NotRunningNote()
{
    return QStringLiteral("Brivane is not running: the reminder fires when it next runs.\n");
}

TFrontEndResult RunFrontEnd(const QStringList &args, TDateTime now, const QString &workingFolder, IFrontEndServices &s)
{
    TFrontEndResult result;
    TParseResult parsed = Parse(args, now);
    if (!parsed.Ok()) {
        result.Answer = {parsed.ExitCode, QString(), QStringLiteral("brivane: ") + parsed.Error + QLatin1Char('\n')};
        return result;
    }
    TCommand &command = parsed.Command;
    ResolveFiles(command, workingFolder);
    const TInstanceRequest request{args, workingFolder};
    switch (command.Verb) {
    case TVerb::Start: result.StartProgram = true; return result;
    case TVerb::Help: result.Answer = {ExitOk, UsageText(), QString()}; return result;
    case TVerb::Version: result.Answer = {ExitOk, VersionText(), QString()}; return result;
    case TVerb::Open:
        if (!s.TakeLock()) {
            const InstanceClient::TResult sent = s.Send(request);
            if (sent.Outcome != InstanceClient::TOutcome::NoCopy) {
                result.Answer = FromCopy(sent);
                return result;
            }
            // The copy ended meanwhile: start one that opens the window.
        } else {
            // The normal start takes the lock itself.
            s.ReleaseLock();
        }
        result.StartProgram = true;
        result.OpenAfterStart = command.Window;
        return result;
    default: break;
    }
    if (s.TakeLock()) {
        result.Answer = Offline(command, s);
        return result;
    }
    const InstanceClient::TResult sent = s.Send(request);
    // A copy that ended between the lock and the socket leaves the file to us.
    if (sent.Outcome == InstanceClient::TOutcome::NoCopy && s.TakeLock()) {
        result.Answer = Offline(command, s);
        return result;
    }
    result.Answer = FromCopy(sent);
    return result;
}

} // namespace Cli
