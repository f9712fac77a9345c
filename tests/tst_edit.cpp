// The editing operations worked on the real window: buttons, option buttons, check boxes and
// grid cells clicked, message boxes answered, then the table, grid, editor and locks read back.
#include "editdriver.h"
#include "messageboxes.h"
#include "teststrings.h"
#include "testtexts.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

using namespace Klv;

using namespace edit;

Q_DECLARE_METATYPE(EditorState)

namespace {

using Texts::DoubleBit, Texts::SameKey, Texts::Full, Texts::KeyFixed, Texts::OutOfRange;

// Three steps, added as C, A, B so that the sort has work to do: A (keyData 1) lands in row 2,
// B (keyData 2) in row 3, C (keyData 4) in row 4.
const EditorState A = editor("HLLLLLL", 0x01 | Wait, {10, 25, 3, 1, 50, 0, 2});
const EditorState B = editor("LHLLLLL", 0x02 | Inc | Instr2, {20, 90, 0, 30, 70, 4, 1}, 1);
const EditorState C = editor("LLHLLLL", 0x0C, {255, 100, 255, 255, 0, 255, 255});
const Step StoredB{2, 255, 0x02 | 0x20 | 0x80, 20, 229, 0, 30, 179, 4, 1, 1};
const QString RowB = QStringLiteral("LO|HI|LO|LO|LO|LO|LO||RUN|||BIT増||20|90|0|30|70|4|1|ON");
const QString EmptyRow = QString(20, u'|');
const QString AllEnabled = QStringLiteral("EEEEEEE");

} // namespace

class TestEdit : public QObject
{
    Q_OBJECT

    void addABC()
    {
        for (const EditorState &e : {C, A, B})
            m_ui->add(e);
        QCOMPARE(m_ui->keys(), QList<int>({1, 2, 4}));
    }

private slots:
    void init()
    {
        m_form = new MainWindow;
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        m_ui = new Driver(m_form);
        m_boxes = new MessageBoxAnswerer;
    }
    void cleanup()
    {
        for (const auto &message : m_boxes->messages())
            QCOMPARE(message.caption, QStringLiteral("KLV-90"));
        delete m_boxes;
        delete m_ui;
        delete m_form;
    }

    // Steps composed one after the other: the refusals, their order, the sort and the locks.
    void add_data()
    {
        QTest::addColumn<QList<EditorState>>("steps");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("wires");
        const EditorState lo = editor("LLLLLLL");
        QTest::newRow("sorted by keyData") << QList{editor("HHLLLLL"), editor("HLLLLLL"), lo}
                                           << QStringList{} << QList<int>{0, 1, 3} << AllEnabled;
        QTest::newRow("masked wire 2 locks its options")
            << QList{editor("LMLLLLL")} << QStringList{} << QList<int>{0}
            << QStringLiteral("EDEEEEE");
        QTest::newRow("masked flag input leaves its options enabled, then refuses HI on it")
            << QList{editor("LLLLLLM"), editor("LHLLLLH")} << QStringList{SameKey} << QList<int>{0}
            << AllEnabled;
        QTest::newRow("same key") << QList{lo, lo} << QStringList{SameKey} << QList<int>{0}
                                  << AllEnabled;
        QTest::newRow("same key, one with increase")
            << QList{lo, editor("LLLLLLL", Inc)} << QStringList{SameKey} << QList<int>{0}
            << AllEnabled;
        QTest::newRow("same key, both with increase")
            << QList{editor("LLLLLLL", Inc), editor("LLLLLLL", Inc)} << QStringList{SameKey}
            << QList<int>{0} << AllEnabled;
        QTest::newRow("increase/decrease pair on one key")
            << QList{editor("HLLLLLL", Inc), editor("HLLLLLL", Dec)} << QStringList{}
            << QList<int>{1, 1} << AllEnabled;
        QTest::newRow("a third step on the pair's key")
            << QList{editor("HLLLLLL", Inc), editor("HLLLLLL", Dec), editor("HLLLLLL", Dec)}
            << QStringList{SameKey} << QList<int>{1, 1} << AllEnabled;
        QTest::newRow("masking a wire the table tests")
            << QList{lo, editor("LLMLLLL")} << QStringList{SameKey} << QList<int>{0} << AllEnabled;
        QTest::newRow("both bit conditions")
            << QList{editor("LLLLLLL", Inc | Dec)} << QStringList{DoubleBit} << QList<int>{}
            << AllEnabled;
        QTest::newRow("both bit conditions and same key, masked")
            << QList{editor("LLLLLMM"), editor("LLLLLMM", Inc | Dec)} << QStringList{DoubleBit}
            << QList<int>{0} << QStringLiteral("EEEEEDE");
        // The double bit condition is reported before a key the table refuses.
        QTest::newRow("both bit conditions on a key taken by an increase step")
            << QList{editor("LLLLLLL", Inc), editor("LLLLLLL", Inc | Dec)} << QStringList{DoubleBit}
            << QList<int>{0} << AllEnabled;
        QTest::newRow("both bit conditions, masking a wire the table tests")
            << QList{lo, editor("LLMLLLL", Inc | Dec)} << QStringList{DoubleBit} << QList<int>{0}
            << AllEnabled;
    }
    void add()
    {
        QFETCH(QList<EditorState>, steps);
        QFETCH(QStringList, messages);
        QFETCH(QList<int>, keys);
        QFETCH(QString, wires);
        for (const EditorState &e : steps)
            m_ui->add(e);
        QCOMPARE(m_boxes->texts(), messages);
        QCOMPARE(m_ui->keys(), keys);
        QCOMPARE(m_ui->wires(), wires);
        // The editor keeps the last step, ready for the next one.
        QCOMPARE(m_form->editor()->state(), steps.last());
        QCOMPARE(m_ui->rowText(keys.size() + 2), EmptyRow);
    }

