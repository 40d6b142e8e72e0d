#include "platform/CurlHttp.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

// The plain exchanges are tested with the update check window against a local
// server; this is the one thing that needs a server of its own.
TEST(CurlHttpClient, RefusesAServerWhoseCertificateNobodyVouchesFor)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty() || !QSslSocket::supportsSsl())
        GTEST_SKIP() << "needs the openssl tool and Qt's TLS backend";
    QTemporaryDir dir;
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    QProcess make;
    make.start(openssl,
               {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    ASSERT_TRUE(make.waitForFinished(30000) && make.exitCode() == 0) << make.readAllStandardError().toStdString();
    QFile keyFile(key);
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate::fromPath(cert).value(0));
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
    QSslServer server;
    server.setSslConfiguration(tls);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    qputenv("no_proxy", "127.0.0.1");

    // The handshake needs this thread's event loop, so the client runs on another.
    TCurlHttpClient client;
    const QString url = QStringLiteral("https://127.0.0.1:%1/").arg(server.serverPort());
    std::future<THttpReply> pending = std::async(std::launch::async, [&] { return client.Get(url); });
    while (pending.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const THttpReply reply = pending.get();
    EXPECT_FALSE(reply.Ok);
    EXPECT_EQ(reply.Status, 0);
    // Not a time-out: a client that skipped the check would hang on the unread request.
    EXPECT_TRUE(reply.ErrorText.contains(QStringLiteral("certificate"), Qt::CaseInsensitive))
        << reply.ErrorText.toStdString();
}

// A port nobody listens on and a server that accepts but never answers are
// different faults, and the user reads which one it was.
TEST(CurlHttpClient, ARefusedConnectionAndATimeOutReadDifferently)
{
    qputenv("no_proxy", "127.0.0.1");
    TCurlHttpClient::TLimits limits;
    limits.ConnectSeconds = 1;
    limits.TotalSeconds = 1;
    TCurlHttpClient client(limits);

    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    const THttpReply refused = client.Get(QStringLiteral("http://127.0.0.1:%1/v").arg(closedPort));

    // The kernel completes the connection from the backlog; nobody reads the request.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const THttpReply timedOut = client.Get(QStringLiteral("http://127.0.0.1:%1/v").arg(silent.serverPort()));

    EXPECT_FALSE(refused.Ok);
    EXPECT_FALSE(timedOut.Ok);
    EXPECT_TRUE(refused.ErrorText.contains(QStringLiteral("Couldn't connect to server"))) << refused.ErrorText.toStdString();
    EXPECT_TRUE(timedOut.ErrorText.startsWith(QStringLiteral("Timeout was reached")))
        << timedOut.ErrorText.toStdString();
    EXPECT_FALSE(refused.ErrorText.contains(QStringLiteral("Timeout"), Qt::CaseInsensitive));
}
