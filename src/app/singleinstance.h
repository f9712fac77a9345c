#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One tool per user. The first start takes a lock and listens on a local socket; a later start
// finds the lock taken and hands over to the first instead: the running window comes to the
// front and opens the file the later start was given.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and listens for later starts; false when a running instance holds it. True
    // without either when this user has no private folder to keep them in.
    bool tryAcquire();
    // Why this instance, holding the lock, cannot listen for later starts (they then open windows
    // of their own); empty when it listens.
    QString listenFailure() const { return m_listenFailure; }
    // For a start that did not get the lock: asks the running instance to come to the front
    // and to open path unless it is empty. Gives up after timeoutMs; true when it was taken.
    // Tells nothing to a server of another user: false, as if nothing were running.
    bool handOver(const QString &path, int timeoutMs = 5000);

    // Where the lock lives: a folder only this user can write to (LocalUser::privateFolder);
    // empty when there is none, and then every start runs on its own.
    static QString lockPath();
    // The local socket: a full path beside the lock on Unix, a pipe name holding the user's SID
    // on Windows; empty when there is no private folder.
    static QString serverName();

signals:
    // A later start asked this one to come to the front, and to open path unless it is empty.
    void handedOver(const QString &path);

private:
    void readRequest(QLocalSocket *socket);

    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    QString m_listenFailure;
};
