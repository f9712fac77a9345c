// Save and Load in the real window, through Qt's own file dialogs answered as a user would:
// the name entered in the dialog's name field, the "replace?" question answered, Cancel pressed.
#include "controlnames.h"
#include "dialoganswerer.h"
#include "gridclicks.h"
#include "gridtexts.h"
#include "mainwindow.h"
#include "settingsfiletesting.h"
#include "stepeditor.h"
#include "stepgrid.h"
#include "steptablemodel.h"
#include "teststrings.h"
#include "testtexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace Klv;

namespace {

// Everything of the window that Load may change, to tell that a refused file changed nothing.
struct WindowState
{
    StepTable table;
    QString title;
    QStringList grid;
    EditorState editor;
    QList<bool> optionsEnabled;
    std::optional<int> selectedSlot;
    Step workStep;
    int currentSlot;

    friend bool operator==(const WindowState &, const WindowState &) = default;
};

} // namespace

Q_DECLARE_METATYPE(QFileDialog::AcceptMode)
Q_DECLARE_METATYPE(QFileDialog::FileMode)

class TestSettingsFileWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    MainWindow *m_window = nullptr;

    QPushButton *button(const char *name)
    {
        return m_window->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QRadioButton *option(int group, int item)
    {
        return m_window->findChild<QRadioButton *>(ControlNames::keyOption(group - 1, item));
    }
    QString file(const QString &name) const { return m_home.filePath(name); }
    QString cell(int slot, StepColumn column) const
    {
        return m_window->grid()->model()->index(slot, int(column)).data().toString();
    }
    const StepTable &table() const { return m_window->session()->table(); }

    WindowState state()
    {
        WindowState s{table(),
                      m_window->windowTitle(),
                      {},
                      m_window->editor()->state(),
                      {},
                      m_window->session()->selectedSlot(),
                      m_window->session()->workStep(),
                      m_window->session()->currentSlot()};
        for (int slot = 0; slot < StepTable::MaxSteps; ++slot) {
            for (int column = 0; column < StepColumnCount; ++column)
                s.grid << cell(slot, StepColumn(column));
        }
        for (int group = 1; group <= 7; ++group) {
            for (int item = 0; item < 3; ++item)
                s.optionsEnabled << option(group, item)->isEnabled();
        }
        return s;
    }

    // Three steps composed in the editor, all masking wire 2 (so its buttons are disabled), and
    // the second step's row clicked.
    void composeProgram()
    {
        EditorState editor;
        editor.key[1] = EditorState::Mask;
        m_window->editor()->setState(editor);
        click("addButton");
        editor.key[0] = EditorState::Hi;
        editor.values[0] = 40;
        m_window->editor()->setState(editor);
        click("addButton");
        editor.key[2] = EditorState::Hi;
        editor.keyFlag = 1;
        m_window->editor()->setState(editor);
        click("addButton");
        clickStep(m_window->grid(), 1);
        QCOMPARE(table().count(), 3);
        QVERIFY(!option(2, 0)->isEnabled());
    }

    // Puts steps into the table as a finished program (they must be in keyData order).
    void setProgram(const QList<Step> &steps) { m_window->session()->model()->load(steps); }

private slots:
    void initTestCase()
    {
        // The dialogs open in the home directory, and Qt keeps their history under it.
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QStandardPaths::setTestModeEnabled(true);
    }
    void init()
    {
        m_window = new MainWindow;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup()
    {
        delete m_window;
        for (const QString &name : QDir(m_home.path()).entryList(QDir::Files))
            QFile::remove(file(name));
    }

    void saveEmptyTable()
    {
        DialogAnswerer answerer;
        click("saveButton");
        QCOMPARE(answerer.messages, QStringList{"KLV-90|" + Texts::NothingToSave});
        QVERIFY(answerer.fileDialogs.isEmpty());
    }

    void dialogs_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("selectedFilter");
        QTest::addColumn<QString>("presetName");
        QTest::addColumn<QFileDialog::AcceptMode>("acceptMode");
        QTest::addColumn<QFileDialog::FileMode>("fileMode");
        QTest::newRow("save") << QByteArray("saveButton") << "名前を付けて保存"
                              << "すべてのファイル"
                              << "KLV-90.zzr" << QFileDialog::AcceptSave << QFileDialog::AnyFile;
        QTest::newRow("load") << QByteArray("loadButton") << "ファイルの読み込み"
                              << "KLV設定ファイル"
                              << "klv-90.zzr" << QFileDialog::AcceptOpen
                              << QFileDialog::ExistingFile;
    }
    // Twice in a row: nothing of the first use is remembered. Cancel changes nothing.
    void dialogs()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, title);
        QFETCH(QString, selectedFilter);
        QFETCH(QString, presetName);
        QFETCH(QFileDialog::AcceptMode, acceptMode);
        QFETCH(QFileDialog::FileMode, fileMode);
        composeProgram();
        const WindowState before = state();

        DialogAnswerer answerer;
        const bool load = command == "loadButton";
        for (int i = 0; i < 2; ++i) {
            // Load asks about the composed steps before its dialog opens.
            answerer.choose(QStringLiteral("保存しない"));
            answerer.cancel();
            click(command);
        }

        QCOMPARE(answerer.fileDialogs.size(), 2);
        for (const DialogAnswerer::FileDialogSeen &seen : answerer.fileDialogs) {
            QCOMPARE(seen.title, title);
            // Every file, names without a dot too; shown as descriptions only, as on Windows.
            QCOMPARE(seen.filters,
                     QStringList({"すべてのファイル (*)", "KLV設定ファイル (*.zzr)"}));
            QCOMPARE(seen.shownFilters, QStringList({"すべてのファイル", "KLV設定ファイル"}));
            QCOMPARE(seen.selectedFilter, selectedFilter);
            QCOMPARE(seen.presetName, presetName);
            QCOMPARE(seen.directory, QDir::homePath());
            QCOMPARE(seen.acceptMode, acceptMode);
            QCOMPARE(seen.fileMode, fileMode);
            QVERIFY(seen.nonNative);
        }
        const QStringList asked{Texts::AskedBeforeOpen, Texts::AskedBeforeOpen};
        QCOMPARE(answerer.messages, load ? asked : QStringList());
        QVERIFY(state() == before);
        QVERIFY(QDir(m_home.path()).entryList(QDir::Files).isEmpty());
    }

    // "すべてのファイル" lists every file, also names without a dot.
    void allFilesListed()
    {
        const QStringList names{"KLV-90.zzr", "README", "notes.txt"};
        for (const QString &name : names)
            QVERIFY(QFile(file(name)).open(QIODevice::WriteOnly));
        setProgram(stepsFor(1));
        DialogAnswerer answerer;
        answerer.waitForListing(names);
        answerer.cancel();
        click("saveButton");
        QCOMPARE(answerer.fileDialogs.size(), 1);
        QCOMPARE(answerer.fileDialogs.first().listed, names);
    }

    // Load's preset "klv-90.zzr" is the file Save wrote as "KLV-90.zzr": one file on Windows.
    void loadPresetFindsSaveName()
    {
        setProgram(stepsFor(3));
        const StepTable saved = table();
        DialogAnswerer answerer;
        answerer.acceptPreset();
        click("saveButton");
        QVERIFY(QFile::exists(file(QStringLiteral("KLV-90.zzr"))));
        click("clearButton");
        QCOMPARE(table().count(), 0);

        // The emptied table is unsaved: the question comes first.
        answerer.choose(QStringLiteral("保存しない"));
        answerer.acceptPreset();
        click("loadButton");
        QCOMPARE(answerer.fileDialogs.last().presetName, QStringLiteral("KLV-90.zzr"));
        QCOMPARE(answerer.messages, QStringList{Texts::AskedBeforeOpen});
        QCOMPARE(table().count(), saved.count());
        QVERIFY(table() == saved);
    }

    // A name typed without a suffix is saved as a settings file all the same.
    void nameWithoutSuffix()
    {
        setProgram(stepsFor(2));
        DialogAnswerer answerer;
        answerer.typeName(file(QStringLiteral("site-a")));
        click("saveButton");
        QCOMPARE(readAll(file(QStringLiteral("site-a.zzr"))), fileOf(stepsFor(2)));
        QVERIFY(!QFileInfo::exists(file(QStringLiteral("site-a"))));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("ＫＬＶ－９０ - site-a.zzr[*]"));
    }

    // Save takes only a folder that exists: its dialog says so and stays open.
    void saveRefusesMissingFolder()
    {
        setProgram(stepsFor(2));
        const QString path = file(QStringLiteral("no-such-folder/program.zzr"));
        DialogAnswerer answerer;
        answerer.typeName(path);
        answerer.cancel();
        click("saveButton");
        QCOMPARE(answerer.fileDialogs.size(), 2); // the same dialog, still open after the box
        QCOMPARE(answerer.messages,
                 QStringList{"名前を付けて保存|" + path +
                             "\nフォルダーが見つかりません。\nフォルダー名を確認してください。"});
        QVERIFY(!QFileInfo::exists(path));
    }

    void saveThenLoad_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("one step") << 1;
        QTest::newRow("40 steps") << 40;
        QTest::newRow("128 steps") << 128;
    }
    void saveThenLoad()
    {
        QFETCH(int, steps);
        setProgram(stepsFor(steps));
        const StepTable saved = table();
        const QString path = file(QStringLiteral("program.zzr"));

        DialogAnswerer answerer;
        answerer.typeName(path);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("ＫＬＶ－９０[*]"));
        click("saveButton");
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.size(), 3 + 11 * steps);
        QVERIFY(bytes.startsWith("\x4B\x4C\x56"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("ＫＬＶ－９０ - program.zzr[*]"));

        click("clearButton");
        QCOMPARE(table().count(), 0);
        answerer.choose(QStringLiteral("保存しない"));
        answerer.typeName(path);
        click("loadButton");

        QCOMPARE(answerer.messages, QStringList{Texts::AskedBeforeOpen});
        const StepTable &loaded = table();
        QCOMPARE(loaded.count(), steps);
        for (int slot = 0; slot < steps; ++slot)
            QCOMPARE(loaded.at(slot), saved.at(slot));
        QCOMPARE(cell(steps - 1, StepColumn::Speed1), QString::number(saved.at(steps - 1).speed1));
    }

    void replaceQuestion_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("replace") << true;
        QTest::newRow("keep") << false;
    }
    // Answering No leaves the dialog open; the test then cancels it.
    void replaceQuestion()
    {
        QFETCH(bool, replace);
        const QString path = file(QStringLiteral("KLV-90.zzr"));
        const QByteArray old(2000, 'x');
        QVERIFY(writeAll(path, old));
        setProgram(stepsFor(3));

        DialogAnswerer answerer;
        answerer.typeName(path);
        answerer.replyToReplace(replace);
        if (!replace)
            answerer.cancel();
        click("saveButton");

        QCOMPARE(answerer.replaceQuestions.size(), 1);
        QVERIFY(answerer.replaceQuestions[0].contains(QStringLiteral("KLV-90.zzr")));
        QCOMPARE(answerer.fileDialogs.size(), replace ? 1 : 2);
        QVERIFY(answerer.messages.isEmpty());
        QCOMPARE(readAll(path), replace ? fileOf(stepsFor(3)) : old);
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<Step>>("table");
        Step a = stepFor(9), b = stepFor(10), c = stepFor(11);
        a.keyData = 2;
        b.keyData = 2;
        c.keyData = 1;
        Step flagged = stepFor(4);
        flagged.stepFlag = 7;
        QTest::newRow("magic alone") << QByteArray("KLV") << QList<Step>{};
        QTest::newRow("trailing bytes ignored") << fileOf(stepsFor(2), "0123456789") << stepsFor(2);
        QTest::newRow("records sorted by keyData") << fileOf({a, b, c}) << QList<Step>{c, b, a};
        QTest::newRow("stepFlag 7 kept") << fileOf({flagged}) << QList<Step>{flagged};
        QTest::newRow("128 records and ten trailing bytes")
            << fileOf(stepsFor(128), "0123456789") << stepsFor(128);
    }
    // A program is replaced whole: the old steps and the grid rows they filled are gone, the
    // wires they masked are free again, the editor keeps what it shows.
    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<Step>, table);
        composeProgram();
        const EditorState editor = m_window->editor()->state();
        const QString path = file(QStringLiteral("in.zzr"));
        QVERIFY(writeAll(path, bytes));

        DialogAnswerer answerer;
        answerer.choose(QStringLiteral("保存しない"));
        answerer.typeName(path);
        click("loadButton");

        QCOMPARE(answerer.messages, QStringList{Texts::AskedBeforeOpen});
        const StepTable &loaded = this->table();
        QCOMPARE(loaded.count(), table.size());
        for (int slot = 0; slot < StepTable::MaxSteps; ++slot)
            QCOMPARE(loaded.slot(slot), slot < table.size() ? table[slot] : Step{});
        for (int slot = 0; slot < table.size(); ++slot) {
            QCOMPARE(cell(slot, StepColumn::Speed1), QString::number(table[slot].speed1));
            QCOMPARE(cell(slot, StepColumn::StepFlag), table[slot].stepFlag ? u"ON" : u"OFF");
        }
        for (int slot = int(table.size()); slot <= 2; ++slot)
            QCOMPARE(cell(slot, StepColumn::Wire1), QString());
        for (int group = 1; group <= 7; ++group) {
            for (int item = 0; item < 3; ++item)
                QVERIFY(option(group, item)->isEnabled());
        }
        QCOMPARE(m_window->editor()->state(), editor);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("ＫＬＶ－９０ - in.zzr[*]"));
    }

    void refusedLoad_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("path"); // empty: the bytes in a file of the test's own
        QTest::addColumn<QString>("message");
        const QString wrong = "KLV-90|" + Texts::WrongFile;
        const QByteArray one = record(stepFor(1));
        QTest::newRow("empty file") << QByteArray() << QString() << wrong;
        QTest::newRow("one byte") << QByteArray("K") << QString() << wrong;
        QTest::newRow("two bytes") << QByteArray("KL") << QString() << wrong;
        QTest::newRow("first byte wrong") << "xLV" + one << QString() << wrong;
        QTest::newRow("second byte wrong") << "KxV" + one << QString() << wrong;
        QTest::newRow("third byte wrong") << "KLx" + one << QString() << wrong;
        QTest::newRow("129 records") << fileOf(stepsFor(129)) << QString() << wrong;
        QTest::newRow("130 records") << fileOf(stepsFor(130)) << QString() << wrong;
        QTest::newRow("a megabyte")
            << fileOf(stepsFor(1), QByteArray(1 << 20, '\0')) << QString() << wrong;
        // Reading memory the process does not map fails like a bad disk, for root as well.
        QTest::newRow("read error")
            << QByteArray() << QStringLiteral("/proc/self/mem") << "KLV-90|" + Texts::Unreadable;
    }
    void refusedLoad()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, path);
        QFETCH(QString, message);
        if (path.isEmpty()) {
            path = file(QStringLiteral("bad.zzr"));
            QVERIFY(writeAll(path, bytes));
        }
        composeProgram();
        const WindowState before = state();

        DialogAnswerer answerer;
        answerer.choose(QStringLiteral("保存しない"));
        answerer.typeName(path);
        click("loadButton");

        // The box names the file under the reason.
        QCOMPARE(answerer.messages,
                 QStringList(
                     {Texts::AskedBeforeOpen, message + u'\n' + QDir::toNativeSeparators(path)}));
        QVERIFY(state() == before);
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("disk full") << "full";
        QTest::newRow("directory not writable") << "readonly";
        QTest::newRow("no file can be made there") << "proc";
    }
    void failedSave()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("KLV-90.zzr"));
        const QByteArray old = fileOf(stepsFor(1), "old");
        QVERIFY(writeAll(path, old));
        setProgram(stepsFor(50));
        const WindowState before = state();

        DialogAnswerer answerer;
        if (how == u"full") {
            answerer.typeName(path);
            answerer.replyToReplace(true);
            const FileSizeLimit limit(old.size());
            click("saveButton");
        } else if (how == u"readonly") {
            if (geteuid() == 0)
                QSKIP("root writes into any directory; the disk-full row covers root");
            QVERIFY(
                QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            answerer.typeName(path);
            answerer.replyToReplace(true);
            click("saveButton");
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
        } else {
            answerer.typeName(QStringLiteral("/proc/KLV-90.zzr"));
            click("saveButton");
        }

        QCOMPARE(answerer.messages, QStringList{"KLV-90|" + Texts::NotSaved});
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"KLV-90.zzr"});
        QVERIFY(state() == before);
    }
};

QTEST_MAIN(TestSettingsFileWindow)
#include "tst_settingsfile_window.moc"