    // What one Add stores and shows.
    void addedStep_data()
    {
        QTest::addColumn<EditorState>("composed");
        QTest::addColumn<Step>("stored");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("wires");
        QTest::newRow("start-up defaults")
            << EditorState{} << Step{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0}
            << QStringLiteral("LO|LO|LO|LO|LO|LO|LO|||||||1|50|0|-|-|-|1|OFF") << AllEnabled;
        QTest::newRow("every control used")
            << editor("HLMLLLH", 0x09 | Inc | Wait | Instr2, {7, 73, 9, 200, 100, 3, 12}, 1)
            << Step{65, 251, 0x09 | 0x20 | 0x40 | 0x80, 7, 186, 9, 200, 255, 3, 12, 1}
            << QStringLiteral("HI|LO|MASK|LO|LO|LO|HI|RUN|||RUN|BIT増|WAIT|7|73|9|200|100|3|12|ON")
            << QStringLiteral("EEDEEEE");
        QTest::newRow("decrease, instruction 2 off keeps its values")
            << editor("MMMMMMM", Dec, {255, 0, 255, 17, 90, 255, 255})
            << Step{0, 128, 0x10, 255, 0, 255, 17, 229, 255, 255, 0}
            << QStringLiteral(
                   "MASK|MASK|MASK|MASK|MASK|MASK|MASK|||||BIT減||255|0|255|-|-|-|255|OFF")
            << QStringLiteral("DDDDDDE");
    }
    void addedStep()
    {
        QFETCH(EditorState, composed);
        QFETCH(Step, stored);
        QFETCH(QString, row);
        QFETCH(QString, wires);
        m_ui->add(composed);
        QCOMPARE(m_boxes->texts(), QStringList());
        QCOMPARE(m_form->stepTable().count(), 1);
        QCOMPARE(m_form->stepTable().slot(0), stored);
        QCOMPARE(m_form->editor()->workStep(), stored);
        QCOMPARE(m_ui->rowText(2), row);
        QCOMPARE(m_ui->wires(), wires);
    }

