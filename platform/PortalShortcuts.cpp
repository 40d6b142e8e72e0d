#include "platform/PortalShortcuts.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcPortal, "brivane.portal")

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// One element of the portal's a(sa{sv}): a shortcut's id and its properties.
struct TPortalShortcut {
    QString Id;
    QVariantMap Properties;
};

QDBusArgument &operator<<(QDBusArgument &arg, const TPortalShortcut &s)
{
    arg.beginStructure();
    arg << s.Id << s.Properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, TPortalShortcut &s)
{
    arg.beginStructure();
    arg >> s.Id >> s.Properties;
    arg.endStructure();
    return arg;
}

QString PathText(const QVariant &v)
{
    if (v.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return v.value<QDBusObjectPath>().path();
    return v.toString();
}

QString ResponseText(uint response)
{
    return response == 1 ? QStringLiteral("cancelled by the user") : QStringLiteral("refused (%1)").arg(response);
}

} // namespace

Q_DECLARE_METATYPE(TPortalShortcut)

TPortalHotKeys::TPortalHotKeys(const QDBusConnection &bus, const QHash<int, TShortcutName> &names, QObject *parent)
    : IHotKeys(parent)
    , FBus(bus)
    , FNames(names)
{
    qDBusRegisterMetaType<TPortalShortcut>();
    qDBusRegisterMetaType<QList<TPortalShortcut>>();
    FSupported = PortalVersion(FBus) > 0;
    if (FSupported
        && !FBus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                         SLOT(OnActivated(QDBusMessage))))
        qCWarning(lcPortal) << "cannot listen for activated shortcuts:" << FBus.lastError().message();
}

TPortalHotKeys::~TPortalHotKeys()
{
    // The keys go with the session: closing it gives them back to the desktop.
    if (!FSession.isEmpty())
        FBus.send(QDBusMessage::createMethodCall(kService, FSession, QStringLiteral("org.freedesktop.portal.Session"),
                                                 QStringLiteral("Close")));
}

uint TPortalHotKeys::PortalVersion(const QDBusConnection &bus)
{
    if (!bus.isConnected())
        return 0;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCInfo(lcPortal) << "no GlobalShortcuts portal:" << reply.errorMessage();
        return 0;
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

QString TPortalHotKeys::PreferredTrigger(QChar letter)
{
    return QStringLiteral("CTRL+SHIFT+") + letter.toUpper();
}

QString TPortalHotKeys::ManualBindingHint(QChar addLetter, QChar listLetter)
{
    const QString add = QStringLiteral("Ctrl+Shift+") + addLetter.toUpper();
    const QString list = QStringLiteral("Ctrl+Shift+") + listLetter.toUpper();
    // Short enough for the information dialog, which does not grow.
    return QStringLiteral("This desktop keeps %1 and %2 from Brivane while another program has the focus.\r"
                          "Add them in its keyboard settings as custom shortcuts:\r"
                          "    brivane open add            (%1)\r"
                          "    brivane open reminders   (%2)\r"
                          "GNOME: Settings > Keyboard > Custom Shortcuts.")
        .arg(add, list);
}

IHotKeys::TResult TPortalHotKeys::Register(int id, QChar letter)
{
    if (!FSupported || !FNames.contains(id))
        return TResult::Unsupported;
    FWanted[id] = letter.toUpper();
    ScheduleBind();
    return TResult::Registered;
}

void TPortalHotKeys::Unregister(int id)
{
    if (FWanted.remove(id) > 0 && FSupported)
        ScheduleBind();
}

void TPortalHotKeys::ScheduleBind()
{
    FBindDue = true;
    if (FBindScheduled)
        return;
    // The keys registered one after the other at start-up go in one request:
    // each request may put a dialog in front of the user.
    FBindScheduled = true;
    QTimer::singleShot(0, this, [this] {
        FBindScheduled = false;
        if (FSession.isEmpty())
            CreateSession();
        else
            BindNow();
    });
}

QString TPortalHotKeys::NextToken(const char *what)
{
    return QStringLiteral("brivane_%1_%2_%3")
        .arg(QLatin1String(what))
        .arg(QCoreApplication::applicationPid())
        .arg(++FTokenCounter);
}

QString TPortalHotKeys::RequestPath(const QString &token) const
{
    QString sender = FBus.baseService();
    sender.remove(0, sender.startsWith(QLatin1Char(':')) ? 1 : 0).replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

bool TPortalHotKeys::ListenForResponse(const QString &path, const char *slot)
{
    return FBus.connect(QString(), path, kRequest, QStringLiteral("Response"), this, slot);
}

void TPortalHotKeys::StopListening(QString &path, const char *slot)
{
    if (!path.isEmpty())
        FBus.disconnect(QString(), path, kRequest, QStringLiteral("Response"), this, slot);
    path.clear();
}

void TPortalHotKeys::CreateSession()
{
    if (!FSessionRequest.isEmpty())
        return; // one is on its way; its answer binds
    const QString token = NextToken("request");
    // Listening before the call: the answer may come before the call returns.
    FSessionRequest = RequestPath(token);
    ListenForResponse(FSessionRequest, SLOT(OnSessionResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CreateSession"));
    call << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), NextToken("session")}};
    auto *watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            StopListening(FSessionRequest, SLOT(OnSessionResponse(uint, QVariantMap)));
            emit Failed(QStringLiteral("CreateSession: ") + reply.error().message());
            return;
        }
        // Portals before version 0.9 chose the request's path themselves.
        const QString handle = reply.value().path();
        if (!FSessionRequest.isEmpty() && handle != FSessionRequest) {
            StopListening(FSessionRequest, SLOT(OnSessionResponse(uint, QVariantMap)));
            FSessionRequest = handle;
            ListenForResponse(FSessionRequest, SLOT(OnSessionResponse(uint, QVariantMap)));
        }
    });
}

