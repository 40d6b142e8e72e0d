#pragma once
// Mail and web transfers. The implementations are the only code that speaks
// to a network library; the rest of the program sees these two interfaces.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>

struct TMailServer {
    QString Host;
    int Port = 25;
    QString User; // empty with an empty password: no login
    QString Password;
    int ReplyTimeoutSeconds = 60;
    // Set by another thread to end the exchange within about a second (the
    // program is ending); none: the exchange runs to its end.
    const std::atomic<bool> *Abort = nullptr;
};

struct TMailMessage {
    QString EnvelopeSender; // the address inside the angle brackets of From
    QStringList Recipients; // each one address, already split
    QByteArray Data; // headers and body, CR LF line ends
};

class IMailTransport {
public:
    virtual ~IMailTransport() = default;
    // Sends the message; false with the server's or the connection's reason.
    // The first refused recipient ends the attempt. Blocks the calling thread
    // for as long as the server takes, so callers run it away from the GUI
    // thread; an implementation may be used by several threads at once.
    virtual bool Send(const TMailServer &server, const TMailMessage &message, QString *errorText) = 0;
};

struct THttpReply {
    bool Ok = false; // a complete reply with a 2xx status
    int Status = 0; // 0 when no reply arrived
    QByteArray Body;
    QString ErrorText; // why not Ok
};

class IHttpClient {
public:
    virtual ~IHttpClient() = default;
    // A GET of url with certificates checked; blocks the calling thread, so
    // callers run it away from the GUI thread.
    virtual THttpReply Get(const QString &url) = 0;
};
