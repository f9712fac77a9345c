// The desktop integration as cmake --install leaves it in a prefix: asked through xdg-mime, with
// the machine's own MIME and application settings kept out, what a .zzr file is and what opens it.
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString SettingsType = QStringLiteral("application/x-klv90-settings");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestDesktopIntegration : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_prefix;

    // A session that sees only dataDirs: no desktop environment, empty user folders.
    QProcessEnvironment session(const QString &dataDirs) const
    {
        QProcessEnvironment env;
        env.insert("PATH", qEnvironmentVariable("PATH"));
        env.insert("LANG", "C.UTF-8");
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"}) {
            const QString dir = m_root.filePath(QString::fromLatin1(name).toLower());
            QDir().mkpath(dir);
            env.insert(QString::fromLatin1(name), dir);
        }
        env.insert("XDG_DATA_DIRS", dataDirs);
        return env;
    }
    QString installedData() const { return m_prefix + QStringLiteral("/share"); }

    QString xdgMime(const QStringList &arguments, const QString &dataDirs) const
    {
        const Run result = run(QStringLiteral("xdg-mime"), arguments, session(dataDirs));
        return result.exitCode == 0 ? result.out.trimmed() : QStringLiteral("<failed>");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        // tools/install-deps installs every one of them: a missing one is a failure, not a skip.
        for (const char *tool : {"update-mime-database", "update-desktop-database", "xdg-mime",
                                 "mimetype", "desktop-file-validate"}) {
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                     qPrintable(QStringLiteral("%1 is missing: run tools/install-deps")
                                    .arg(QString::fromLatin1(tool))));
        }
        m_prefix = m_root.filePath(QStringLiteral("prefix"));
        const Run install = run(QStringLiteral(KLV_CMAKE_COMMAND),
                                {"--install", QStringLiteral(KLV_BUILD_DIR), "--prefix", m_prefix},
                                QProcessEnvironment::systemEnvironment());
        QVERIFY2(install.exitCode == 0, qPrintable(install.out + install.err));
    }

    // The install itself leaves the caches that the desktop reads.
    void installedFiles()
    {
        QVERIFY(QFile::exists(installedData() + "/mime/packages/klv90-settings.xml"));
        QVERIFY(QFile::exists(installedData() + "/mime/mime.cache"));
        QVERIFY(QFile::exists(installedData() + "/applications/mimeinfo.cache"));
        QVERIFY(QFileInfo(m_prefix + "/bin/klv90-cli").isExecutable());
        QVERIFY(QFileInfo(m_prefix + "/bin/klv90").isExecutable());

        const QString desktop = installedData() + "/applications/klv90.desktop";
        const Run validate = run(QStringLiteral("desktop-file-validate"), {desktop},
                                 QProcessEnvironment::systemEnvironment());
        QVERIFY2(validate.exitCode == 0 && validate.out.isEmpty(), qPrintable(validate.out));
        QFile file(desktop);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QVERIFY(lines.contains(QStringLiteral("Exec=klv90 %f")));
        QVERIFY(lines.contains(QStringLiteral("MimeType=application/x-klv90-settings;")));
    }

    // By name (*.zzr, in any case) or, without the name, by "KLV" at the start.
    void fileType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isSettingsFile");
        const QByteArray program = QByteArray("KLV") + QByteArray(11, '\x7F');
        QTest::newRow("saved program") << "program.zzr" << program << true;
        QTest::newRow("upper-case extension") << "PROGRAM.ZZR" << program << true;
        QTest::newRow("empty .zzr") << "empty.zzr" << QByteArray() << true;
        QTest::newRow("no extension, KLV at the start") << "program" << program << true;
        QTest::newRow("no extension, other bytes") << "other" << QByteArray("KLW\x7F\x7F") << false;
        QTest::newRow("text file") << "notes.txt" << QByteArray("program notes\n") << false;
    }
    void fileType()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isSettingsFile);
        QTemporaryDir files;
        const QString file = files.filePath(name);
        QVERIFY(writeFile(file, bytes));
        const QString type = xdgMime({"query", "filetype", file}, installedData());
        QVERIFY2(!type.isEmpty() && type != u"<failed>", qPrintable(type));
        QCOMPARE(type == SettingsType, isSettingsFile);
    }

    // The menu entry opens settings files.
    void defaultApplication()
    {
        QCOMPARE(xdgMime({"query", "default", SettingsType}, installedData()),
                 QStringLiteral("klv90.desktop"));
    }

    // The answers above come from the prefix: a session without it knows neither.
    void withoutThePrefix()
    {
        const QString empty = m_root.filePath(QStringLiteral("empty-share"));
        QVERIFY(QDir().mkpath(empty));
        QTemporaryDir files;
        const QString file = files.filePath(QStringLiteral("program.zzr"));
        QVERIFY(writeFile(file, QByteArray("KLV") + QByteArray(11, '\x7F')));
        QVERIFY(xdgMime({"query", "filetype", file}, empty) != SettingsType);
        QCOMPARE(xdgMime({"query", "default", SettingsType}, empty), QString());
    }
};

QTEST_GUILESS_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
