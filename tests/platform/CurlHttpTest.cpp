#include "platform/CurlHttp.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QStandardPaths>
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
