#pragma once
// Hot keys on a Wayland session, through the desktop portal's GlobalShortcuts
// interface on the session bus. The portal, not the program, owns the keys:
// the program names each shortcut and proposes a key, the desktop may ask the
// user and lets them change it later in its settings. Every portal call
// answers later through a Request object's Response signal.

#include "platform/Tray.h"

#include <QDBusConnection>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusMessage;

class TPortalHotKeys : public IHotKeys {
    Q_OBJECT
public:
    // The portal's names for the program's keys: IHotKeys ids stay numbers.
    struct TShortcutName {
        QString Id; // "add-reminder"
        QString Description; // what the desktop's settings list
    };

    TPortalHotKeys(const QDBusConnection &bus, const QHash<int, TShortcutName> &names, QObject *parent = nullptr);
    ~TPortalHotKeys() override;

    // The GlobalShortcuts version the portal on the bus offers; 0 when it offers none.
    static uint PortalVersion(const QDBusConnection &bus);
    // "CTRL+SHIFT+T", the form the portal reads a proposed key in.
    static QString PreferredTrigger(QChar letter);
    // What to tell the user once where the portal offers no shortcuts: how
    // to bind the commands in the desktop's own keyboard settings (lines end in "\r").
    static QString ManualBindingHint(QChar addLetter, QChar listLetter);

    // Unsupported without the portal's interface. Otherwise the key is asked
    // for (keys registered together go in one request) and Registered is the
    // answer: whether the desktop gives it is the portal's and the user's choice.
    TResult Register(int id, QChar letter) override;
    void Unregister(int id) override;

    bool SessionOpen() const { return !FSession.isEmpty(); }

signals:
    // The portal bound the shortcuts; descriptions: portal id -> the key the desktop shows.
    void Bound(const QMap<QString, QString> &triggers);
    // A request was refused or failed (the user cancelled, no portal).
    void Failed(const QString &reason);

private slots:
    void OnSessionResponse(uint response, const QVariantMap &results);
    void OnBindResponse(uint response, const QVariantMap &results);
    void OnActivated(const QDBusMessage &message);

private:
    void ScheduleBind();
    void CreateSession();
    void BindNow();
    // The path a request with token will have, to listen there before calling.
    QString RequestPath(const QString &token) const;
    QString NextToken(const char *what);
    bool ListenForResponse(const QString &path, const char *slot);
    void StopListening(QString &path, const char *slot);

    QDBusConnection FBus;
    QHash<int, TShortcutName> FNames;
    QMap<int, QChar> FWanted; // id -> letter, what the next bind asks for
    QString FSession; // the session's object path once created
    QString FSessionRequest; // the pending CreateSession's request path
    QString FBindRequest; // the pending BindShortcuts' request path
    bool FBindDue = false; // the wanted keys changed since the last bind was sent
    bool FBindScheduled = false;
    bool FSupported = false;
    int FTokenCounter = 0;
};
