// The version both programs print: the project's version and the commit they were built from,
// read at build time by cmake/WriteVersionHeader.cmake, here run on real git checkouts.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
};

Run run(const QString &program, const QStringList &arguments, const QString &dir = {})
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    return result;
}

bool git(const QString &dir, const QStringList &arguments)
{
    return run(QStringLiteral("git"),
               QStringList{"-c", "user.name=t", "-c", "user.email=t@example.org"} + arguments, dir)
               .exitCode == 0;
}

QString gitOutput(const QString &dir, const QStringList &arguments)
{
    const Run result = run(QStringLiteral("git"), arguments, dir);
    return result.exitCode == 0 ? result.out.trimmed() : QString();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The text the header gives KLV90_VERSION, or "<failed>".
QString versionText(const QString &header)
{
    QFile file(header);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<failed>");
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("#define KLV90_VERSION \"([^\"]*)\""))
            .match(QString::fromUtf8(file.readAll()));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("<failed>");
}

QString writeHeader(const QString &sourceDir, const QString &header)
{
    const Run result = run(QStringLiteral(KLV_CMAKE_COMMAND),
                           {"-DSOURCE_DIR=" + sourceDir, "-DVERSION=2.5", "-DOUTPUT=" + header,
                            "-P", QStringLiteral(KLV_WRITE_VERSION_SCRIPT)});
    return result.exitCode == 0 ? versionText(header) : QStringLiteral("<failed>");
}

} // namespace

class TestVersion : public QObject
{
    Q_OBJECT

private slots:
    // What a checkout's state gives: its commit, "modified" for changed tracked files only, and
    // the version alone where the folder is no checkout of its own.
    void header_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("expected"); // %1: the commit's first 12 hex digits
        QTest::newRow("committed") << "committed"
                                   << "2.5 (commit %1)";
        QTest::newRow("a tracked file changed") << "changed"
                                                << "2.5 (commit %1, modified)";
        QTest::newRow("an untracked file") << "untracked"
                                           << "2.5 (commit %1)";
        QTest::newRow("a folder inside another checkout") << "nested"
                                                          << "2.5";
        QTest::newRow("no checkout") << "plain"
                                     << "2.5";
    }
    void header()
    {
        QFETCH(QString, state);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString tree = dir.filePath(QStringLiteral("tree"));
        const QString source = state == u"nested" ? tree + QStringLiteral("/sub") : tree;
        QVERIFY(QDir().mkpath(source));
        QVERIFY(writeFile(tree + QStringLiteral("/a.txt"), "a\n"));
        QString commit;
        if (state != u"plain") {
            QVERIFY(git(tree, {"init", "-q"}));
            QVERIFY(git(tree, {"add", "a.txt"}));
            QVERIFY(git(tree, {"commit", "-q", "-m", "first"}));
            commit = gitOutput(tree, {"rev-parse", "HEAD"}).left(12);
            QCOMPARE(commit.size(), 12);
        }
        if (state == u"changed")
            QVERIFY(writeFile(tree + QStringLiteral("/a.txt"), "b\n"));
        if (state == u"untracked")
            QVERIFY(writeFile(tree + QStringLiteral("/b.txt"), "b\n"));

        QCOMPARE(writeHeader(source, dir.filePath(QStringLiteral("version.h"))),
                 expected.arg(commit));
    }

    // An unchanged text leaves the header as it is, so nothing that includes it is rebuilt.
    void headerKeptWhenUnchanged()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString header = dir.filePath(QStringLiteral("version.h"));
        QCOMPARE(writeHeader(dir.path(), header), QStringLiteral("2.5"));
        const QDateTime old = QDateTime::currentDateTime().addDays(-1);
        {
            QFile file(header);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QCOMPARE(writeHeader(dir.path(), header), QStringLiteral("2.5"));
        QCOMPARE(QFileInfo(header).lastModified(), old);
    }

    // Both programs built here say the project's version and this checkout's commit.
    void programs_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("name");
        QTest::newRow("klv90") << QStringLiteral(KLV90_EXECUTABLE) << "klv90";
        QTest::newRow("klv90-cli") << QStringLiteral(KLV90_CLI) << "klv90-cli";
    }
    void programs()
    {
        QFETCH(QString, program);
        QFETCH(QString, name);
        const Run result = run(program, {"--version"});
        QCOMPARE(result.exitCode, 0);
        const QString commit =
            gitOutput(QStringLiteral(KLV_SOURCE_DIR), {"rev-parse", "HEAD"}).left(12);
        const QString version = name + u' ' + QStringLiteral(KLV_PROJECT_VERSION);
        if (commit.isEmpty()) {
            QCOMPARE(result.out, version + u'\n');
        } else {
            QVERIFY2(
                QRegularExpression(QRegularExpression::escape(version) +
                                   QStringLiteral(" \\(commit %1(, modified)?\\)\n$").arg(commit))
                    .match(result.out)
                    .hasMatch(),
                qPrintable(result.out));
        }
    }
};

QTEST_GUILESS_MAIN(TestVersion)
#include "tst_version.moc"
