#pragma once
// The mail transport of the program: one SMTP exchange per message over
// libcurl. TLS is used whenever the server offers it (STARTTLS, or TLS from
// the first byte on port 465) and its certificate is checked against the
// system's trusted authorities. A login is never sent over a connection that
// a server offering TLS did not turn encrypted; only a server that offers no
// TLS at all gets it in clear.

#include "platform/Network.h"

class TCurlMailTransport : public IMailTransport {
public:
    TCurlMailTransport();
    bool Send(const TMailServer &server, const TMailMessage &message, QString *errorText) override;
};
