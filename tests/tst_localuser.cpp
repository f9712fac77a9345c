// Where the tool keeps what only its user may see, on real folders, and whose a local server is.
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

class TestLocalUser : public QObject
{
    Q_OBJECT
private slots:
#ifdef Q_OS_UNIX
    // The runtime folder when it is the user's alone, else one made in the temporary folder,
    // else one in the user's cache: a real folder (no link) of the user's, mode 0700. The three
    // ways a folder fails that test are shown on the runtime folder; the temporary one is passed
    // over by the same test.
    void privateFolder_data()
    {
        QTest::addColumn<QString>("runtime");   // XDG_RUNTIME_DIR: none, ours, open, link, nobody's
        QTest::addColumn<QString>("temporary"); // <tmp>/klv90-<uid> before: none, ours, open, ...
        QTest::addColumn<QString>("chosen");
        QTest::newRow("runtime folder") << "ours"
                                        << "none"
                                        << "runtime";
        QTest::newRow("no runtime folder") << "none"
                                           << "none"
                                           << "tmp/klv90-";
        QTest::newRow("runtime folder open to others") << "open"
                                                       << "none"
                                                       << "tmp/klv90-";
        QTest::newRow("runtime folder a link") << "link"
                                               << "none"
                                               << "tmp/klv90-";
        QTest::newRow("runtime folder nobody's") << "nobody's"
                                                 << "none"
                                                 << "tmp/klv90-";
        QTest::newRow("temporary one there") << "none"
                                             << "ours"
                                             << "tmp/klv90-";
        QTest::newRow("temporary one open to others") << "none"
                                                      << "open"
                                                      << "cache/klv90";
    }
    void privateFolder()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, temporary);
        QFETCH(QString, chosen);
        if ((runtime + temporary).contains(u"nobody's") && geteuid() != 0)
            QSKIP("needs root, to give a folder to another user");
        QTemporaryDir dir;
        const auto make = [&](const QString &name, const QString &kind) {
            const QByteArray path = QFile::encodeName(dir.filePath(name));
            const QByteArray elsewhere = QFile::encodeName(dir.filePath(name + "-target"));
            if (kind == u"link")
                return ::mkdir(elsewhere, 0700) == 0 && ::symlink(elsewhere, path) == 0;
            return kind == u"none" ||
                   (::mkdir(path, 0700) == 0 && ::chmod(path, kind == u"open" ? 0777 : 0700) == 0 &&
                    (kind != u"nobody's" || ::chown(path, 65534, 65534) == 0));
        };
        const QString uid = QString::number(geteuid());
        QVERIFY(make("runtime", runtime) && make("tmp", "ours") &&
                make("tmp/klv90-" + uid, temporary));
        qputenv("XDG_RUNTIME_DIR",
                runtime == u"none" ? "" : QFile::encodeName(dir.filePath("runtime")));
        qputenv("TMPDIR", QFile::encodeName(dir.filePath("tmp")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));

        const QString expected = dir.filePath(chosen == u"tmp/klv90-" ? chosen + uid : chosen);
        QCOMPARE(LocalUser::privateFolder(QStringLiteral("klv90")), expected);
        struct stat info;
        QVERIFY(::lstat(QFile::encodeName(expected), &info) == 0);
        QCOMPARE(info.st_mode & 07777, 0700u);
        QCOMPARE(info.st_uid, geteuid());
    }
#endif

    // A server of the process's own user is its own; another user's is tried with two accounts
    // in tst_singleinstance.
    void ownServerIsOwned()
    {
        QLocalServer server;
        QVERIFY(server.listen("klv90-test-" + QString::number(QCoreApplication::applicationPid())));
        QLocalSocket socket;
        socket.connectToServer(server.fullServerName());
        QVERIFY(socket.waitForConnected(5000));
        QVERIFY(LocalUser::ownsPeer(socket));
    }
};

QTEST_GUILESS_MAIN(TestLocalUser)
#include "tst_localuser.moc"
