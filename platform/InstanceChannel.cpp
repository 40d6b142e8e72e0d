#include "platform/InstanceChannel.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QIODevice>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <algorithm>

namespace {

constexpr quint32 kRequestFormat = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

QByteArray Frame(const char *kind, const QByteArray &payload)
{
    return QByteArray(kind) + ' ' + QByteArray::number(payload.size()) + '\n' + payload;
}

// Reads "<kind> <bytes>\n": the payload's size, or -1 when the line is no such header.
qint64 PayloadSize(const QByteArray &line, const QByteArray &kind)
{
    const QByteArray text = line.trimmed();
    if (!text.startsWith(kind + ' '))
        return -1;
    bool ok = false;
    const qint64 n = text.mid(kind.size() + 1).toLongLong(&ok);
    return ok && n >= 0 && n <= InstanceFrames::MaxPayload ? n : -1;
}

} // namespace

namespace InstanceFrames {

QByteArray Request(const TInstanceRequest &request)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kRequestFormat << request.Args << request.WorkingFolder;
    return Frame("cmd", payload);
}

QByteArray Answer(const TInstanceAnswer &answer)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << qint32(answer.ExitCode) << answer.Out << answer.Err;
    return Frame("answer", payload);
}

std::optional<TInstanceRequest> ReadRequest(const QByteArray &payload)
{
    QDataStream in(payload);
    in.setVersion(kStreamVersion);
    quint32 format = 0;
    TInstanceRequest request;
    in >> format >> request.Args >> request.WorkingFolder;
    if (in.status() != QDataStream::Ok || format != kRequestFormat || !in.atEnd())
        return std::nullopt;
    return request;
}

std::optional<TInstanceAnswer> ReadAnswer(const QByteArray &payload)
{
    QDataStream in(payload);
    in.setVersion(kStreamVersion);
    qint32 code = 0;
    TInstanceAnswer answer;
    in >> code >> answer.Out >> answer.Err;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    answer.ExitCode = code;
    return answer;
}

} // namespace InstanceFrames

// ---- the running copy ----

TInstanceReply::TInstanceReply(const TInstanceRequest &request, QLocalSocket *socket)
    : QObject(socket)
    , FRequest(request)
    , FSocket(socket)
{
}

void TInstanceReply::Answer(const TInstanceAnswer &answer)
{
    if (FAnswered)
        return;
    FAnswered = true;
    FSocket->write(InstanceFrames::Answer(answer));
    // Closing waits until what was written has gone out.
    FSocket->disconnectFromServer();
}

TInstanceChannel::TInstanceChannel(QObject *parent)
    : QObject(parent)
{
}

TInstanceChannel::~TInstanceChannel()
{
    if (FServer)
        FServer->close();
}

bool TInstanceChannel::Listen(const QString &name)
{
    if (FServer)
        return FServer->isListening();
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a crashed copy must not block this one.
    QLocalServer::removeServer(name);
    connect(FServer, &QLocalServer::newConnection, this, &TInstanceChannel::OnNewConnection);
    return FServer->listen(name);
}

QString TInstanceChannel::ServerName() const
{
    return FServer ? FServer->fullServerName() : QString();
}

void TInstanceChannel::OnNewConnection()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // What arrived with the connection is read now, not at the next packet.
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void TInstanceChannel::OnReadyRead(QLocalSocket *socket)
{
    // Every first line is short: a caller that sends no end of line is no second start.
    constexpr qint64 kMaxLine = 64;
    if (!socket->canReadLine() && socket->bytesAvailable() > kMaxLine) {
        socket->abort();
        return;
    }
    while (socket->canReadLine()) {
        const QByteArray line = socket->peek(socket->bytesAvailable()).split('\n').constFirst();
        if (line.startsWith("show")) {
            socket->readLine();
            emit ShowRequested(line.trimmed().mid(5).toInt());
            continue;
        }
        const qint64 size = PayloadSize(line, "cmd");
        if (size < 0) {
            // Not ours (or a frame too big to hold): nothing more is read from this caller.
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < line.size() + 1 + size)
            return; // the rest of the payload is still coming
        socket->read(line.size() + 1);
        const std::optional<TInstanceRequest> request = InstanceFrames::ReadRequest(socket->read(size));
        if (!request) {
            socket->abort();
            return;
        }
        emit CommandRequested(new TInstanceReply(*request, socket));
        return; // one command per connection
    }
}

// ---- the second start ----

namespace InstanceClient {

TResult Send(const QString &serverName, const TInstanceRequest &request, int connectMs, int answerMs)
{
    TResult result;
    QLocalSocket socket;
    QDeadlineTimer connectDeadline(connectMs);
    for (;;) {
        socket.connectToServer(serverName);
        if (socket.waitForConnected(int(std::clamp<qint64>(connectDeadline.remainingTime(), 50, 1000))))
            break;
        if (connectDeadline.hasExpired()) {
            result.Reason = socket.errorString();
            return result;
        }
        // A copy that holds the lock may not be listening yet.
        QThread::msleep(100);
    }
    socket.write(InstanceFrames::Request(request));
    result.Outcome = TOutcome::NoAnswer;
    QDeadlineTimer answerDeadline(answerMs);
    QByteArray received;
    for (;;) {
        received += socket.readAll();
        const qsizetype newline = received.indexOf('\n');
        if (newline >= 0) {
            const qint64 size = PayloadSize(received.left(newline), "answer");
            if (size < 0) {
                result.Reason = QStringLiteral("the running copy sent no answer it could read");
                return result;
            }
            if (received.size() >= newline + 1 + size) {
                const std::optional<TInstanceAnswer> answer =
                    InstanceFrames::ReadAnswer(received.mid(newline + 1, size));
                if (!answer) {
                    result.Reason = QStringLiteral("the running copy's answer is damaged");
                    return result;
                }
                result.Outcome = TOutcome::Answered;
                result.Answer = *answer;
                return result;
            }
        }
        if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0) {
            result.Reason = QStringLiteral("the running copy closed the connection without an answer");
            return result;
        }
        if (answerDeadline.hasExpired()) {
            result.Reason = QStringLiteral("the running copy did not answer within %1 s").arg(answerMs / 1000);
            return result;
        }
        socket.waitForReadyRead(int(std::clamp<qint64>(answerDeadline.remainingTime(), 10, 1000)));
    }
}

} // namespace InstanceClient
