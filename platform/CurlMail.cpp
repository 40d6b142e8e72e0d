#include "platform/CurlMail.h"
#include "platform/CurlText.h"

#include <QSysInfo>
#include <QUrl>
#include <curl/curl.h>

#include <cstring>
#include <mutex>

namespace {

constexpr int kImplicitTlsPort = 465;

struct TUpload {
    const QByteArray *Data = nullptr;
    qsizetype Pos = 0;
};

size_t ReadData(char *buffer, size_t size, size_t count, void *userp)
{
    auto *up = static_cast<TUpload *>(userp);
    const qsizetype left = up->Data->size() - up->Pos;
    const qsizetype n = std::min<qsizetype>(left, static_cast<qsizetype>(size * count));
    if (n > 0) {
        std::memcpy(buffer, up->Data->constData() + up->Pos, static_cast<size_t>(n));
        up->Pos += n;
    }
    return static_cast<size_t>(n);
}

// What the exchange showed beyond its result: whether the server offered
// STARTTLS, and its last reply (for the reason of a failure).
struct TTrace {
    bool OfferedStartTls = false;
    QByteArray LastReply;
};

int Trace(CURL *, curl_infotype type, char *data, size_t size, void *userp)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    auto *trace = static_cast<TTrace *>(userp);
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(size)).trimmed();
    // EHLO capabilities read "250-STARTTLS" or, as the last one, "250 STARTTLS".
    if (line.size() >= 12 && line.startsWith("250") && line.mid(4).trimmed().toUpper() == "STARTTLS")
        trace->OfferedStartTls = true;
    trace->LastReply = line;
    return 0;
}

int Progress(void *userp, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto *abort = static_cast<const std::atomic<bool> *>(userp);
    return abort && abort->load() ? 1 : 0;
}

struct TEasy {
    TEasy()
        : Handle(curl_easy_init())
    {
    }
    ~TEasy()
    {
        if (Recipients)
            curl_slist_free_all(Recipients);
        if (Handle)
            curl_easy_cleanup(Handle);
    }
    TEasy(const TEasy &) = delete;
    TEasy &operator=(const TEasy &) = delete;
    CURL *Handle;
    curl_slist *Recipients = nullptr;
};

QByteArray ServerUrl(const TMailServer &server)
{
    QUrl url;
    url.setScheme(server.Port == kImplicitTlsPort ? QStringLiteral("smtps") : QStringLiteral("smtp"));
    url.setHost(server.Host);
    url.setPort(server.Port);
    // The path names this machine in the greeting (EHLO); without it the
    // client would call itself "localhost", which some servers refuse.
    const QString self = QSysInfo::machineHostName();
    if (!self.isEmpty())
        url.setPath(QLatin1Char('/') + self);
    return url.toEncoded();
}

// One connection. tls: what the client asks of a plain connection.
CURLcode Attempt(const TMailServer &server, const TMailMessage &message, curl_usessl tls, TTrace &trace,
                 QString &reason)
{
    TEasy easy;
    if (!easy.Handle) {
        reason = QStringLiteral("the mail library could not start");
        return CURLE_FAILED_INIT;
    }
    CURL *h = easy.Handle;
    char error[CURL_ERROR_SIZE] = {};
    TUpload upload{&message.Data, 0};
    const QByteArray url = ServerUrl(server);
    const QByteArray from = "<" + message.EnvelopeSender.toUtf8() + ">";
    for (const QString &r : message.Recipients)
        easy.Recipients = curl_slist_append(easy.Recipients, ("<" + r.toUtf8() + ">").constData());
    const QByteArray user = server.User.toUtf8();
    const QByteArray password = server.Password.toUtf8();
    const QByteArray caFile = qgetenv("SSL_CERT_FILE");
    const QByteArray caDir = qgetenv("SSL_CERT_DIR");

    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L); // used from worker threads
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(tls));
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    // OpenSSL's own way of naming another set of trusted authorities; without
    // it the system's set applies.
    if (!caFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, caFile.constData());
    if (!caDir.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAPATH, caDir.constData());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(server.ReplyTimeoutSeconds));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(server.ReplyTimeoutSeconds));
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, easy.Recipients);
    // A refused recipient ends the whole attempt (libcurl's default, spelled
    // out because later versions let it be changed).
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 0L);
    if (!user.isEmpty() || !password.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, ReadData);
    curl_easy_setopt(h, CURLOPT_READDATA, &upload);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.Data.size()));
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, Trace);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &trace);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L); // feeds Trace; nothing is printed
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, server.Abort);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

    const CURLcode rc = curl_easy_perform(h);
    if (rc != CURLE_OK) {
        reason = CurlFailureText(rc, error);
        if (!trace.LastReply.isEmpty())
            reason += QStringLiteral(" (server: ") + QString::fromUtf8(trace.LastReply) + QLatin1Char(')');
    }
    return rc;
}

} // namespace

TCurlMailTransport::TCurlMailTransport()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool TCurlMailTransport::Send(const TMailServer &server, const TMailMessage &message, QString *errorText)
{
    QString reason;
    auto fail = [&](const QString &why) {
        if (errorText)
            *errorText = why;
        return false;
    };
    if (server.Host.isEmpty())
        return fail(QStringLiteral("no mail server"));
    if (message.Recipients.isEmpty())
        return fail(QStringLiteral("no recipient"));

    const bool login = !server.User.isEmpty() || !server.Password.isEmpty();
    TTrace trace;
    if (server.Port == kImplicitTlsPort)
        return Attempt(server, message, CURLUSESSL_NONE, trace, reason) == CURLE_OK || fail(reason);
    if (!login) {
        // Nothing secret to lose: encrypted when the server can, else in clear.
        return Attempt(server, message, CURLUSESSL_TRY, trace, reason) == CURLE_OK || fail(reason);
    }
    // With a login, TLS is demanded: libcurl's "try" would go on in clear after
    // a refused STARTTLS and send the password. Only a server that did not
    // offer STARTTLS at all is asked again without TLS.
    const CURLcode rc = Attempt(server, message, CURLUSESSL_ALL, trace, reason);
    if (rc == CURLE_OK)
        return true;
    if (rc != CURLE_USE_SSL_FAILED || trace.OfferedStartTls || trace.LastReply.isEmpty())
        return fail(reason);
    TTrace clear;
    return Attempt(server, message, CURLUSESSL_NONE, clear, reason) == CURLE_OK || fail(reason);
}
