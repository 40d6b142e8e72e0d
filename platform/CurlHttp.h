#pragma once
// The web client over libcurl. Certificates are checked against the system's
// trusted store, and every transfer ends within its time limits.

#include "platform/Network.h"

class TCurlHttpClient : public IHttpClient {
public:
    struct TLimits {
        int ConnectSeconds = 15;
        int TotalSeconds = 30; // the whole exchange, redirects included
        qint64 MaxBodyBytes = 256 * 1024; // a bigger body is refused, not read on
    };

    TCurlHttpClient() = default;
    explicit TCurlHttpClient(const TLimits &limits)
        : FLimits(limits)
    {
    }

    // Safe to call from several threads at once: each call has its own handle.
    THttpReply Get(const QString &url) override;

private:
    TLimits FLimits;
};
