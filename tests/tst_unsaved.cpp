// Unsaved steps are never thrown away without a question: the question before the window ends,
// and the recovery copy, offered again after the real klv90 was killed.
#include "dialoganswerer.h"
#include "editorstates.h"
#include "mainwindow.h"
#include "recoverycopy.h"
#include "settingsfile.h"
#include "settingsfiletesting.h"
#include "stepeditor.h"
#include "testtexts.h"

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Klv;

namespace {

const QString RestoreQuestion =
    QStringLiteral("前回、保存されないまま終わったプログラムがあります。");
const Step StartupStep{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
const Step OtherStep{1, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};

} // namespace

class TestUnsaved : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    QString file(const QString &name) const { return m_temp.filePath(name); }

    // The real klv90 with its home, data and lock here, worked by the scripted user's steps.
    void startTool(QProcess &tool, const QString &steps)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("data")));
        env.insert(QStringLiteral("TMPDIR"), m_temp.path());
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(KLV90_INPUT_PLUGINS));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("klv90input"));
        env.insert(QStringLiteral("KLV90_INPUT"), steps);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(KLV90_EXECUTABLE), {});
        QVERIFY(tool.waitForStarted());
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_temp.path()));
        QStandardPaths::setTestModeEnabled(true);
    }

    // Exit or the title bar's close: each answer, with a new program or one from a file.
    void exitQuestion_data()
    {
        QTest::addColumn<QString>("program"); // "new", "file", or "unmodified"
        QTest::addColumn<bool>("titleBar");
        QTest::addColumn<QString>("choice");  // the answer; empty: no question
        QTest::addColumn<QString>("savedTo"); // typed into Save's dialog, or "cancel"
        QTest::addColumn<bool>("ends");
        QTest::newRow("unmodified") << "unmodified" << false << ""
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
        QTest::newRow("保存 to the steps' file") << "file" << false << "保存"
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
        QVERIFY(writeAll(loaded, fileOf({OtherStep})));
        MainWindow window;
        window.show();
        if (program == u"file") {
            window.openSettingsFile(loaded);
            QTRY_COMPARE(window.session()->file(), loaded);
        }
        if (program != u"unmodified")
            QTest::mouseClick(window.findChild<QPushButton *>("addButton"), Qt::LeftButton);
        DialogAnswerer answerer;
        answerer.choose(choice);
        savedTo == u"cancel" ? answerer.cancel() : answerer.typeName(file(savedTo));
        if (titleBar)
            window.close();
        else
            QTest::mouseClick(window.findChild<QPushButton *>("exitButton"), Qt::LeftButton);

        const QStringList question{"KLV-90|" + Texts::UnsavedSteps};
        QCOMPARE(answerer.messages, choice.isEmpty() ? QStringList() : question);
        QCOMPARE(answerer.fileDialogs.size(), savedTo.isEmpty() ? 0 : 1);
        QCOMPARE(window.isVisible(), !ends);
        const bool saved = choice == u"保存" && ends;
        QCOMPARE(window.isWindowModified(), program != u"unmodified" && !saved);
        const QByteArray steps = settingsFileBytes(window.session()->table());
        QCOMPARE(readAll(loaded), saved && program == u"file" ? steps : fileOf({OtherStep}));
        QCOMPARE(readAll(file(savedTo)), saved && program == u"new" ? steps : QByteArray());
        QFile::remove(file(savedTo));
    }

    // With nothing that can be saved the question offers 保存しない and キャンセル only; the
    // log-out's agreement holds for the end that follows, not for one after the user went on.
    void questionsBeforeTheEnd_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("ends");
        const QStringList all{"キャンセル", "保存", "保存しない"};
        QTest::newRow("a loaded program cleared")
            << "cleared" << QStringList{"キャンセル", "保存しない"} << 1 << true;
        QTest::newRow("log-out, then its end") << "log-out" << all << 1 << true;
        QTest::newRow("log-out called off, then 終了") << "log-out called off" << all << 2 << true;
    }
    void questionsBeforeTheEnd()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, buttons);
        QFETCH(int, questions);
        QFETCH(bool, ends);
        const QString loaded = file(QStringLiteral("program.zzr"));
        QVERIFY(writeAll(loaded, fileOf({OtherStep})));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.openSettingsFile(loaded);
        QTRY_COMPARE(window.session()->file(), loaded);
        auto *exitButton = window.findChild<QPushButton *>("exitButton");
        QStringList offered;
        QTimer watch; // notes the buttons of the question before the answerer presses one
        connect(&watch, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && offered.isEmpty()) {
                for (QAbstractButton *button : box->buttons())
                    offered << button->text();
            }
        });
        watch.start(1);
        DialogAnswerer answerer;
        answerer.choose(QStringLiteral("保存しない"));
        answerer.choose(QStringLiteral("保存しない"));
        if (how == u"cleared") {
            QTest::mouseClick(window.findChild<QPushButton *>("clearButton"), Qt::LeftButton);
            QTest::mouseClick(exitButton, Qt::LeftButton);
        } else {
            QTest::mouseClick(window.findChild<QPushButton *>("addButton"), Qt::LeftButton);
            QVERIFY(window.agreeToLogOut()); // as the session manager asks
            if (how == u"log-out called off")
                QTest::mouseClick(exitButton, Qt::LeftButton); // the user goes on, then ends
            else
                window.close(); // the log-out's end
        }
        offered.sort();
        QCOMPARE(offered, buttons);
        QCOMPARE(answerer.messages.size(), questions);
        QCOMPARE(window.isVisible(), !ends);
        QCOMPARE(readAll(loaded), fileOf({OtherStep}));
    }

    // A copy that cannot be written is told, once, with the folder and the system's reason.
    void recoveryCopyNotWritten()
    {
        QTemporaryDir data;
        const QString folder = data.filePath(QStringLiteral("klv90"));
        QVERIFY(writeAll(folder, "a file where the folder should be"));
        RecoveryCopy recovery(folder);
        MainWindow window;
        window.show();
        window.keepRecoveryCopy(&recovery);
        DialogAnswerer answerer;
        auto *add = window.findChild<QPushButton *>("addButton");
        QTest::mouseClick(add, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(answerer.messages.size(), 1, 5000);
        QVERIFY(answerer.messages[0].startsWith("KLV-90|" + Texts::RecoveryNotWritten + u'\n' +
                                                QDir::toNativeSeparators(folder) + u'\n'));
        QVERIFY(answerer.messages[0].count(u'\n') == 2);
        window.editor()->setState(edit::editor("HLLLLLL"));
        QTest::mouseClick(add, Qt::LeftButton);
        QTest::qWait(2 * RecoveryCopy::WriteDelayMs);
        recovery.waitForWriter();
        QTest::qWait(50);
        QCOMPARE(answerer.messages.size(), 1);
    }

    // Declined, the copy a crash left is deleted.
    void recoveryDeclined()
    {
        QTemporaryDir data;
        QVERIFY(writeAll(data.filePath(QStringLiteral("recovery.zzr")), fileOf(stepsFor(3))));
        RecoveryCopy recovery(data.path());
        MainWindow window;
        DialogAnswerer answerer;
        answerer.choose(QStringLiteral("削除"));
        window.keepRecoveryCopy(&recovery); // as main does
        recovery.waitForWriter();
        QCOMPARE(answerer.messages.size(), 1);
        QCOMPARE(window.session()->table().count(), 0);
        QVERIFY(QDir(data.path()).isEmpty());
    }

    // The real klv90, started over a damaged copy, which it sets aside without a question, and
    // killed after a step was added: a start meanwhile only hands over; the next start offers
    // the copy, restores it as unsaved, and its normal end removes it.
    void killedToolsProgramRestored()
    {
        const QDir folder(file(QStringLiteral("data/klv90")));
        const QString copy = folder.filePath(QStringLiteral("recovery.zzr"));
        QVERIFY(folder.mkpath(QStringLiteral(".")) && writeAll(copy, "XLV"));
        QProcess killed, second, again;
        startTool(killed, QStringLiteral("click addButton"));
        QTRY_COMPARE_WITH_TIMEOUT(readAll(copy), fileOf({StartupStep}), 20000);
        QCOMPARE(folder.entryList({QStringLiteral("recovery-damaged-*.zzr")}).size(), 1);
        startTool(second, {});
        QVERIFY(second.waitForFinished());
        QCOMPARE(second.readAllStandardOutput(), QByteArray());
        QCOMPARE(killed.state(), QProcess::Running);
        killed.kill(); // SIGKILL
        QVERIFY(killed.waitForFinished());
        QVERIFY(QFile::exists(copy));

        startTool(again, QStringLiteral("choose 復元;title;click exitButton;choose 保存しない"));
        QVERIFY(again.waitForFinished(20000));
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
