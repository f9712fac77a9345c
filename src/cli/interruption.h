#pragma once

#include <QObject>

// Ctrl-C and its kin, turned into a signal on the event loop: SIGINT and SIGTERM on POSIX
// systems, Ctrl+C, Ctrl+Break and the console's close button on Windows. While one of these
// lives the program is not ended by them; it is told and ends itself, tidily.
class Interruption : public QObject
{
    Q_OBJECT
public:
    explicit Interruption(QObject *parent = nullptr);
    ~Interruption() override;

    // Call once the program has finished its tidying up after requested(): on Windows, closing
    // the console ends the process as soon as the handler returns, so the handler waits for this.
    void tidiedUp();

signals:
    void requested();

private:
    struct Platform;
    Platform *m_platform;
};

// The exit status of a program ended this way: 128 plus SIGINT's number, as shells report it.
constexpr int InterruptedExitStatus = 130;
