// Where the tool keeps what only its user may see, on real folders, and whose end of a local
// socket is whose.
#include "localuser.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr uint Nobody = 65534; // the unprivileged account; the test adds no user of its own

} // namespace

class TestLocalUser : public QObject
{
    Q_OBJECT
private slots:
#ifdef Q_OS_UNIX
    // The runtime folder when it is the user's alone, else one made in the temporary folder,
    // else one in the user's cache; a folder taken must be a real one of the user's, mode 0700.
    void privateFolder_data()
    {
        QTest::addColumn<QString>(
            "runtime"); // XDG_RUNTIME_DIR: none, private, open, link, nobody's
        QTest::addColumn<QString>(
            "temporary");                    // <tmp>/klv90-<uid> before: none, open, link, nobody's
        QTest::addColumn<QString>("chosen"); // runtime, temporary or cache
        QTest::newRow("runtime folder") << "private"
                                        << "none"
                                        << "runtime";
        QTest::newRow("no runtime folder") << "none"
                                           << "none"
                                           << "temporary";
        QTest::newRow("runtime folder open to others") << "open"
                                                       << "none"
                                                       << "temporary";
        QTest::newRow("runtime folder a link") << "link"
                                               << "none"
                                               << "temporary";
        QTest::newRow("runtime folder of another user") << "nobody's"
                                                        << "none"
                                                        << "temporary";
        QTest::newRow("temporary folder there") << "none"
                                                << "private"
                                                << "temporary";
        QTest::newRow("temporary folder open to others") << "none"
                                                         << "open"
                                                         << "cache";
        QTest::newRow("temporary folder a link") << "none"
                                                 << "link"
                                                 << "cache";
        QTest::newRow("temporary folder of another user") << "none"
                                                          << "nobody's"
                                                          << "cache";
    }
    void privateFolder()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, temporary);
        QFETCH(QString, chosen);
        if ((runtime == u"nobody's" || temporary == u"nobody's") && geteuid() != 0)
            QSKIP("needs root, to make a folder of another user");
        QTemporaryDir dir;
        const QString tmp = dir.filePath(QStringLiteral("tmp"));
        const QMap<QString, QString> folders{
            {"runtime", dir.filePath(QStringLiteral("runtime"))},
            {"temporary", tmp + QStringLiteral("/klv90-") + QString::number(geteuid())},
            {"cache", dir.filePath(QStringLiteral("cache/klv90"))}};
        const auto make = [&](const QString &path, const QString &kind) {
            const QString target = dir.filePath(QStringLiteral("elsewhere"));
            if (kind == u"link")
                return ::mkdir(qPrintable(target), 0700) == 0 && QFile::link(target, path);
            const mode_t mode = kind == u"open" ? 0777 : 0700;
            return kind == u"none" ||
                   (::mkdir(qPrintable(path), 0700) == 0 && ::chmod(qPrintable(path), mode) == 0 &&
                    (kind != u"nobody's" || ::chown(qPrintable(path), Nobody, Nobody) == 0));
        };
        QVERIFY(QDir().mkdir(tmp));
        QVERIFY(make(folders["runtime"], runtime) && make(folders["temporary"], temporary));
        qputenv("XDG_RUNTIME_DIR",
                runtime == u"none" ? QByteArray() : folders["runtime"].toLocal8Bit());
        qputenv("TMPDIR", tmp.toLocal8Bit());
        qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toLocal8Bit());

        QCOMPARE(LocalUser::privateFolder(QStringLiteral("klv90")), folders[chosen]);
        struct stat info;
        QVERIFY(::lstat(qPrintable(folders[chosen]), &info) == 0);
        QCOMPARE(info.st_mode & 07777, 0700u);
        QCOMPARE(info.st_uid, geteuid());
    }
#endif

    // A server of this process's user is its own; the other side, another user's, is tried
    // with two accounts in tst_singleinstance.
    void ownServerIsOwned()
    {
        QLocalServer server;
        QVERIFY(
            server.listen(QStringLiteral("klv90-test-%1").arg(QCoreApplication::applicationPid())));
        QLocalSocket socket;
        socket.connectToServer(server.fullServerName());
        QVERIFY(socket.waitForConnected(5000));
        QVERIFY(LocalUser::ownsPeer(socket));
        QVERIFY(!LocalUser::id().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLocalUser)
#include "tst_localuser.moc"
