#include "platform/LoginManager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QVariant>

#include <unistd.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
constexpr int kCallTimeoutMs = 10000;

bool Fail(QString *errorText, const QString &why)
{
    if (errorText)
        *errorText = why;
    return false;
}

// A blocking call; false with the bus's reason when it did not succeed.
bool Call(const QString &path, const QString &interface, const QString &method, const QVariantList &args,
          QDBusMessage *reply, QString *errorText)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(args);
    const QDBusMessage r = QDBusConnection::systemBus().call(m, QDBus::Block, kCallTimeoutMs);
    if (r.type() != QDBusMessage::ReplyMessage)
        return Fail(errorText, method + QStringLiteral(": ") + r.errorName() + QStringLiteral(" ") + r.errorMessage());
    if (reply)
        *reply = r;
    return true;
}

} // namespace

TLoginManagerPower::TLoginManagerPower(QObject *parent)
    : IPower(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected())
        FListening = bus.connect(kService, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                                 SLOT(PrepareForSleep(bool)));
}

bool TLoginManagerPower::CanRequest(QString *errorText)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return Fail(errorText, QStringLiteral("no system bus: ") + bus.lastError().message());
    const QDBusReply<bool> there = bus.interface()->isServiceRegistered(kService);
    if (!there.isValid() || !there.value())
        return Fail(errorText, QStringLiteral("no login manager on the system bus"));
    return true;
}

bool TLoginManagerPower::Request(TAction action, QString *errorText)
{
    if (!CanRequest(errorText))
        return false;
    // Not interactive: nobody is asked for a password, the request is granted
    // by the login manager's policy or refused.
    switch (action) {
    case TAction::PowerOff:
        return Call(kManagerPath, kManager, QStringLiteral("PowerOff"), {false}, nullptr, errorText);
    case TAction::Reboot: return Call(kManagerPath, kManager, QStringLiteral("Reboot"), {false}, nullptr, errorText);
    case TAction::LogOff: {
        const QString id = qEnvironmentVariable("XDG_SESSION_ID");
        if (!id.isEmpty())
            return Call(kManagerPath, kManager, QStringLiteral("TerminateSession"), {id}, nullptr, errorText);
        QDBusMessage reply;
        if (!Call(kManagerPath, kManager, QStringLiteral("GetSessionByPID"), {quint32(::getpid())}, &reply, errorText))
            return false;
        const QVariantList out = reply.arguments();
        const QString path = out.isEmpty() ? QString() : out.first().value<QDBusObjectPath>().path();
        if (path.isEmpty())
            return Fail(errorText, QStringLiteral("the program's session is not known"));
        return Call(path, kSession, QStringLiteral("Terminate"), {}, nullptr, errorText);
    }
    }
    return Fail(errorText, QStringLiteral("unknown action"));
}

void TLoginManagerPower::PrepareForSleep(bool sleeping)
{
    emit SleepChanged(sleeping);
}
