// Unsaved steps are never lost without a question: the question before the window ends, and the
// recovery copy, offered again after the real klv90 was killed.
#include "dialoganswerer.h"
#include "mainwindow.h"
#include "recoverycopy.h"
#include "settingsfile.h"
#include "settingsfiletesting.h"
#include "steptablemodel.h"
#include "testtexts.h"

#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace Klv;

namespace {

constexpr int Patience = 20000; // ms
const QString RestoreQuestion =
    QStringLiteral("前回、保存されないまま終わったプログラムがあります。");
const Step StartupStep{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
const Step LoadedStep{1, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};

} // namespace

class TestUnsaved : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    QString file(const QString &name) const { return m_temp.filePath(name); }

    // The real klv90 with no display, its home, data and lock in the test's folder, worked by
    // the scripted user when given steps.
    void startTool(QProcess &tool, const QString &steps)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), file(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), file(QStringLiteral("runtime")));
        env.insert(QStringLiteral("TMPDIR"), m_temp.path());
        if (!steps.isEmpty()) {
            env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(KLV90_INPUT_PLUGINS));
            env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("klv90input"));
            env.insert(QStringLiteral("KLV90_INPUT"), steps);
        }
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(KLV90_EXECUTABLE), {});
        QVERIFY(tool.waitForStarted());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("HOME", QFile::encodeName(file(QStringLiteral("home"))));
        QStandardPaths::setTestModeEnabled(true);
        for (const char *folder : {"home", "runtime"})
            QVERIFY(QDir(m_temp.path())
                        .mkdir(QString::fromLatin1(folder),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // Exit and the title bar's close with the table modified: each answer to the question.
    void exitQuestion_data()
    {
        QTest::addColumn<QString>("program"); // "none", "new", or "from a file"
        QTest::addColumn<bool>("titleBar");
        QTest::addColumn<QString>("choice");  // the question's answer; empty: no question
        QTest::addColumn<QString>("savedTo"); // typed into Save's dialog; "cancel"; empty: none
        QTest::addColumn<bool>("ends");
        QTest::newRow("unmodified: ends at once") << "none" << false << ""
                                                  << "" << true;
        QTest::newRow("キャンセル") << "new" << false << "キャンセル"
                                    << "" << false;
        QTest::newRow("保存しない") << "new" << false << "保存しない"
                                    << "" << true;
        QTest::newRow("title bar, 保存しない") << "new" << true << "保存しない"
                                               << "" << true;
        QTest::newRow("保存 through Save's dialog") << "new" << false << "保存"
                                                    << "new.zzr" << true;
        QTest::newRow("保存, Save's dialog cancelled") << "new" << true << "保存"
                                                       << "cancel" << false;
        QTest::newRow("保存 to the file the steps came from") << "from a file" << false << "保存"
                                                              << "" << true;
    }
    void exitQuestion()
    {
        QFETCH(QString, program);
        QFETCH(bool, titleBar);
        QFETCH(QString, choice);
        QFETCH(QString, savedTo);
        QFETCH(bool, ends);
        const QString loaded = file(QStringLiteral("program.zzr"));
        QVERIFY(writeAll(loaded, fileOf({LoadedStep})));
        QFile::remove(file(QStringLiteral("new.zzr")));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (program == u"from a file")
            window.openSettingsFile(loaded);
        if (program != u"none")
            QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("addButton")),
                              Qt::LeftButton);

        DialogAnswerer answerer;
        answerer.choose(choice);
        if (!savedTo.isEmpty())
            savedTo == u"cancel" ? answerer.cancel() : answerer.typeName(file(savedTo));
        if (titleBar)
            window.close();
        else
            QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("exitButton")),
                              Qt::LeftButton);

        QCOMPARE(answerer.messages,
                 choice.isEmpty() ? QStringList() : QStringList{"KLV-90|" + Texts::UnsavedSteps});
        QCOMPARE(answerer.fileDialogs.size(), savedTo.isEmpty() ? 0 : 1);
        QCOMPARE(window.isVisible(), !ends);
        QCOMPARE(window.isWindowModified(), program != u"none" && !(choice == u"保存" && ends));
        const QByteArray steps = settingsFileBytes(window.stepTable());
        if (choice == u"保存" && ends)
            QCOMPARE(readAll(program == u"new" ? file(savedTo) : loaded), steps);
        else
            QCOMPARE(readAll(loaded), fileOf({LoadedStep}));
    }

    // What a run that did not end normally left, offered at the next start as main offers it.
    void restoreQuestion_data()
    {
        QTest::addColumn<QByteArray>("copy");
        QTest::addColumn<QString>("choice"); // empty: no question
        QTest::addColumn<int>("steps");
        QTest::newRow("restored") << fileOf(stepsFor(3)) << "復元" << 3;
        QTest::newRow("deleted") << fileOf(stepsFor(3)) << "削除" << 0;
        QTest::newRow("damaged: set aside without a question") << QByteArray("XLV") << "" << 0;
    }
    void restoreQuestion()
    {
        QFETCH(QByteArray, copy);
        QFETCH(QString, choice);
        QFETCH(int, steps);
        QTemporaryDir data;
        QVERIFY(writeAll(data.filePath(QStringLiteral("recovery.zzr")), copy));
        QVERIFY(writeAll(data.filePath(QStringLiteral("recovery-origin.txt")), "/programs/a.zzr"));
        RecoveryCopy recovery(data.path());
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DialogAnswerer answerer;
        answerer.choose(choice);
        window.keepRecoveryCopy(&recovery);

        QCOMPARE(answerer.messages.size(), choice.isEmpty() ? 0 : 1);
        if (!choice.isEmpty()) {
            QVERIFY(answerer.messages[0].startsWith("KLV-90|" + RestoreQuestion));
            QVERIFY(answerer.messages[0].contains(QStringLiteral("ファイル: /programs/a.zzr")));
        }
        QCOMPARE(window.stepTable().toList(), stepsFor(steps));
        QCOMPARE(window.isWindowModified(), steps > 0);
        recovery.waitForWriter();
        const QStringList left = QDir(data.path()).entryList(QDir::Files);
        if (steps > 0) {
            // Loaded as Load loads, but unsaved: undo takes it back, and the copy stays.
            QCOMPARE(window.windowTitle(), QStringLiteral("ＫＬＶ－９０ - a.zzr[*]"));
            QCOMPARE(window.findChild<QUndoStack *>()->undoText(), QStringLiteral("復元 (a.zzr)"));
            QVERIFY(left.contains(QStringLiteral("recovery.zzr")));
        } else {
            QCOMPARE(left.size(), choice.isEmpty() ? 1 : 0); // a damaged copy is kept aside
        }
    }

    // The real klv90 killed outright after a step was added: its copy is there at the next start,
    // which restores it; a start in between hands over and offers nothing; a normal end removes it.
    void killedToolsProgramRestored()
    {
        const QString copy = file(QStringLiteral("data/klv90/recovery.zzr"));
        QProcess killed;
        startTool(killed, QStringLiteral("click addButton"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), Patience);
        QCOMPARE(readAll(copy), fileOf({StartupStep}));

        QProcess second;
        startTool(second, {});
        QVERIFY(second.waitForFinished(Patience));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(killed.state(), QProcess::Running);

        killed.kill(); // SIGKILL
        QVERIFY(killed.waitForFinished(Patience));
        QCOMPARE(killed.exitStatus(), QProcess::CrashExit);
        QVERIFY(QFile::exists(copy));

        QProcess again;
        startTool(again, QStringLiteral("choose 復元;title;click exitButton;choose 保存しない"));
        QVERIFY(again.waitForFinished(Patience));
        QVERIFY2(again.exitStatus() == QProcess::NormalExit, again.readAllStandardError());
        QCOMPARE(again.exitCode(), 0);
        const QStringList said = QString::fromUtf8(again.readAllStandardOutput()).split(u'\n');
        QCOMPARE(said.size(), 4);
        QVERIFY(said[0].startsWith("box " + RestoreQuestion));
        QVERIFY(said[0].contains(QStringLiteral("|ファイル: （保存したことのないプログラム）|")));
        QCOMPARE(said[1], QStringLiteral("title ＫＬＶ－９０[*]"));
        QCOMPARE(said[2], "box " + QString(Texts::UnsavedSteps).replace(u'\n', u'|'));
        QVERIFY(!QFile::exists(copy));
    }
};

QTEST_MAIN(TestUnsaved)
#include "tst_unsaved.moc"
