// klv90-cli.exe on Windows (under Wine on the build machine), run as a program: ports lists the
// ports Windows registers, and a download finds the controller on COM34, past port numbers 1
// to 30, as the window's search does.
#include "testports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Patience = 60000; // ms; a search over 30 ports and a download take seconds

// Runs klv90-cli.exe, which lies beside the test, to its end.
std::unique_ptr<QProcess> runCli(const QStringList &arguments)
{
    auto cli = std::make_unique<QProcess>();
    cli->start(QCoreApplication::applicationDirPath() + QStringLiteral("/klv90-cli.exe"),
               arguments);
    if (!cli->waitForFinished(Patience))
        cli->kill();
    return cli;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCliWindows : public QObject
{
    Q_OBJECT
private slots:
    void portsListsTheRegisteredPorts()
    {
        const auto cli = runCli({"ports", "--json"});
        QCOMPARE(cli->exitCode(), 0);
        const QByteArray out = cli->readAllStandardOutput();
        QJsonObject listed;
        for (const QJsonValue &port : QJsonDocument::fromJson(out).array()) {
            if (port[QStringLiteral("name")].toString() == TestPorts::listed())
                listed = port.toObject();
        }
        QVERIFY2(!listed.isEmpty(), out.constData());
        QVERIFY(listed["port"].isNull());
        QCOMPARE(listed["path"].toString(), "\\\\.\\" + TestPorts::listed());
    }

    // The search without --port or --device: numbers 1 to 30 first, then COM34; the log gets
    // its line through a handle that only appends.
    void downloadFindsTheListedPort()
    {
        const QString received = TestPorts::receivedThroughListed();
        QFile::remove(received);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("program.zzr"));
        const QByteArray bytes("KLV\x00\xFF\x00\x01\x7F\x00\x01\x7F\x00\x01\x00", 14);
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        const QString log = dir.filePath(QStringLiteral("downloads.jsonl"));
        const auto cli = runCli({"download", program, "--log", log});
        const QString err = QString::fromUtf8(cli->readAllStandardError());
        QCOMPARE(cli->exitCode(), 0);
        QVERIFY2(err.contains("controller found on " + TestPorts::listed() + "\n"),
                 qPrintable(err));
        QVERIFY2(err.endsWith("done: 1 step downloaded\n"), qPrintable(err));
        QTRY_COMPARE_WITH_TIMEOUT(contentsOf(received), bytes, Patience);
        const QJsonObject record = QJsonDocument::fromJson(contentsOf(log)).object();
        QCOMPARE(record["device"].toString(), TestPorts::listed());
        QCOMPARE(record["outcome"].toString(), QStringLiteral("completed"));
    }
};

QTEST_GUILESS_MAIN(TestCliWindows)
#include "tst_cli_windows.moc"
