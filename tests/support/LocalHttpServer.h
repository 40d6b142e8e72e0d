#pragma once
// A plain HTTP server on 127.0.0.1 for the web client's tests. It answers from
// the event loop of the thread that made it, so the client under test must
// run on another thread while the test waits in an event loop; a client that
// blocked the test's thread would get no answer. Header-only: only suites
// that reach the platform layer include it.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <utility>

namespace TestSupport {

class LocalHttpServer {
public:
    struct Page {
        int Status = 200;
        QByteArray Body;
        QByteArray ExtraHeaders; // each line ending in "\r\n"
    };

    LocalHttpServer()
    {
        // A proxy set in the environment must not be asked for the loopback.
        qputenv("no_proxy", "127.0.0.1,localhost");
        qputenv("NO_PROXY", "127.0.0.1,localhost");
        FServer.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&FServer, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = FServer.nextPendingConnection())
                Accept(socket);
        });
    }

    bool IsListening() const { return FServer.isListening(); }
    QString Url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(FServer.serverPort()).arg(path);
    }
    // Paths without a page get a 404 with a small HTML body.
    void Serve(const QString &path, const Page &page) { FPages.insert(path, page); }
    // While held, requests wait unanswered until Release.
    void Hold() { FHold = true; }
    void Release()
    {
        FHold = false;
        const QList<QPair<QPointer<QTcpSocket>, QString>> waiting = std::exchange(FWaiting, {});
        for (const auto &[socket, path] : waiting)
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
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

private:
    void Accept(QTcpSocket *socket)
    {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray &request = FPartial[socket];
            request += socket->readAll();
            if (!request.contains("\r\n\r\n"))
                return;
            const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
            FPartial.remove(socket);
            const QString path = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
            Requests << path;
            if (FHold)
                FWaiting.append({QPointer<QTcpSocket>(socket), path});
            else
                Answer(socket, path);
        });
    }

    void Answer(QTcpSocket *socket, const QString &path)
    {
        const Page page = FPages.value(path, Page{404, "<html><body>Not Found</body></html>", {}});
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(page.Status) + " Test\r\n";
        reply += "Content-Type: text/plain\r\nConnection: close\r\n";
        reply += "Content-Length: " + QByteArray::number(page.Body.size()) + "\r\n";
        reply += page.ExtraHeaders + "\r\n" + page.Body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer FServer;
    QHash<QString, Page> FPages;
    QHash<QTcpSocket *, QByteArray> FPartial;
    QList<QPair<QPointer<QTcpSocket>, QString>> FWaiting;
    bool FHold = false;
};

} // namespace TestSupport
