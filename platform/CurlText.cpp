#include "platform/CurlText.h"

#include <curl/curl.h>

QString CurlFailureText(int code, const char *details)
{
    const QString general = QString::fromUtf8(curl_easy_strerror(CURLcode(code)));
    const QString more = QString::fromUtf8(details).trimmed();
    if (more.isEmpty() || more.contains(general))
        return more.isEmpty() ? general : more;
    return general + QStringLiteral(": ") + more;
}
