#pragma once
// Fakes of the notification area, hot keys, login manager, mail and web: they
// record what was asked and answer as a test set them up.

#include "platform/Network.h"
#include "platform/Power.h"
#include "platform/Tray.h"

#include <QMap>
#include <QMetaMethod>
#include <QVector>

class FakeTrayIcon : public ITrayIcon {
public:
    bool Available() const override { return HasArea; }
    bool Show(const QIcon &, const QString &toolTip, QMenu *menu) override
    {
        Shown = HasArea;
        ToolTip = toolTip;
        Menu = menu;
        return HasArea;
    }
    void SetToolTip(const QString &toolTip) override { ToolTip = toolTip; }
    void Hide() override { Shown = false; }
    bool HasArea = true;
    bool Shown = false;
    QString ToolTip;
    QMenu *Menu = nullptr;
};

class FakeHotKeys : public IHotKeys {
public:
    TResult Register(int id, QChar letter) override
    {
        if (Unsupported)
            return TResult::Unsupported;
        if (Taken.contains(letter.toUpper()))
            return TResult::Taken;
        Keys[letter.toUpper()] = id;
        return TResult::Registered;
    }
    void Unregister(int id) override
    {
        Keys.removeIf([id](auto it) { return it.value() == id; });
    }
    // Presses the key registered for letter, as the desktop would.
    bool Press(QChar letter)
    {
        const auto it = Keys.constFind(letter.toUpper());
        if (it == Keys.cend() || !isSignalConnected(QMetaMethod::fromSignal(&IHotKeys::Pressed)))
            return false;
        emit Pressed(it.value());
        return true;
    }
    bool Unsupported = false;
    QString Taken; // letters another program holds
    QMap<QChar, int> Keys; // letter -> id; an id may hold several letters
};

class FakePower : public IPower {
public:
    bool CanRequest(QString *errorText) override
    {
        if (!Reachable && errorText)
            *errorText = Error;
        return Reachable;
    }
    bool Request(TAction action, QString *errorText) override
    {
        Requests << action;
        if (!Reachable && errorText)
            *errorText = Error;
        return Reachable;
    }
    // Whether anyone hears the machine sleep and wake.
    bool Heard() const { return isSignalConnected(QMetaMethod::fromSignal(&IPower::SleepChanged)); }
    bool Reachable = true;
    QString Error = QStringLiteral("no login manager");
    QVector<TAction> Requests;
};

class FakeMailTransport : public IMailTransport {
public:
    bool Send(const TMailServer &server, const TMailMessage &message, QString *errorText) override
    {
        Servers << server;
        Messages << message;
        if (!Error.isEmpty() && errorText)
            *errorText = Error;
        return Error.isEmpty();
    }
    QString Error; // empty: every message is accepted
    QVector<TMailServer> Servers;
    QVector<TMailMessage> Messages;
};

class FakeHttpClient : public IHttpClient {
public:
    THttpReply Get(const QString &url) override
    {
        Urls << url;
        return Reply;
    }
    THttpReply Reply;
    QStringList Urls;
};
