#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <unistd.h>

namespace {
QString RuntimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}
const QByteArray kShowMessage = "show 3\n";
} // namespace

TSingleInstance::TSingleInstance(const QString &name, QObject *parent)
    : QObject(parent)
    , FName(name)
{
}

TSingleInstance::~TSingleInstance()
{
    if (FServer)
        FServer->close();
}

QString TSingleInstance::LockPath() const
{
    return RuntimeFolder() + QLatin1Char('/') + FName + QLatin1Char('-') + QString::number(getuid())
           + QStringLiteral(".lock");
}

QString TSingleInstance::ServerName() const
{
    return RuntimeFolder() + QLatin1Char('/') + FName + QLatin1Char('-') + QString::number(getuid())
           + QStringLiteral(".sock");
}

bool TSingleInstance::AlreadyExists()
{
    FLock = std::make_unique<QLockFile>(LockPath());
    // A lock left by a crashed copy names a dead process; QLockFile takes it over.
    FLock->setStaleLockTime(0);
    if (FLock->tryLock(0))
        return false;
    if (FLock->error() == QLockFile::LockFailedError) {
        FLock.reset();
        return true;
    }
    // The lock cannot be made at all (unwritable runtime folder): run rather than refuse.
    FLock.reset();
    return false;
}

bool TSingleInstance::PostShowSignal()
{
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(1000))
        return true; // nobody listening yet: the first copy is still starting
    socket.write(kShowMessage);
    const bool ok = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return ok;
}

bool TSingleInstance::Listen()
{
    if (FServer)
        return true;
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a crashed copy must not block this one.
    QLocalServer::removeServer(ServerName());
    connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
    return FServer->listen(ServerName());
}

void TSingleInstance::OnNewConnection()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().trimmed();
                if (line.startsWith("show"))
                    emit ShowRequested(line.mid(5).toInt());
            }
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}
