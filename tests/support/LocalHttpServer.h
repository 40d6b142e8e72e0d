#pragma once
// A plain HTTP server on 127.0.0.1 for the web client's tests. It answers from
// the event loop of the thread that made it, so a client that blocked the
// test's thread would get no answer. Header-only: only suites that reach the
// platform layer include it.

#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <utility>

namespace TestSupport {

class LocalHttpServer {
public:
    LocalHttpServer()
    {
        // A proxy set in the environment must not be asked for the loopback.
        qputenv("no_proxy", "127.0.0.1");
        FServer.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&FServer, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = FServer.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
        });
    }

    QString Url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(FServer.serverPort()).arg(path);
    }
    // Other paths get a 404 with an HTML body.
    void Serve(const QString &path, const QByteArray &body) { FPages.insert(path, body); }
    // While held, requests wait unanswered until Release.
    void Hold() { FHold = true; }
    void Release()
    {
        FHold = false;
        for (const auto &[socket, path] : std::exchange(FWaiting, {}))
            if (socket)
                Answer(socket, path);
    }
    int Waiting() const { return int(FWaiting.size()); }
    QStringList Requests; // the paths asked for, in order

    // A port on which nothing listens.
    static quint16 DeadPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

private:
    void Read(QTcpSocket *socket)
    {
        QByteArray &request = FPartial[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        FPartial.remove(socket);
        Requests << path;
        if (FHold)
            FWaiting.append({QPointer<QTcpSocket>(socket), path});
        else
            Answer(socket, path);
    }

    void Answer(QTcpSocket *socket, const QString &path)
    {
        const bool found = FPages.contains(path);
        const QByteArray body = found ? FPages.value(path) : QByteArray("<html><body>Not Found</body></html>");
        socket->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") + QByteArray("Content-Length: ")
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer FServer;
    QHash<QString, QByteArray> FPages;
    QHash<QTcpSocket *, QByteArray> FPartial;
    QList<QPair<QPointer<QTcpSocket>, QString>> FWaiting;
    bool FHold = false;
};

} // namespace TestSupport
