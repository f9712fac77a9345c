// Undo and redo on the real window: every kind of change of the table taken back with Ctrl+Z and
// made again with Ctrl+Y or Ctrl+Shift+Z, and the grid's menu.
#include "dialoganswerer.h"
#include "editdriver.h"
#include "settingsfiletesting.h"
#include "teststrings.h"

#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Klv;
using namespace edit;

namespace {

// Three steps that all mask wire 5, so its options are locked.
const EditorState A = editor("HLLLMLL", 0x01, {10, 25, 3, 1, 50, 0, 2});
const EditorState B = editor("LHLLMLL", 0x02 | Inc, {20, 90, 0, 30, 70, 4, 1}, 1);
const EditorState C = editor("LLHLMLL", 0x0C, {255, 100, 255, 255, 0, 255, 255});

// Everything of the window that undo puts back.
struct Shown
{
    StepTable table;
    QString wires;
    int currentRow;
    QList<int> highlighted;
    EditorState editor;
    Step workStep;
    int selectedRow;
    QString title;
    bool modified;
    friend bool operator==(const Shown &, const Shown &) = default;
};

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    MainWindow *m_window = nullptr;
    Driver *m_ui = nullptr;
    DialogAnswerer *m_dialogs = nullptr;

    Shown shown() const
    {
        return {m_window->stepTable(),        m_ui->wires(),
                currentRow(m_window->grid()), m_ui->highlightedRows(),
                m_window->editor()->state(),  m_window->editor()->workStep(),
                selectedRow(m_window),        m_window->windowTitle(),
                m_window->isWindowModified()};
    }
    QAction *action(const char *name) { return m_ui->control<QAction>(QString::fromLatin1(name)); }
    // The keys go to whatever has the focus in the window, active again after a dialog as on a
    // desktop (the offscreen platform leaves no window active then).
    void press(QKeyCombination key)
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_window, key.key(), key.keyboardModifiers());
    }
    QString program() const { return m_home.filePath(QStringLiteral("program.zzr")); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(writeAll(program(), fileOf(stepsFor(2))));
    }
    // The steps added as C, A, B, row 3 (B) clicked, and the editor changed since.
    void init()
    {
        m_window = new MainWindow;
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        m_ui = new Driver(m_window);
        m_dialogs = new DialogAnswerer;
        for (const EditorState &e : {C, A, B})
            m_ui->add(e);
        m_ui->clickRow(3);
        m_ui->compose(editor("LHLLMLL", 0x02 | Inc | Wait, {99, 33, 7, 120, 10, 9, 42}));
    }
    void cleanup()
    {
        QCOMPARE(m_dialogs->messages, QStringList());
        delete m_dialogs;
        delete m_ui;
        delete m_window;
    }

    void undoRedo_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("text");
        const QString load = QStringLiteral("読み込み (program.zzr)");
        QTest::newRow("add") << "add"
                             << "命令追加 (ステップ 3)";
        QTest::newRow("update") << "update"
                                << "命令更新 (ステップ 2)";
        QTest::newRow("delete") << "delete"
                                << "削除 (ステップ 2)";
        QTest::newRow("clear") << "clear"
                               << "消去";
        QTest::newRow("load") << "load" << load;
        QTest::newRow("hand-over") << "hand-over" << load;
        QTest::newRow("drop") << "drop" << load;
        QTest::newRow("klv90 FILE") << "file" << load;
    }
    void undoRedo()
    {
        QFETCH(QString, operation);
        QFETCH(QString, text);
        if (operation == u"add")
            m_ui->compose(editor("HHLLMLL"));
        const Shown before = shown();
        if (operation == u"add") {
            m_ui->press("addButton");
        } else if (operation == u"update") {
            m_ui->press("updateButton");
        } else if (operation == u"delete") {
            m_ui->press("deleteButton");
        } else if (operation == u"clear") {
            m_ui->press("clearButton");
        } else if (operation == u"load") {
            m_dialogs->typeName(program());
            m_ui->press("loadButton");
        } else if (operation == u"hand-over") {
            m_window->takeHandOver(program());
        } else if (operation == u"drop") {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(program())});
            QDragEnterEvent enter({1, 1}, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(m_window, &enter);
            QDropEvent drop({1, 1}, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(m_window, &drop);
        } else {
            m_window->openSettingsFile(program()); // as main does for klv90 FILE
        }
        QTRY_VERIFY(!(shown() == before)); // a drop opens its file once the drop is over
        const Shown after = shown();
        QCOMPARE(action("undoAction")->text(), "元に戻す: " + text);

        press(Qt::CTRL | Qt::Key_Z);
        QVERIFY(shown() == before);
        QCOMPARE(action("redoAction")->text(), "やり直し: " + text);
        press(Qt::CTRL | Qt::Key_Y);
        QVERIFY(shown() == after);
        press(Qt::CTRL | Qt::Key_Z);
        press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QVERIFY(shown() == after);
    }

    // The table counts as modified while it differs from the steps last loaded or saved.
    void modified()
    {
        m_dialogs->typeName(m_home.filePath(QStringLiteral("saved.zzr")));
        m_ui->press("saveButton");
        QVERIFY(!m_window->isWindowModified());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("ＫＬＶ－９０ - saved.zzr[*]"));
        m_ui->press("deleteButton");
        QVERIFY(m_window->isWindowModified());
        press(Qt::CTRL | Qt::Key_Z);
        QVERIFY(!m_window->isWindowModified());
        press(Qt::CTRL | Qt::Key_Z); // before B was added
        QVERIFY(m_window->isWindowModified());
    }

    // A right click opens the menu without moving the current row; its entries name the change
    // and are greyed when there is none.
    void gridMenu()
    {
        StepGrid *grid = m_window->grid();
        const auto openMenu = [&] {
            rightClickGrid(grid, grid->visualRect(grid->model()->index(2, 4)).center());
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QStringList entries;
            for (QAction *entry : menu ? menu->actions() : QList<QAction *>{})
                entries << entry->text() + (entry->isEnabled() ? "" : " (greyed)");
            return std::make_pair(menu, entries);
        };
        auto [menu, entries] = openMenu();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), QStringLiteral("stepGridMenu"));
        QCOMPARE(entries, QStringList({"元に戻す: 命令追加 (ステップ 2)", "やり直し (greyed)"}));
        QCOMPARE(currentRow(grid), 3);
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(action("undoAction")).center());
        QCOMPARE(m_ui->keys(), QList<int>({1, 4}));

        press(Qt::CTRL | Qt::Key_Z);
        press(Qt::CTRL | Qt::Key_Z);
        std::tie(menu, entries) = openMenu();
        QCOMPARE(entries, QStringList({"元に戻す (greyed)", "やり直し: 命令追加 (ステップ 1)"}));
        QTest::keyClick(menu, Qt::Key_Escape);
        QCOMPARE(m_ui->keys(), QList<int>());
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
