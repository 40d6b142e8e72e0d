#pragma once
// The local socket between the running copy and a second start of the
// program. A second start either asks the running copy to show itself (the
// line "show N", as always) or hands it a command line and waits for the
// answer: exit status, standard output and standard error.
//
// On the wire, after the line "cmd <bytes>" or "answer <bytes>" follow that
// many bytes of a QDataStream: a request is its format number, the arguments
// and the caller's working folder; an answer is the exit status and the two texts.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

class QLocalServer;
class QLocalSocket;

struct TInstanceRequest {
    QStringList Args; // after the program's name
    QString WorkingFolder; // relative file names are the caller's
    bool operator==(const TInstanceRequest &) const = default;
};

struct TInstanceAnswer {
    int ExitCode = 0;
    QString Out;
    QString Err;
    bool operator==(const TInstanceAnswer &) const = default;
};

namespace InstanceFrames {
// A frame larger than this is no request of ours: the connection is dropped.
constexpr qint64 MaxPayload = 4 * 1024 * 1024;
QByteArray Request(const TInstanceRequest &request);
QByteArray Answer(const TInstanceAnswer &answer);
// The payloads back; nullopt when they are not whole and well-formed.
std::optional<TInstanceRequest> ReadRequest(const QByteArray &payload);
std::optional<TInstanceAnswer> ReadAnswer(const QByteArray &payload);
} // namespace InstanceFrames

// One command received by the running copy; answer it once, now or later.
// It goes with its connection: when the caller gives up, the pointer a
// handler kept turns null.
class TInstanceReply : public QObject {
    Q_OBJECT
public:
    TInstanceReply(const TInstanceRequest &request, QLocalSocket *socket);
    const TInstanceRequest &Request() const { return FRequest; }
    // Sends the answer and closes the connection once written; later calls do nothing.
    void Answer(const TInstanceAnswer &answer);
    bool Answered() const { return FAnswered; }

private:
    TInstanceRequest FRequest;
    QLocalSocket *FSocket;
    bool FAnswered = false;
};

// The running copy's end.
class TInstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit TInstanceChannel(QObject *parent = nullptr);
    ~TInstanceChannel() override;
    // Listens under name (only this user may connect); a socket left by a
    // crashed copy is removed first.
    bool Listen(const QString &name);
    QString ServerName() const;

signals:
    // A second start without arguments; status is the message's show status.
    void ShowRequested(int status);
    // A command line; the receiver answers through reply, which lives until
    // the answer is written or the caller disconnects.
    void CommandRequested(TInstanceReply *reply);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket *socket);
    QLocalServer *FServer = nullptr;
};

// The second start's end. Blocking: it runs before any event loop.
namespace InstanceClient {
enum class TOutcome { Answered, NoCopy, NoAnswer };
struct TResult {
    TOutcome Outcome = TOutcome::NoCopy;
    TInstanceAnswer Answer;
    QString Reason; // for NoCopy and NoAnswer
};
// Connects (trying for up to connectMs while a starting copy has no socket
// yet), sends the request and waits up to answerMs for the answer.
TResult Send(const QString &serverName, const TInstanceRequest &request, int connectMs = 5000, int answerMs = 30000);
} // namespace InstanceClient
