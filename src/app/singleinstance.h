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

    // Takes the lock and listens for later starts; false when a running instance holds it.
    bool tryAcquire();
    // For a start that did not get the lock: asks the running instance to come to the front
    // and to open path unless it is empty. Gives up after timeoutMs; true when it was taken.
    bool handOver(const QString &path, int timeoutMs = 5000);

    // Where the lock lives: the temporary directory, one file per user.
    static QString lockPath();
    // The local socket's name, one per user.
    static QString serverName();

signals:
    // A later start asked this one to come to the front, and to open path unless it is empty.
    void handedOver(const QString &path);

private:
    void readRequest(QLocalSocket *socket);

    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};
