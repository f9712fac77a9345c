#pragma once

// Runs the real klv90-cli binary (KLV90_CLI, the path of the built target) and keeps what it
// printed and how it ended.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <unistd.h>
#endif

struct CliRun
{
    bool ended = false; // it ended by itself within the time given
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QString errText() const { return QString::fromUtf8(err); }
};

// The environment of a user in a console: no display, no platform chosen for Qt.
inline QProcessEnvironment consoleEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

// Runs klv90-cli with the arguments; stderr goes to errFile when one is given (a terminal, say).
// With asUser (a root test only), the program runs as that user and in its group of the same
// number, or asGroup, and in no other group.
inline CliRun runCli(const QStringList &arguments, const QString &errFile = {},
                     int timeoutMs = 60000, std::optional<uint> asUser = std::nullopt,
                     std::optional<uint> asGroup = std::nullopt)
{
    QProcess process;
    process.setProcessEnvironment(consoleEnvironment());
#ifdef Q_OS_UNIX
    if (asUser) {
        process.setChildProcessModifier([id = *asUser, group = asGroup.value_or(*asUser)] {
            if (setgroups(0, nullptr) != 0 || setgid(group) != 0 || setuid(id) != 0)
                _exit(99);
        });
    }
#endif
    if (!errFile.isEmpty())
        process.setStandardErrorFile(errFile, QIODevice::Append);
    process.start(QStringLiteral(KLV90_CLI), arguments);
    CliRun run;
    run.ended = process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
    if (!run.ended) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
