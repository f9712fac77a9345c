// The window over its editing session, clicked and typed at as a user does: each control reaches
// the session and the window then shows it (the grid, the greyed wires, the editor, the title);
// undo from the keys and the grid's menu; the grid's gestures and keys; the way Tab goes; and the
// ways another program opens over unsaved steps.
#include "dialoganswerer.h"
#include "editdriver.h"
#include "settingsfile.h"
#include "settingsfiletesting.h"
#include "steptext.h"
#include "teststrings.h"
#include "testtexts.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Klv;
using namespace edit;

Q_DECLARE_METATYPE(EditorState)

namespace {

const QString DontSave = QStringLiteral("保存しない");
const QString Save = QStringLiteral("保存");
const QString Cancel = QStringLiteral("キャンセル");

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    MainWindow *m_window = nullptr;
    Driver *m_ui = nullptr;
    EditSession *session() const { return m_window->session(); }
    QString program() const { return m_home.filePath(QStringLiteral("program.zzr")); }

    // Everything the window shows of the session.
    auto shown() const
    {
        QStringList rows;
        for (int slot = 0; slot < StepTable::MaxSteps; ++slot)
            rows << m_ui->rowText(slot);
        return std::tuple(rows, m_ui->wires(), m_window->grid()->currentIndex().row(),
                          m_ui->highlightedSlots(), m_window->editor()->state(),
                          m_window->windowTitle(), m_window->isWindowModified());
    }
    // The window shows what the session holds.
    void verifyShowsSession()
    {
        for (int slot = 0; slot < StepTable::MaxSteps; ++slot) {
            const Step step =
                slot < session()->table().count() ? session()->table().at(slot) : Step{};
            QCOMPARE(m_ui->rowText(slot).section(u'|', StepColumnCount - 1),
                     slot < session()->table().count()
                         ? GridText::stepCell(step, StepColumn::StepFlag)
                         : QString());
        }
        QString wires;
        for (int wire = 0; wire < 6; ++wire)
            wires += session()->lockedWires() & (1 << wire) ? u'D' : u'E';
        QCOMPARE(m_ui->wires(), wires + u'E');
        QCOMPARE(m_window->grid()->currentIndex().row(), session()->currentSlot());
        QCOMPARE(m_ui->highlightedSlots(), session()->isCurrentRowHighlighted()
                                               ? QList<int>{session()->currentSlot()}
                                               : QList<int>());
        QCOMPARE(m_window->isWindowModified(), session()->isModified());
        QVERIFY(m_window->windowTitle().contains(QFileInfo(session()->file()).fileName()));
    }
    // To whatever has the focus, in the window active again after a dialog as on a desktop.
    void press(QKeyCombination key)
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_window, key.key(), key.keyboardModifiers());
    }
    void drop(const QString &path)
    {
        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter({1, 1}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QDropEvent drop({1, 1}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QApplication::sendEvent(m_window, &enter);
        QVERIFY(enter.isAccepted());
        QApplication::sendEvent(m_window, &drop);
    }
    // Opens path the way named: the Load button, a hand-over, a drop or klv90 FILE.
    void open(const QString &way, const QString &path)
    {
        if (way == u"Load")
            m_ui->press("loadButton");
        else if (way == u"hand-over")
            m_window->takeHandOver(path);
        else if (way == u"drop")
            drop(path);
        else
            m_window->openSettingsFile(path); // as main does
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(writeAll(program(), fileOf(stepsFor(2))));
    }
    // Three steps masking wire 5, the second one's row clicked, and the editor changed since.
    void init()
    {
        m_window = new MainWindow;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_ui = new Driver(m_window);
        m_ui->add(editor("LLHLMLL"));
        m_ui->add(editor("HLLLMLL", 0x01, {10, 25, 3, 1, 50, 0, 2}));
        m_ui->add(editor("LHLLMLL", 0x02 | Inc, {20, 90, 0, 30, 70, 4, 1}, 1));
        m_ui->clickStep(1);
        m_ui->compose(editor("LHLLMLL", 0x02 | Inc | Wait, {99, 33, 7, 120, 10, 9, 42}));
    }
    void cleanup()
    {
        delete m_ui;
        delete m_window;
    }

    // Each control that changes the table, and each way a program opens: the window then shows
    // the session, the steps unsaved are asked about first, and the keys undo and redo it.
    void controls_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("change");
        const QString load = QStringLiteral("読み込み (program.zzr)");
        QTest::newRow("命令追加") << "addButton"
                                  << "命令追加 (ステップ 3)";
        QTest::newRow("命令更新") << "updateButton"
                                  << "命令更新 (ステップ 2)";
        QTest::newRow("削除") << "deleteButton"
                              << "削除 (ステップ 2)";
        QTest::newRow("消去") << "clearButton"
                              << "消去";
        QTest::newRow("読み込み") << "Load" << load;
        QTest::newRow("hand-over") << "hand-over" << load;
        QTest::newRow("drop") << "drop" << load;
        QTest::newRow("klv90 FILE") << "file" << load;
    }
    void controls()
    {
        QFETCH(QString, control);
        QFETCH(QString, change);
        if (control == u"addButton")
            m_ui->compose(editor("HHLLMLL"));
        verifyShowsSession();
        const auto before = shown();
        DialogAnswerer dialogs;
        dialogs.choose(DontSave);
        dialogs.typeName(program());
        if (control.endsWith(u"Button"))
            m_ui->press(qPrintable(control));
        else
            open(control, program());
        QTRY_VERIFY(!(shown() == before)); // a drop opens its file once the drop is over
        verifyShowsSession();
        const auto after = shown();
        QCOMPARE(m_ui->control<QAction>("undoAction")->text(), "元に戻す: " + change);
        const bool opens = change.startsWith(QStringLiteral("読み込み"));
        QCOMPARE(dialogs.messages, opens ? QStringList{Texts::AskedBeforeOpen} : QStringList());

        press(Qt::CTRL | Qt::Key_Z);
        QVERIFY(shown() == before);
        QCOMPARE(m_ui->control<QAction>("redoAction")->text(), "やり直し: " + change);
        press(Qt::CTRL | Qt::Key_Y);
        QVERIFY(shown() == after);
        press(Qt::CTRL | Qt::Key_Z);
        press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QVERIFY(shown() == after);
    }

    // Each refusal of the session reaches the user in its words, in the tool's box.
    void refusals_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<EditorState>("composed");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("message");
        QTest::newRow("both bit conditions")
            << "addButton" << editor("HHHLMLL", Inc | Dec) << false << Texts::DoubleBit;
        QTest::newRow("same key") << "addButton" << editor("LLHLMLL") << false << Texts::SameKey;
        QTest::newRow("full table") << "addButton" << editor("LLLLLLH") << true << Texts::Full;
        QTest::newRow("key changed")
            << "updateButton" << editor("HHLLMLL") << false << Texts::KeyFixed;
    }
    void refusals()
    {
        QFETCH(QString, button);
        QFETCH(EditorState, composed);
        QFETCH(bool, full);
        QFETCH(QString, message);
        if (full) {
            // A window of its own, with 64 keys over wires 1 to 6, each with an increase and a
            // decrease step.
            cleanup();
            m_window = new MainWindow;
            m_window->show();
            m_ui = new Driver(m_window);
            QList<Step> steps;
            for (int i = 0; i < StepTable::MaxSteps; ++i)
                steps << encodeStep(editor("LLLLLLL", i % 2 ? Dec : Inc));
            for (int i = 0; i < StepTable::MaxSteps; ++i)
                steps[i].keyData = qint16(i / 2);
            session()->model()->load(steps);
        }
        m_ui->compose(composed);
        DialogAnswerer dialogs;
        m_ui->press(qPrintable(button));
        QCOMPARE(dialogs.messages, QStringList{"KLV-90|" + message});
    }

    // The other answers to the question before a program opens over unsaved steps: キャンセル
    // keeps everything and opens nothing, 保存 saves first as the exit question's 保存 does.
    void openOverUnsaved_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("emptied"); // the table cleared first: nothing to save
        QTest::newRow("読み込み, キャンセル") << "Load" << Cancel << false;
        QTest::newRow("hand-over, キャンセル") << "hand-over" << Cancel << false;
        QTest::newRow("drop, 保存 through Save's dialog") << "drop" << Save << false;
        QTest::newRow("klv90 FILE, emptied table, 保存しない") << "file" << DontSave << true;
    }
    void openOverUnsaved()
    {
        QFETCH(QString, way);
        QFETCH(QString, answer);
        QFETCH(bool, emptied);
        if (emptied) {
            session()->open(program(), m_window->editor()->state());
            m_ui->press("clearButton");
        }
        const StepTable before = session()->table();
        const QString saved = m_home.filePath(QStringLiteral("saved.zzr"));
        QFile::remove(saved);
        DialogAnswerer dialogs;
        QStringList buttons;
        QTimer watch; // notes the question's buttons before the answerer presses one
        connect(&watch, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                box && buttons.isEmpty()) {
                for (QAbstractButton *button : box->buttons())
                    buttons << button->text();
            }
        });
        watch.start(1);
        dialogs.choose(answer);
        dialogs.typeName(answer == Save ? saved : program());
        open(way, program());
        QTRY_COMPARE(dialogs.messages, QStringList{Texts::AskedBeforeOpen});
        QTest::qWait(50);
        buttons.sort();
        QCOMPARE(buttons,
                 emptied ? QStringList({Cancel, DontSave}) : QStringList({Cancel, Save, DontSave}));
        // キャンセル opened no dialog either.
        QCOMPARE(dialogs.fileDialogs.size(), answer == Save ? 1 : 0);
        QCOMPARE(readAll(saved), answer == Save ? fileOf(before.toList()) : QByteArray());
        QCOMPARE(session()->table().toList(), answer == Cancel ? before.toList() : stepsFor(2));
        QCOMPARE(session()->file(), answer == Cancel ? QString() : program());
    }

    // Ctrl+S saves to the file named in the title, without a dialog; with none yet it is Save.
    // Ctrl+O is Load.
    void saveAndOpenKeys()
    {
        const QString other = m_home.filePath(QStringLiteral("other.zzr"));
        DialogAnswerer dialogs;
        dialogs.typeName(other);
        press(Qt::CTRL | Qt::Key_S);
        QCOMPARE(dialogs.fileDialogs.size(), 1);
        QCOMPARE(dialogs.fileDialogs[0].title, QStringLiteral("名前を付けて保存"));
        QCOMPARE(session()->file(), other);
        m_ui->press("deleteButton");
        press(Qt::CTRL | Qt::Key_S);
        QCOMPARE(dialogs.fileDialogs.size(), 1);
        QCOMPARE(readAll(other), settingsFileBytes(session()->table()));
        QVERIFY(!m_window->isWindowModified());

        dialogs.typeName(program());
        press(Qt::CTRL | Qt::Key_O);
        QCOMPARE(dialogs.fileDialogs.size(), 2);
        QCOMPARE(dialogs.fileDialogs[1].title, QStringLiteral("ファイルの読み込み"));
        QCOMPARE(session()->file(), program());
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
                entries << (entry->isSeparator() ? "-" : entry->text()) +
                               (entry->isEnabled() ? "" : " (greyed)");
            return entries.join(u'|');
        };
        const QString others = "|-|コピー|すべてのステップをコピー|貼り付け|-|印刷プレビュー";
        QCOMPARE(menuEntries(),
                 "stepGridMenu|元に戻す: 命令追加 (ステップ 2)|やり直し (greyed)" + others);
        QCOMPARE(grid->currentIndex().row(), 1);
        auto *menu = static_cast<QMenu *>(QApplication::activePopupWidget());
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions().first()).center());
        QCOMPARE(m_ui->keys(), QList<int>({1, 4}));
        press(Qt::CTRL | Qt::Key_Z);
        press(Qt::CTRL | Qt::Key_Z);
        // The highlighted row, after the Delete, holds no step: nothing to copy.
        QCOMPARE(menuEntries(),
                 "stepGridMenu|元に戻す (greyed)|やり直し: 命令追加 (ステップ 1)|-|コピー (greyed)|"
                 "すべてのステップをコピー (greyed)|貼り付け|-|印刷プレビュー");
    }

    // Ctrl+C copies the highlighted step as a spreadsheet takes it, the menu all of them, and
    // Ctrl+V adds what the clipboard holds as one undo step, or says which line it refuses.
    void clipboard()
    {
        const QString header = StepText::line(StepText::headerFields(), StepText::Separator::Tab);
        const auto lineOf = [](const Step &step) {
            return StepText::line(StepText::stepFields(step), StepText::Separator::Tab);
        };
        const QList<Step> steps = session()->table().toList();
        const auto rows = [&] {
            return QStringList{m_ui->rowText(0), m_ui->rowText(1), m_ui->rowText(2)};
        };
        const QStringList shownRows = rows();
        press(Qt::CTRL | Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), header + lineOf(steps[1]));
        m_ui->control<QAction>("copyAllAction")->trigger();
        const QString all = header + lineOf(steps[0]) + lineOf(steps[1]) + lineOf(steps[2]);
        QCOMPARE(QGuiApplication::clipboard()->text(), all);

        DialogAnswerer dialogs;
        // A new key, then one the table has: the second line is refused, and nothing is added.
        QGuiApplication::clipboard()->setText(header + lineOf(encodeStep(editor("HHHLMLL"))) +
                                              lineOf(steps[0]));
        press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(dialogs.messages,
                 QStringList{"KLV-90|貼り付けできませんでした。\n3 行目: " + Texts::SameKey});
        QCOMPARE(rows(), shownRows);
        QGuiApplication::clipboard()->setText(all);
        m_ui->press("clearButton");
        press(Qt::CTRL | Qt::Key_V);
        // Instruction 2's values are not kept where it is not in force: the grid shows "-".
        QCOMPARE(rows(), shownRows);
        QCOMPARE(m_ui->control<QAction>("undoAction")->text(), "元に戻す: 貼り付け (3 ステップ)");
        QCOMPARE(m_ui->wires(), QStringLiteral("EEEEDEE"));

        QGuiApplication::clipboard()->setText(QString(all).replace("\t50\t", "\t500\t"));
        press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(dialogs.messages.last(),
                 "KLV-90|4 行目はステップではありません。\n"
                 "命令１目的輝度 の「500」は使えません（0～100 の整数）。");
        QCOMPARE(rows(), shownRows);
    }

    // The menu's preview shows the pages that 印刷 would print.
    void preview()
    {
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            shown = dialog && dialog->findChild<QPrintPreviewWidget *>()->pageCount() == 1;
            if (dialog)
                dialog->reject();
        });
        m_ui->control<QAction>("previewAction")->trigger();
        QVERIFY(shown);
    }

    // Every place a click on the grid can land reaches the session; a row without a step says
    // so first.
    void gridClicks_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("a cell of step 3") << "cell 2" << 2 << 2 << QStringList();
        QTest::newRow("the number of step 1") << "number 0" << 0 << 0 << QStringList();
        QTest::newRow("the upper header line") << "header 0" << 0 << 1 << QStringList();
        QTest::newRow("the lower header line") << "header 1" << 0 << 1 << QStringList();
        QTest::newRow("the corner") << "corner" << 0 << 1 << QStringList();
        QTest::newRow("an empty row")
            << "cell 5" << 0 << 5 << QStringList{"KLV-90|" + Texts::OutOfRange};
    }
    void gridClicks()
    {
        QFETCH(QString, place);
        QFETCH(int, selected);
        QFETCH(int, current);
        QFETCH(QStringList, messages);
        StepGrid *grid = m_window->grid();
        const int at = place.section(u' ', 1).toInt();
        DialogAnswerer dialogs;
        if (place.startsWith(u"cell"))
            clickStep(grid, at, 14);
        else if (place.startsWith(u"number"))
            clickStepNumber(grid, at);
        else if (place.startsWith(u"header"))
            clickHeader(grid, at, 3);
        else
            clickCorner(grid);
        QCOMPARE(dialogs.messages, messages);
        QCOMPARE(session()->selectedSlot(), selected);
        QCOMPARE(session()->currentSlot(), current);
        QCOMPARE(m_window->editor()->state(), editorForStep(session()->workStep()));
        verifyShowsSession();
    }

    // Gestures other than a plain click never part the row the editor shows from the row Delete
    // acts on: other buttons leave both alone, and a press dragged to another row is a click on
    // the row pressed.
    void gridGestures_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("selected"); // the slot loaded, and the one Delete removes
        QTest::newRow("right click on step 3") << "right" << 1;
        QTest::newRow("middle click on step 3") << "middle" << 1;
        QTest::newRow("cell of step 1 dragged to step 3") << "drag cells" << 0;
        QTest::newRow("number 1 dragged to number 3") << "drag numbers" << 0;
    }
    void gridGestures()
    {
        QFETCH(QString, gesture);
        QFETCH(int, selected);
        StepGrid *grid = m_window->grid();
        QWidget *cells = grid->viewport();
        QWidget *numbers = grid->verticalHeader()->viewport();
        const auto cellAt = [&](int slot) {
            return grid->visualRect(grid->model()->index(slot, 3)).center();
        };
        const auto numberAt = [&](int slot) {
            const QHeaderView *header = grid->verticalHeader();
            return QPoint(header->width() / 2,
                          header->sectionViewportPosition(slot) + header->sectionSize(slot) / 2);
        };
        const auto drag = [](QWidget *on, QPoint from, QPoint to) {
            QTest::mousePress(on, Qt::LeftButton, {}, from);
            for (int step = 1; step <= 4; ++step) {
                const QPoint at = from + (to - from) * step / 4;
                QMouseEvent move(QEvent::MouseMove, at, on->mapToGlobal(at), Qt::NoButton,
                                 Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(on, &move);
            }
            QTest::mouseRelease(on, Qt::LeftButton, {}, to);
        };
        const QList<EditorState> steps{m_window->editor()->state()};
        const QList<Step> table = session()->table().toList();
        DialogAnswerer dialogs;
        if (gesture == "right") {
            // It opens the grid's menu, closed again here.
            rightClickGrid(grid, cellAt(2));
            QWidget *menu = QApplication::activePopupWidget();
            QCOMPARE(menu->objectName(), QStringLiteral("stepGridMenu"));
            QTest::keyClick(menu, Qt::Key_Escape);
            QVERIFY(!menu->isVisible());
        } else if (gesture == "middle") {
            QTest::mouseClick(cells, Qt::MiddleButton, {}, cellAt(2));
        } else if (gesture == "drag cells") {
            drag(cells, cellAt(0), cellAt(2));
        } else {
            drag(numbers, numberAt(0), numberAt(2));
        }
        QCOMPARE(dialogs.messages, QStringList());
        QCOMPARE(session()->selectedSlot(), selected);
        QCOMPARE(session()->currentSlot(), selected);
        QCOMPARE(m_ui->highlightedSlots(), QList<int>{selected});
        if (gesture.startsWith(u"drag"))
            QCOMPARE(m_window->editor()->state(), editorForStep(table[selected]));
        QList<int> remaining = m_ui->keys();
        remaining.removeAt(selected);
        m_ui->press("deleteButton");
        QCOMPARE(m_ui->keys(), remaining);
    }

    // The highlighted row stays visible when the focus is elsewhere.
    void highlightWithoutFocus()
    {
        StepGrid *grid = m_window->grid();
        grid->scrollToTop();
        QTest::mouseClick(m_ui->control<QCheckBox>("keyFlagCheck"), Qt::LeftButton);
        QVERIFY(!grid->hasFocus());
        const auto painted = [grid](int slot) {
            const QRect cell = grid->visualRect(grid->model()->index(slot, 11));
            const QImage image = grid->viewport()->grab().toImage();
            return image.pixelColor(cell.left() + 3, cell.center().y());
        };
        const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
        QCOMPARE(painted(1), highlight);
        QVERIFY(painted(0) != highlight);
        m_ui->press("clearButton");
        QCOMPARE(painted(0), highlight);
        QVERIFY(painted(1) != highlight);
    }

    // The keys move the grid's highlight among the steps only, and the editor follows, as a
    // click would take the step; Update and Delete then act on the step the editor shows.
    void gridKeys_data()
    {
        QTest::addColumn<QList<QKeyCombination>>("keys");
        QTest::addColumn<int>("slot");          // -1: the table emptied first
        QTest::addColumn<bool>("fromEmptyRow"); // the current row first on the last, empty one
        using K = QList<QKeyCombination>;
        QTest::newRow("Down twice") << K{Qt::Key_Down, Qt::Key_Down} << 2 << false;
        QTest::newRow("Up") << K{Qt::Key_Up} << 0 << false;
        QTest::newRow("Page Down") << K{Qt::Key_PageDown} << 2 << false;
        QTest::newRow("Page Up") << K{Qt::Key_PageUp} << 0 << false;
        QTest::newRow("End") << K{Qt::Key_End} << 2 << false;
        QTest::newRow("Home") << K{Qt::Key_Home} << 0 << false;
        QTest::newRow("Ctrl+Home") << K{Qt::CTRL | Qt::Key_Home} << 0 << false;
        QTest::newRow("from the empty row after start-up, Up") << K{Qt::Key_Up} << 2 << true;
        QTest::newRow("from the empty row after start-up, Down") << K{Qt::Key_Down} << 2 << true;
        QTest::newRow("on an empty table")
            << K{Qt::Key_Down, Qt::Key_End, Qt::Key_Up} << -1 << false;
    }
    void gridKeys()
    {
        QFETCH(QList<QKeyCombination>, keys);
        QFETCH(int, slot);
        QFETCH(bool, fromEmptyRow);
        if (fromEmptyRow) {
            // The same steps in a window whose grid has not been clicked yet.
            cleanup();
            m_window = new MainWindow;
            m_window->show();
            m_ui = new Driver(m_window);
            for (const char *key : {"LLHLMLL", "HLLLMLL", "LHLLMLL"})
                m_ui->add(editor(key));
            QCOMPARE(session()->currentSlot(), 127);
        }
        if (slot < 0)
            m_ui->press("clearButton");
        StepGrid *grid = m_window->grid();
        grid->setFocus();
        const auto before = shown();
        DialogAnswerer dialogs;
        for (const QKeyCombination key : keys)
            QTest::keyClick(grid, key.key(), key.keyboardModifiers());
        QCOMPARE(dialogs.messages, QStringList());
        if (slot < 0) {
            QVERIFY(shown() == before); // nothing to move among
            return;
        }
        QCOMPARE(session()->currentSlot(), slot);
        QCOMPARE(session()->selectedSlot(), slot);
        verifyShowsSession();
        const Step step = session()->table().at(slot);
        QCOMPARE(m_window->editor()->state(), editorForStep(step));
        m_ui->control<QScrollBar>(ControlNames::slider(EditorState::RepeatCount))->setValue(77);
        m_ui->press("updateButton");
        QCOMPARE(session()->table().at(slot).repeatCount, 77);
        const int count = session()->table().count();
        m_ui->press("deleteButton");
        QCOMPARE(session()->table().count(), count - 1);
        QVERIFY(!session()->table().toList().contains(session()->workStep()));
    }

    // Tab goes through every control in the window's reading order, each group of options once,
    // the grid included and left again; a slider that has the focus moves with the keys.
    void tabOrder()
    {
        // The editor shows step 2 with wire 2 at HI: each group stops on the option chosen, and
        // wire 5, greyed, not at all.
        const QStringList expected =
            QStringLiteral(
                "keyWire1Lo keyWire2Hi keyWire3Lo keyWire4Lo keyWire6Lo flagInputLo port1Check "
                "port2Check port3Check port4Check bitIncreaseCheck bitDecreaseCheck speed1Slider "
                "brightness1Slider pause1Slider instruction2Check speed2Slider brightness2Slider "
                "pause2Slider repeatCountSlider keyFlagCheck waitForEndCheck addButton "
                "updateButton "
                "deleteButton clearButton loadButton saveButton printButton exitButton stepGrid "
                "downloadButton")
                .split(u' ');
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        m_ui->control<QWidget>("keyWire1Lo")->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
        QCOMPARE(QApplication::focusWidget()->objectName(), expected.first()); // round again

        auto *slider = m_ui->control<QScrollBar>("brightness1Slider");
        slider->setFocus(Qt::TabFocusReason);
        const int value = slider->value();
        QTest::keyClick(slider, Qt::Key_Down);
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(slider->value(), value + 11);
        QCOMPARE(m_ui->control<QLineEdit>("brightness1Text")->text(), QString::number(value + 11));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