    // A full table composed through the editor: 64 keys with an increase and a decrease step
    // each, then the refusals at 128, and Delete acting on row 129 where start-up left it.
    void fullTable()
    {
        for (int k = 0; k < 64; ++k) {
            char key[8] = "LLLLLLL";
            for (int w = 0; w < 6; ++w)
                key[w] = (k >> w) & 1 ? 'H' : 'L';
            m_ui->add(editor(key, Inc, {k + 1, 50, 0, 1, 50, 0, 1}));
            if (k == 63)
                QCOMPARE(m_form->stepTable().count(), 127);
            m_ui->add(editor(key, Dec, {k + 1, 50, 0, 1, 50, 0, 1}));
        }
        QCOMPARE(m_boxes->texts(), QStringList());
        QCOMPARE(m_form->stepTable().count(), 128);
        QCOMPARE(m_ui->keys().last(), 63);
        QVERIFY(m_ui->rowText(129).startsWith(QStringLiteral("HI|HI|HI|HI|HI|HI|LO|")));

        m_ui->add(editor("LLLLLLH"));            // a new key, but no room
        m_ui->add(editor("LLLLLLH", Inc | Dec)); // the double condition is reported first
        m_ui->add(editor("LLLLLLL"));            // a key of the table: same key, not full
        QCOMPARE(m_boxes->texts(), QStringList({Full, DoubleBit, SameKey}));
        QCOMPARE(m_form->stepTable().count(), 128);

        QCOMPARE(currentRow(m_form->grid()), 129);
        const Step beforeLast = m_form->stepTable().slot(126);
        m_ui->press("deleteButton");
        QCOMPARE(m_form->stepTable().count(), 127);
        QCOMPARE(m_form->stepTable().slot(126), beforeLast);
        QCOMPARE(m_ui->rowText(129), EmptyRow);
        QCOMPARE(m_ui->highlightedRows(), QList<int>{129});
        m_ui->press("deleteButton"); // the highlighted row is empty now
        QCOMPARE(m_form->stepTable().count(), 127);
        // The room made takes the deleted step's partner condition again.
        m_ui->add(editor("HHHHHHL", (beforeLast.controlBits & Inc) ? Dec : Inc));
        QCOMPARE(m_form->stepTable().count(), 128);
        QCOMPARE(m_boxes->texts().size(), 3);
    }

