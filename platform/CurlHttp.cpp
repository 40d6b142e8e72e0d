#include "platform/CurlHttp.h"
#include "platform/CurlText.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {

void InitCurlOnce()
{
    // Not safe to race with other threads' first use, so it runs once before any.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TBodySink {
    QByteArray Body;
    qint64 Limit = 0;
    bool TooLarge = false;
};

size_t AppendBody(char *data, size_t size, size_t count, void *user)
{
    auto *sink = static_cast<TBodySink *>(user);
    const size_t bytes = size * count;
    if (sink->Body.size() + qint64(bytes) > sink->Limit) {
        sink->TooLarge = true;
        return 0; // ends the transfer with a write error
    }
    sink->Body.append(data, qsizetype(bytes));
    return bytes;
}

struct TCurlCleanup {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};

} // namespace

THttpReply TCurlHttpClient::Get(const QString &url)
{
    InitCurlOnce();
    THttpReply reply;
    std::unique_ptr<CURL, TCurlCleanup> handle(curl_easy_init());
    if (!handle) {
        reply.ErrorText = QStringLiteral("The web client could not start.");
        return reply;
    }
    CURL *h = handle.get();
    const QByteArray address = url.toUtf8();
    // A redirect may not turn an https exchange into a plain one.
    const bool secure = url.startsWith(QLatin1String("https:"), Qt::CaseInsensitive);
    TBodySink sink;
    sink.Limit = FLimits.MaxBodyBytes;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    // Signals cannot interrupt a name look-up on a worker thread; the time
    // limits still hold without them.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, long(FLimits.ConnectSeconds));
    curl_easy_setopt(h, CURLOPT_TIMEOUT, long(FLimits.TotalSeconds));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(FLimits.MaxBodyBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);

    const CURLcode result = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    reply.Status = int(status);
    if (result != CURLE_OK) {
        if (sink.TooLarge || result == CURLE_FILESIZE_EXCEEDED)
            reply.ErrorText = QStringLiteral("The reply is larger than %1 bytes.").arg(FLimits.MaxBodyBytes);
        else
            reply.ErrorText = CurlFailureText(result, errorBuffer);
        return reply;
    }
    reply.Body = std::move(sink.Body);
    reply.Ok = status >= 200 && status < 300;
    if (!reply.Ok)
        reply.ErrorText = QStringLiteral("HTTP status %1").arg(status);
    return reply;
}
