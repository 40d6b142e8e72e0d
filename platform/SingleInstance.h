#pragma once
// One running copy per user: a lock file stands for the named mutex, and a
// local socket carries the second copy's "show yourself" signal to the first.

#include <QObject>
#include <QString>
#include <memory>

class QLockFile;
class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // name: "BrivaneIncstanceController"; the user id is added.
    explicit TSingleInstance(const QString &name, QObject *parent = nullptr);
    ~TSingleInstance() override;

    // True when another copy already holds the lock.
    bool AlreadyExists();
    // Second copy: sends one "show" message. Only a failed send counts as
    // failure; no first copy listening yet is a silent success.
    bool PostShowSignal();
    // First copy: start receiving the signal (when the main window exists).
    bool Listen();

    QString LockPath() const;
    QString ServerName() const;

signals:
    // status is the message's show status (3 for a second copy).
    void ShowRequested(int status);

private:
    void OnNewConnection();
    QString FName;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer *FServer = nullptr;
};