void TPortalHotKeys::OnSessionResponse(uint response, const QVariantMap &results)
{
    StopListening(FSessionRequest, SLOT(OnSessionResponse(uint, QVariantMap)));
    if (response != 0) {
        emit Failed(QStringLiteral("CreateSession ") + ResponseText(response));
        return;
    }
    FSession = PathText(results.value(QStringLiteral("session_handle")));
    if (FSession.isEmpty()) {
        emit Failed(QStringLiteral("CreateSession gave no session"));
        return;
    }
    qCInfo(lcPortal) << "global shortcuts session" << FSession;
    if (FBindDue)
        BindNow();
}

void TPortalHotKeys::BindNow()
{
    // One bind at a time: what changed meanwhile goes out when it is answered.
    if (!FBindRequest.isEmpty() || FSession.isEmpty())
        return;
    FBindDue = false;
    QList<TPortalShortcut> shortcuts;
    for (auto it = FWanted.cbegin(); it != FWanted.cend(); ++it) {
        const TShortcutName name = FNames.value(it.key());
        shortcuts.append({name.Id,
                          {{QStringLiteral("description"), name.Description},
                           {QStringLiteral("preferred_trigger"), PreferredTrigger(it.value())}}});
    }
    const QString token = NextToken("request");
    FBindRequest = RequestPath(token);
    ListenForResponse(FBindRequest, SLOT(OnBindResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(FSession)) << QVariant::fromValue(shortcuts) << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto *watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            StopListening(FBindRequest, SLOT(OnBindResponse(uint, QVariantMap)));
            emit Failed(QStringLiteral("BindShortcuts: ") + reply.error().message());
            return;
        }
        const QString handle = reply.value().path();
        if (!FBindRequest.isEmpty() && handle != FBindRequest) {
            StopListening(FBindRequest, SLOT(OnBindResponse(uint, QVariantMap)));
            FBindRequest = handle;
            ListenForResponse(FBindRequest, SLOT(OnBindResponse(uint, QVariantMap)));
        }
    });
}

void TPortalHotKeys::OnBindResponse(uint response, const QVariantMap &results)
{
    StopListening(FBindRequest, SLOT(OnBindResponse(uint, QVariantMap)));
    if (response != 0) {
        emit Failed(QStringLiteral("BindShortcuts ") + ResponseText(response));
    } else {
        QMap<QString, QString> triggers;
        QList<TPortalShortcut> bound;
        const QVariant v = results.value(QStringLiteral("shortcuts"));
        if (v.canConvert<QDBusArgument>())
            v.value<QDBusArgument>() >> bound;
        for (const TPortalShortcut &s : bound)
            triggers.insert(s.Id, s.Properties.value(QStringLiteral("trigger_description")).toString());
        qCInfo(lcPortal) << "shortcuts bound:" << triggers;
        emit Bound(triggers);
    }
    if (FBindDue)
        BindNow();
}

void TPortalHotKeys::OnActivated(const QDBusMessage &message)
{
    // (o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QVariantList args = message.arguments();
    if (args.size() < 2 || PathText(args.at(0)) != FSession || FSession.isEmpty())
        return;
    const QString shortcutId = args.at(1).toString();
    for (auto it = FNames.cbegin(); it != FNames.cend(); ++it) {
        // A key given up meanwhile opens nothing, as an ungrabbed one would.
        if (it.value().Id == shortcutId && FWanted.contains(it.key()))
            emit Pressed(it.key());
    }
}
