#include "platform/CurlHttp.h"
#include "tests/support/LocalHttpServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

using TestSupport::LocalHttpServer;

namespace {

// Runs the GET on a worker thread while this thread keeps serving.
THttpReply FetchWhileServing(IHttpClient &client, const QString &url)
{
    std::future<THttpReply> reply = std::async(std::launch::async, [&] { return client.Get(url); });
    while (reply.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return reply.get();
}

} // namespace

TEST(CurlHttpClient, StatusesRedirectsAndLimits)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    const QByteArray file = "[CurrentVersion]\r\nver=3.93\r\n";
    server.Serve("/file", {200, file, {}});
    server.Serve("/moved", {302, {}, "Location: /file\r\n"});
    server.Serve("/big", {200, QByteArray(4096, 'x'), {}});
    server.Serve("/empty", {204, {}, {}});

    TCurlHttpClient::TLimits limits;
    limits.MaxBodyBytes = 1024;
    TCurlHttpClient client(limits);
    const QString dead = QStringLiteral("http://127.0.0.1:%1/file").arg(LocalHttpServer::DeadPort());
    struct Case {
        QString url;
        bool ok;
        int status;
        QByteArray body;
        QString errorPart;
    } cases[] = {
        {server.Url("/file"), true, 200, file, {}},
        {server.Url("/moved"), true, 200, file, {}}, // followed
        {server.Url("/empty"), true, 204, {}, {}},
        {server.Url("/missing"), false, 404, {}, "404"}, // an answer, but not the file
        {server.Url("/big"), false, 200, {}, "larger than 1024"},
        {dead, false, 0, {}, {}},
        {QStringLiteral("ftp://127.0.0.1/file"), false, 0, {}, {}}, // only the web's protocols
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const THttpReply reply = FetchWhileServing(client, c.url);
        EXPECT_EQ(reply.Ok, c.ok);
        EXPECT_EQ(reply.Status, c.status);
        if (c.ok) {
            EXPECT_EQ(reply.Body, c.body);
        } else {
            EXPECT_FALSE(reply.ErrorText.isEmpty());
        }
        if (!c.errorPart.isEmpty()) {
            EXPECT_TRUE(reply.ErrorText.contains(c.errorPart)) << reply.ErrorText.toStdString();
        }
    }
}

TEST(CurlHttpClient, GivesUpWhenTheServerNeverAnswers)
{
    LocalHttpServer server;
    server.Hold();
    TCurlHttpClient::TLimits limits;
    limits.TotalSeconds = 1;
    TCurlHttpClient client(limits);
    const THttpReply reply = FetchWhileServing(client, server.Url("/file"));
    EXPECT_FALSE(reply.Ok);
    EXPECT_EQ(reply.Status, 0);
    EXPECT_EQ(server.Waiting(), 1);
}

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
    TCurlHttpClient client;
    const THttpReply reply =
        FetchWhileServing(client, QStringLiteral("https://127.0.0.1:%1/").arg(server.serverPort()));
    EXPECT_FALSE(reply.Ok);
    EXPECT_EQ(reply.Status, 0);
    EXPECT_TRUE(reply.ErrorText.contains(QStringLiteral("certificate"), Qt::CaseInsensitive))
        << reply.ErrorText.toStdString();
}