    // Gestures other than a plain click never part the row the editor shows from the row Delete
    // acts on: other buttons leave both alone, and a press dragged to another row is a click on
    // the row pressed.
    void gridGestures_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("selected"); // the row loaded, and the one Delete removes
        QTest::newRow("right click on row 4") << "right" << 3;
        QTest::newRow("middle click on row 4") << "middle" << 3;
        QTest::newRow("cell of row 2 dragged to row 4") << "drag cells" << 2;
        QTest::newRow("number 2 dragged to number 4") << "drag numbers" << 2;
    }
    void gridGestures()
    {
        QFETCH(QString, gesture);
        QFETCH(int, selected);
        addABC();
        m_ui->clickRow(3);
        StepGrid *grid = m_form->grid();
        QWidget *cells = grid->viewport();
        QWidget *numbers = grid->verticalHeader()->viewport();
        const auto cellAt = [&](int row) {
            return grid->visualRect(grid->model()->index(row - 2, 4)).center();
        };
        const auto numberAt = [&](int row) {
            const QHeaderView *header = grid->verticalHeader();
            return QPoint(header->width() / 2, header->sectionViewportPosition(row - 2) +
                                                   header->sectionSize(row - 2) / 2);
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
        if (gesture == "right") {
            // It opens the grid's menu, closed again here.
            rightClickGrid(grid, cellAt(4));
            QWidget *menu = QApplication::activePopupWidget();
            QCOMPARE(menu->objectName(), QStringLiteral("stepGridMenu"));
            QTest::keyClick(menu, Qt::Key_Escape);
            QVERIFY(!menu->isVisible());
        } else if (gesture == "middle")
            QTest::mouseClick(cells, Qt::MiddleButton, {}, cellAt(4));
        else if (gesture == "drag cells")
            drag(cells, cellAt(2), cellAt(4));
        else
            drag(numbers, numberAt(2), numberAt(4));

        QCOMPARE(m_boxes->texts(), QStringList());
        QCOMPARE(selectedRow(m_form), selected);
        QCOMPARE(currentRow(grid), selected);
        QCOMPARE(m_ui->highlightedRows(), QList<int>{selected});
        QCOMPARE(m_form->editor()->state(), (QList{A, B, C}[selected - 2]));
        QList<int> remaining = m_ui->keys();
        remaining.removeAt(selected - 2);
        m_ui->press("deleteButton");
        QCOMPARE(m_ui->keys(), remaining);
    }

    // A click on the grid: which row it selects, the message, and what the editor shows.
    void gridClick_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("current");
        QTest::newRow("data row 3") << 3 << 5 << QStringList{} << 3 << 3;
        QTest::newRow("data row 4, last column") << 4 << 21 << QStringList{} << 4 << 4;
        QTest::newRow("step number of row 2") << 2 << 0 << QStringList{} << 2 << 2;
        QTest::newRow("header row 0") << 0 << 3 << QStringList{} << 2 << 129;
        QTest::newRow("header row 1") << 1 << 14 << QStringList{} << 2 << 129;
        QTest::newRow("corner cell") << 0 << 0 << QStringList{} << 2 << 129;
        QTest::newRow("first empty row") << 5 << 1 << QStringList{OutOfRange} << 2 << 5;
        QTest::newRow("last row") << 129 << 10 << QStringList{OutOfRange} << 2 << 129;
    }
    void gridClick()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QStringList, messages);
        QFETCH(int, selected);
        QFETCH(int, current);
        addABC();
        m_ui->compose(editor("MMMMMMM", 0x0F, {99, 99, 99, 99, 99, 99, 99}));
        m_ui->clickRow(row, column);
        QCOMPARE(m_boxes->texts(), messages);
        QCOMPARE(selectedRow(m_form), selected);
        QCOMPARE(m_form->editor()->state(), (QList{A, B, C}[selected - 2]));
        QCOMPARE(currentRow(m_form->grid()), current);
        QCOMPARE(m_ui->highlightedRows(), QList<int>{current});
        QCOMPARE(m_ui->keys(), QList<int>({1, 2, 4}));
    }

    // Stored values the editor cannot produce (as a settings file may hold them), shown with
    // wires 1 to 6 locked: the locked option buttons still show the key, and stay locked.
    void storedStepToEditor_data()
    {
        QTest::addColumn<Step>("stored");
        QTest::addColumn<EditorState>("shown");
        QTest::newRow("zeros") << Step{} << editor("MMMMMMM", 0, {1, 0, 0, 1, 0, 0, 1});
        QTest::newRow("all LO") << Step{0, 255, 0, 5, 127, 6, 7, 229, 8, 9, 1}
                                << editor("LLLLLLL", 0, {5, 50, 6, 7, 90, 8, 9}, 1);
        QTest::newRow("keyMask 0 hides keyData") << Step{127, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0}
                                                 << editor("MMMMMMM", 0, {1, 0, 0, 1, 0, 0, 1});
        QTest::newRow("keyData 1, keyMask 187") << Step{1, 187, 0, 1, 2, 0, 1, 253, 0, 1, 0}
                                                << editor("HLMLLLM", 0, {1, 1, 0, 1, 99, 0, 1});
        QTest::newRow("every bit, stepFlag 7")
            << Step{127, 255, 255, 1, 1, 0, 255, 254, 255, 255, 7}
            << editor("HHHHHHH", 0xFF, {1, 0, 0, 255, 100, 255, 255}, 0);
        QTest::newRow("speeds and repeat count 0") << Step{0, 255, 0, 0, 26, 0, 0, 128, 0, 0, 0}
                                                   << editor("LLLLLLL", 0, {1, 10, 0, 1, 50, 0, 1});
    }
    void storedStepToEditor()
    {
        QFETCH(Step, stored);
        QFETCH(EditorState, shown);
        m_ui->add(editor("MMMMMML"));
        QCOMPARE(m_ui->wires(), QStringLiteral("DDDDDDE"));
        m_form->stepModel()->load({stored});
        m_ui->clickRow(2);
        QCOMPARE(m_boxes->texts(), QStringList());
        QCOMPARE(m_form->editor()->state(), shown);
        QCOMPARE(m_form->stepTable().slot(0), stored); // a stored 0 stays 0
        Step work = stored;
        work.speed1 = qMax<qint16>(work.speed1, 1);
        work.speed2 = qMax<qint16>(work.speed2, 1);
        work.repeatCount = qMax<qint16>(work.repeatCount, 1);
        QCOMPARE(m_form->editor()->workStep(), work);
        QCOMPARE(m_ui->wires(), QStringLiteral("DDDDDDE"));
    }

    // Update of row 3 (step B) after its row was clicked and the editor changed.
    void update_data()
    {
        QTest::addColumn<EditorState>("edited");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<Step>("slot1");
        QTest::addColumn<QString>("row3");
        QTest::addColumn<EditorState>("shown");
        const EditorState values =
            editor("LHLLLLL", 0x09 | Inc | Wait, {99, 33, 7, 120, 10, 9, 42}, 0);
        QTest::newRow("ports, wait, instruction 2, values and flag")
            << values << QStringList{}
            << Step{2, 255, 0x09 | 0x20 | 0x40, 99, 84, 7, 120, 26, 9, 42, 0}
            << QStringLiteral("LO|HI|LO|LO|LO|LO|LO|RUN|||RUN|BIT増|WAIT|99|33|7|-|-|-|42|OFF")
            << values;
        const auto keyRefused = [&](const char *name, EditorState e) {
            e.values = {77, 77, 77, 77, 77, 77, 77}; // undone with the key
            QTest::newRow(name) << e << QStringList{KeyFixed} << StoredB << RowB << B;
        };
        keyRefused("wire 1 to HI", editor("HHLLLLL", 0x02 | Inc | Instr2));
        keyRefused("wire 2 to MASK", editor("LMLLLLL", 0x02 | Inc | Instr2));
        keyRefused("flag input to HI", editor("LHLLLLH", 0x02 | Inc | Instr2));
        keyRefused("increase cleared", editor("LHLLLLL", 0x02 | Instr2));
        keyRefused("decrease instead of increase", editor("LHLLLLL", 0x02 | Dec | Instr2));
        const EditorState both = editor("HHLLLLL", Inc | Dec);
        QTest::newRow("both conditions, key changed too")
            << both << QStringList{DoubleBit} << StoredB << RowB << both;
    }
    void update()
    {
        QFETCH(EditorState, edited);
        QFETCH(QStringList, messages);
        QFETCH(Step, slot1);
        QFETCH(QString, row3);
        QFETCH(EditorState, shown);
        addABC();
        m_ui->clickRow(3);
        QCOMPARE(m_form->editor()->state(), B);
        m_ui->compose(edited);
        m_ui->press("updateButton");
        QCOMPARE(m_boxes->texts(), messages);
        QCOMPARE(m_form->stepTable().slot(1), slot1);
        QCOMPARE(m_ui->rowText(3), row3);
        QCOMPARE(m_form->editor()->state(), shown);
        QCOMPARE(m_ui->keys(), QList<int>({1, 2, 4}));
        QCOMPARE(selectedRow(m_form), 3);
        QCOMPARE(m_ui->highlightedRows(), QList<int>{3});
    }

    // Updates go on to the same row; a refused key then brings back the values last written.
    void updateTwiceThenKeyRefused()
    {
        addABC();
        m_ui->clickRow(3);
        const EditorState first = editor("LHLLLLL", Inc, {1, 2, 3, 4, 5, 6, 7});
        const EditorState second = editor("LHLLLLL", Inc | 0x0F, {8, 9, 10, 11, 12, 13, 14}, 1);
        for (const EditorState &e : {first, second}) {
            m_ui->compose(e);
            m_ui->press("updateButton");
        }
        QCOMPARE(m_ui->rowText(3),
                 QStringLiteral("LO|HI|LO|LO|LO|LO|LO|RUN|RUN|RUN|RUN|BIT増||8|9|10|-|-|-|14|ON"));
        m_ui->compose(editor("LLLLLLL", 0, {99, 99, 99, 99, 99, 99, 99}));
        m_ui->press("updateButton");
        QCOMPARE(m_boxes->texts(), QStringList{KeyFixed});
        QCOMPARE(m_form->editor()->state(), second);
        QCOMPARE(m_ui->keys(), QList<int>({1, 2, 4}));
    }

    void updateBeforeAnyClick()
    {
        m_ui->add(A);
        const EditorState edited = editor("LLLLLLL", Inc | Dec, {5, 5, 5, 5, 5, 5, 5});
        m_ui->compose(edited);
        m_ui->press("updateButton");
        QCOMPARE(m_boxes->texts(), QStringList());
        QCOMPARE(m_form->stepTable().slot(0), m_form->editor()->workStep());
        QCOMPARE(m_form->stepTable().count(), 1);
        QCOMPARE(m_form->editor()->state(), edited);
    }

    // The selected row keeps its number when the steps under it go: Update then compares the
    // editor with whatever that slot holds now.
    void updateAfterRemoval_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<EditorState>("shown");
        QTest::newRow("after Clear")
            << 3 << "clearButton" << QList<int>{} << editor("MMMMMMM", 0, B.values, 1);
        QTest::newRow("after Delete of the selected step")
            << 3 << "deleteButton" << QList<int>{1, 4} << editor("LLHLLLL", 0x0C, B.values, 1);
        QTest::newRow("after Delete of the last step")
            << 4 << "deleteButton" << QList<int>{1, 2} << editor("MMMMMMM", 0, C.values);
    }
    void updateAfterRemoval()
    {
        QFETCH(int, row);
        QFETCH(QString, button);
        QFETCH(QList<int>, keys);
        QFETCH(EditorState, shown);
        addABC();
        m_ui->clickRow(row);
        m_ui->press(qPrintable(button));
        const StepTable before = m_form->stepTable();
        m_ui->press("updateButton");
        QCOMPARE(m_boxes->texts(), QStringList{KeyFixed});
        QCOMPARE(m_ui->keys(), keys);
        QCOMPARE(m_form->editor()->state(), shown);
        QVERIFY(m_form->stepTable() == before);
    }

    // Delete acts on the grid's current row: clicks (0: none) each followed by Delete.
    void deleteStep_data()
    {
        QTest::addColumn<QList<EditorState>>("steps");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("wires");
        QTest::addColumn<QList<int>>("highlighted");
        QTest::addColumn<QStringList>("messages");
        const QList<EditorState> abc{C, A, B};
        const QList<EditorState> wire3{editor("LLMLLLL"), editor("HLMLLLL")};
        QTest::newRow("middle of three")
            << abc << QList{3} << QList{1, 4} << AllEnabled << QList{4} << QStringList{};
        QTest::newRow("last, then again without a click")
            << abc << QList{4, 0} << QList{1, 2} << AllEnabled << QList{4} << QStringList{};
        QTest::newRow("first of three")
            << abc << QList{2} << QList{2, 4} << AllEnabled << QList{4} << QStringList{};
        QTest::newRow("the only step, masking wire 4")
            << QList{editor("LLLMLLL")} << QList{2} << QList<int>{} << AllEnabled << QList{2}
            << QStringList{};
        QTest::newRow("after a click on an empty row")
            << abc << QList{6} << QList{1, 2, 4} << AllEnabled << QList{6}
            << QStringList{OutOfRange};
        QTest::newRow("right after start-up, table not full")
            << abc << QList{0} << QList{1, 2, 4} << AllEnabled << QList<int>{} << QStringList{};
        QTest::newRow("wire 3 masked by two steps, one deleted")
            << wire3 << QList{2} << QList{1} << QStringLiteral("EEDEEEE") << QList{3}
            << QStringList{};
        QTest::newRow("wire 3 masked by two steps, both deleted")
            << wire3 << QList{3, 2} << QList<int>{} << AllEnabled << QList{2} << QStringList{};
        QTest::newRow("masked flag input locks nothing")
            << QList{editor("LLLLLLM"), editor("HLLLLLM")} << QList{3} << QList{0} << AllEnabled
            << QList{3} << QStringList{};
    }
    void deleteStep()
    {
        QFETCH(QList<EditorState>, steps);
        QFETCH(QList<int>, clicks);
        QFETCH(QList<int>, keys);
        QFETCH(QString, wires);
        QFETCH(QList<int>, highlighted);
        QFETCH(QStringList, messages);
        for (const EditorState &e : steps)
            m_ui->add(e);
        for (int row : clicks) {
            if (row > 0)
                m_ui->clickRow(row);
            const EditorState shown = m_form->editor()->state();
            const int selected = selectedRow(m_form);
            m_ui->press("deleteButton");
            QCOMPARE(m_form->editor()->state(), shown);
            QCOMPARE(selectedRow(m_form), selected);
        }
        QCOMPARE(m_boxes->texts(), messages);
        QCOMPARE(m_ui->keys(), keys);
        QCOMPARE(m_ui->wires(), wires);
        QCOMPARE(m_ui->highlightedRows(), highlighted);
        QCOMPARE(m_ui->rowText(keys.size() + 2), EmptyRow);
        // The gap is closed by copying down: the slot after the steps holds what the one after
        // it held, never used here.
        QCOMPARE(m_form->stepTable().slot(keys.size()), Step{});
    }

    void clear_data()
    {
        QTest::addColumn<QList<EditorState>>("steps");
        QTest::addColumn<int>("clickRow");
        QTest::newRow("steps masking wire 2 and the flag input")
            << QList{editor("LMLLLLM"), editor("HMLLLLM", Inc)} << 3;
        QTest::newRow("a step masking wire 6, the last one that locks")
            << QList{editor("LLLLLML")} << 2;
        QTest::newRow("empty table") << QList<EditorState>{} << 0;
    }
    void clear()
    {
        QFETCH(QList<EditorState>, steps);
        QFETCH(int, clickRow);
        for (const EditorState &e : steps)
            m_ui->add(e);
        if (clickRow)
            m_ui->clickRow(clickRow);
        m_ui->compose(editor("HLHLLLL", 0x05, {4, 4, 4, 4, 4, 4, 4}));
        const EditorState shown = m_form->editor()->state();
        const Step work = m_form->editor()->workStep();
        const int selected = selectedRow(m_form);

        m_ui->press("clearButton");
        QCOMPARE(m_boxes->texts(), QStringList());
        QCOMPARE(m_form->stepTable().count(), 0);
        for (int slot = 0; slot < StepTable::MaxSteps; ++slot)
            QCOMPARE(m_form->stepTable().slot(slot), Step{});
        for (int row = 2; row < 130; ++row) {
            QCOMPARE(m_ui->rowText(row), EmptyRow);
            QCOMPARE(m_form->grid()->cellText(row, 0), QString::number(row - 1));
        }
        QCOMPARE(m_form->grid()->cellText(1, 21), QStringLiteral("フラグ"));
        QCOMPARE(currentRow(m_form->grid()), 2);
        QCOMPARE(m_ui->highlightedRows(), QList<int>{2});
        QCOMPARE(m_ui->wires(), AllEnabled);
        QCOMPARE(m_form->editor()->state(), shown);
        QCOMPARE(m_form->editor()->workStep(), work);
        QCOMPARE(selectedRow(m_form), selected);

        // Every row is empty now: a click loads the zeros of slot 0.
        m_ui->clickRow(5);
        QCOMPARE(m_boxes->texts(), QStringList{OutOfRange});
        QCOMPARE(m_form->editor()->state(), editor("MMMMMMM", 0, {1, 0, 0, 1, 0, 0, 1}));
        QCOMPARE(selectedRow(m_form), 2);
    }

    // The highlighted row stays visible when the focus is elsewhere.
    void highlightWithoutFocus()
    {
        addABC();
        m_form->grid()->scrollToTop();
        m_ui->clickRow(3);
        QTest::mouseClick(m_ui->control<QCheckBox>("keyFlagCheck"), Qt::LeftButton);
        QVERIFY(!m_form->grid()->hasFocus());
        const auto painted = [this](int row) {
            StepGrid *grid = m_form->grid();
            const QRect cell = grid->visualRect(grid->model()->index(row - 2, 12));
            const QImage image = grid->viewport()->grab().toImage();
            return image.pixelColor(cell.left() + 3, cell.center().y());
        };
        const QColor highlight =
            m_form->grid()->palette().color(QPalette::Active, QPalette::Highlight);
        QCOMPARE(painted(3), highlight);
        QVERIFY(painted(2) != highlight);
        m_ui->press("clearButton");
        QCOMPARE(painted(2), highlight);
        QVERIFY(painted(3) != highlight);
    }

private:
    MainWindow *m_form = nullptr;
    Driver *m_ui = nullptr;
    MessageBoxAnswerer *m_boxes = nullptr;
};

QTEST_MAIN(TestEdit)
#include "tst_edit.moc"
