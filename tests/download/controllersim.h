#pragma once

#include "portnames.h"

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

// The controller simulator (klv90-sim) in a child process, with the trace it prints.
class ControllerSim
{
public:
    // environment: variables set for it on top of the test's own, as "NAME=value".
    explicit ControllerSim(const QStringList &options = {}, const QStringList &environment = {});
    ~ControllerSim();

    // The pseudo-terminal it answers on; empty when it did not start.
    QString path() const { return m_path; }
    // Every trace line printed so far.
    QStringList lines();
    // The messages it received (hex), and the replies it sent, in order.
    QStringList received();
    QStringList replies();
    bool hasLine(const QString &line) { return lines().contains(line); }

private:
    QStringList linesStartingWith(const QString &prefix);

    QProcess m_process;
    QString m_path;
    QStringList m_lines;
    QByteArray m_partial;
};

// A pseudo-terminal held by the test: a port that opens but answers only what the test sends.
class TestPty
{
public:
    TestPty();
    ~TestPty();
    TestPty(const TestPty &) = delete;
    TestPty &operator=(const TestPty &) = delete;

    QString path() const { return m_path; }
    // Everything the tool has written so far.
    QByteArray received();
    void send(const QByteArray &bytes);
    // Whether the tool's side is closed (after it had been opened).
    bool isHungUp() const;
    // Closes the terminal for good: to the tool, the device is gone.
    void vanish();

private:
    int m_fd = -1;
    QString m_path;
    QByteArray m_received;
};

// Whether this machine gives pseudo-terminals, the tests' serial lines.
bool pseudoTerminalsAvailable();

// Maps the given port numbers to their devices and every other number to a device that does
// not exist.
Klv::PortMapping portsAt(const QMap<int, QString> &devices);

// Bytes as the simulator traces them: "48 45 4C 4C 4F".
QString hexBytes(const QByteArray &bytes);
