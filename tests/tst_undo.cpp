// Undo and redo on the real window: each kind of change of the table taken back with Ctrl+Z and
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

class TestUndo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    MainWindow *m_window = nullptr;
    Driver *m_ui = nullptr;

    // Everything of the window that undo puts back.
    auto shown() const
    {
        return std::tuple(m_window->stepTable(), m_ui->wires(), currentRow(m_window->grid()),
                          m_ui->highlightedRows(), m_window->editor()->state(),
                          m_window->editor()->workStep(), selectedRow(m_window),
                          m_window->windowTitle(), m_window->isWindowModified());
    }
    // To whatever has the focus, in the window active again after a dialog as on a desktop.
    void press(QKeyCombination key)
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_window, key.key(), key.keyboardModifiers());
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(writeAll(m_home.filePath(QStringLiteral("program.zzr")), fileOf(stepsFor(2))));
    }
    // Three steps masking wire 5, the second one's row clicked, and the editor changed since.
    void init()
    {
        m_window = new MainWindow;
        m_window->show();
        m_ui = new Driver(m_window);
        m_ui->add(editor("LLHLMLL"));
        m_ui->add(editor("HLLLMLL", 0x01, {10, 25, 3, 1, 50, 0, 2}));
        m_ui->add(editor("LHLLMLL", 0x02 | Inc, {20, 90, 0, 30, 70, 4, 1}, 1));
        m_ui->clickRow(3);
        m_ui->compose(editor("LHLLMLL", 0x02 | Inc | Wait, {99, 33, 7, 120, 10, 9, 42}));
    }
    void cleanup()
    {
        delete m_ui;
        delete m_window;
    }

    void undoRedo_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("text");
        const QString load = QStringLiteral("読み込み (program.zzr)");
        QTest::newRow("Add") << "addButton"
                             << "命令追加 (ステップ 3)";
        QTest::newRow("Update") << "updateButton"
                                << "命令更新 (ステップ 2)";
        QTest::newRow("Delete") << "deleteButton"
                                << "削除 (ステップ 2)";
        QTest::newRow("Clear") << "clearButton"
                               << "消去";
        QTest::newRow("Load") << "loadButton" << load;
        QTest::newRow("hand-over") << "hand-over" << load;
        QTest::newRow("drop") << "drop" << load;
        QTest::newRow("klv90 FILE") << "file" << load;
    }
    void undoRedo()
    {
        QFETCH(QString, operation);
        QFETCH(QString, text);
        const QString program = m_home.filePath(QStringLiteral("program.zzr"));
        if (operation == u"addButton")
            m_ui->compose(editor("HHLLMLL"));
        const auto before = shown();
        DialogAnswerer dialogs;
        dialogs.typeName(program);
        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile(program)});
        QDragEnterEvent enter({1, 1}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QDropEvent drop({1, 1}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        if (operation.endsWith(u"Button"))
            m_ui->press(qPrintable(operation));
        else if (operation == u"hand-over")
            m_window->takeHandOver(program);
        else if (operation == u"drop")
            QApplication::sendEvent(m_window, &enter), QApplication::sendEvent(m_window, &drop);
        else
            m_window->openSettingsFile(program); // as main does
        QTRY_VERIFY(!(shown() == before));       // a drop opens its file once the drop is over
        const auto after = shown();
        QCOMPARE(m_ui->control<QAction>("undoAction")->text(), "元に戻す: " + text);

        press(Qt::CTRL | Qt::Key_Z);
        QVERIFY(shown() == before);
        QCOMPARE(m_ui->control<QAction>("redoAction")->text(), "やり直し: " + text);
        press(Qt::CTRL | Qt::Key_Y);
        QVERIFY(shown() == after);
        press(Qt::CTRL | Qt::Key_Z);
        press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QVERIFY(shown() == after);
        QCOMPARE(dialogs.messages, QStringList());
    }

    // A right click opens the menu and leaves the current row; its entries name the change, or
    // are greyed.
    void gridMenu()
    {
        StepGrid *grid = m_window->grid();
        const auto menuEntries = [&] {
            rightClickGrid(grid, grid->visualRect(grid->model()->index(2, 4)).center());
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QStringList entries{menu->objectName()};
            for (QAction *entry : menu->actions())
                entries << entry->text() + (entry->isEnabled() ? "" : " (greyed)");
            return entries;
        };
        QCOMPARE(menuEntries(), QStringList({"stepGridMenu", "元に戻す: 命令追加 (ステップ 2)",
                                             "やり直し (greyed)"}));
        QCOMPARE(currentRow(grid), 3);
        auto *menu = static_cast<QMenu *>(QApplication::activePopupWidget());
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions().first()).center());
        QCOMPARE(m_ui->keys(), QList<int>({1, 4}));
        press(Qt::CTRL | Qt::Key_Z);
        press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(menuEntries(), QStringList({"stepGridMenu", "元に戻す (greyed)",
                                             "やり直し: 命令追加 (ステップ 1)"}));
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
