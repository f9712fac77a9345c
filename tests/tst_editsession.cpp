// The editing rules on an editing session, worked as the window works it: the editor's values
// handed to each operation, and what it returns put back into the editor; then the table, the
// grid's texts, the editor, the slots and the greyed wires read back.
#include "recoverycopy.h"
#include "sessiondriver.h"
#include "settingsfiletesting.h"
#include "steplines.h"
#include "steptext.h"
#include "teststrings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Klv;

using namespace edit;
using namespace steplines;

Q_DECLARE_METATYPE(EditorState)
using Messages = QList<EditMessage>;
Q_DECLARE_METATYPE(Messages)
Q_DECLARE_METATYPE(ChangeName)
Q_DECLARE_METATYPE(EditMessage)
using Slots = QList<int>;

namespace {

constexpr auto DoubleBit = EditMessage::DoubleBitCondition, SameKey = EditMessage::SameKey,
               Full = EditMessage::TableFull, KeyFixed = EditMessage::KeyCannotChange,
               OutOfRange = EditMessage::OutOfRange;
constexpr int None = -1; // no click: a list of clicks goes on without one

// Three steps, added as C, A, B so that the sort has work to do: A (keyData 1) lands in slot 0,
// B (keyData 2) in slot 1, C (keyData 4) in slot 2.
const EditorState A = editor("HLLLLLL", 0x01 | Wait, {10, 25, 3, 1, 50, 0, 2});
const EditorState B = editor("LHLLLLL", 0x02 | Inc | Instr2, {20, 90, 0, 30, 70, 4, 1}, 1);
const EditorState C = editor("LLHLLLL", 0x0C, {255, 100, 255, 255, 0, 255, 255});
const Step StoredB{2, 255, 0x02 | 0x20 | 0x80, 20, 229, 0, 30, 179, 4, 1, 1};
const QString RowB = QStringLiteral("LO|HI|LO|LO|LO|LO|LO||RUN|||BIT増||20|90|0|30|70|4|1|ON");
const QString EmptyRow = QString(20, u'|');
const QString AllEnabled = QStringLiteral("EEEEEEE");

} // namespace

class TestEditSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<SessionDriver> m_ui;
    const EditSession &session() const { return m_ui->session; }

    // Everything of the session that undo puts back.
    auto shown() const
    {
        return std::tuple(session().table(), m_ui->wires(), session().currentSlot(),
                          m_ui->highlighted(), m_ui->shown, session().workStep(),
                          session().selectedSlot(), session().file(), session().isModified());
    }

    void addABC()
    {
        for (const EditorState &e : {C, A, B})
            m_ui->add(e);
        QCOMPARE(m_ui->keys(), QList<int>({1, 2, 4}));
    }

private slots:
    void init() { m_ui = std::make_unique<SessionDriver>(); }

    // Steps composed one after the other: the refusals, their order, the sort and the locks.
    void add_data()
    {
        QTest::addColumn<QList<EditorState>>("steps");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("wires");
        const EditorState lo = editor("LLLLLLL");
        QTest::newRow("sorted by keyData") << QList{editor("HHLLLLL"), editor("HLLLLLL"), lo}
                                           << Messages{} << QList<int>{0, 1, 3} << AllEnabled;
        QTest::newRow("masked wire 2 locks its options")
            << QList{editor("LMLLLLL")} << Messages{} << QList<int>{0} << QStringLiteral("EDEEEEE");
        QTest::newRow("masked flag input leaves its options enabled, then refuses HI on it")
            << QList{editor("LLLLLLM"), editor("LHLLLLH")} << Messages{SameKey} << QList<int>{0}
            << AllEnabled;
        QTest::newRow("same key") << QList{lo, lo} << Messages{SameKey} << QList<int>{0}
                                  << AllEnabled;
        QTest::newRow("same key, one with increase")
            << QList{lo, editor("LLLLLLL", Inc)} << Messages{SameKey} << QList<int>{0}
            << AllEnabled;
        QTest::newRow("same key, both with increase")
            << QList{editor("LLLLLLL", Inc), editor("LLLLLLL", Inc)} << Messages{SameKey}
            << QList<int>{0} << AllEnabled;
        QTest::newRow("increase/decrease pair on one key")
            << QList{editor("HLLLLLL", Inc), editor("HLLLLLL", Dec)} << Messages{}
            << QList<int>{1, 1} << AllEnabled;
        QTest::newRow("a third step on the pair's key")
            << QList{editor("HLLLLLL", Inc), editor("HLLLLLL", Dec), editor("HLLLLLL", Dec)}
            << Messages{SameKey} << QList<int>{1, 1} << AllEnabled;
        QTest::newRow("masking a wire the table tests")
            << QList{lo, editor("LLMLLLL")} << Messages{SameKey} << QList<int>{0} << AllEnabled;
        QTest::newRow("both bit conditions") << QList{editor("LLLLLLL", Inc | Dec)}
                                             << Messages{DoubleBit} << QList<int>{} << AllEnabled;
        QTest::newRow("both bit conditions and same key, masked")
            << QList{editor("LLLLLMM"), editor("LLLLLMM", Inc | Dec)} << Messages{DoubleBit}
            << QList<int>{0} << QStringLiteral("EEEEEDE");
        // The double bit condition is reported before a key the table refuses.
        QTest::newRow("both bit conditions on a key taken by an increase step")
            << QList{editor("LLLLLLL", Inc), editor("LLLLLLL", Inc | Dec)} << Messages{DoubleBit}
            << QList<int>{0} << AllEnabled;
        QTest::newRow("both bit conditions, masking a wire the table tests")
            << QList{lo, editor("LLMLLLL", Inc | Dec)} << Messages{DoubleBit} << QList<int>{0}
            << AllEnabled;
    }
    void add()
    {
        QFETCH(QList<EditorState>, steps);
        QFETCH(Messages, messages);
        QFETCH(QList<int>, keys);
        QFETCH(QString, wires);
        for (const EditorState &e : steps)
            m_ui->add(e);
        QCOMPARE(m_ui->messages, messages);
        QCOMPARE(m_ui->keys(), keys);
        QCOMPARE(m_ui->wires(), wires);
        // The editor keeps the last step, ready for the next one.
        QCOMPARE(m_ui->shown, steps.last());
        QCOMPARE(m_ui->rowText(keys.size()), EmptyRow);
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
        QCOMPARE(m_ui->messages, Messages{});
        QCOMPARE(session().table().count(), 1);
        QCOMPARE(session().table().slot(0), stored);
        QCOMPARE(session().workStep(), stored);
        QCOMPARE(m_ui->rowText(0), row);
        QCOMPARE(m_ui->wires(), wires);
    }

    // A full table composed through the editor: 64 keys with an increase and a decrease step
    // each, then the refusals at 128, and Delete acting on the last slot, where the session
    // starts.
    void fullTable()
    {
        for (int k = 0; k < 64; ++k) {
            char key[8] = "LLLLLLL";
            for (int w = 0; w < 6; ++w)
                key[w] = (k >> w) & 1 ? 'H' : 'L';
            m_ui->add(editor(key, Inc, {k + 1, 50, 0, 1, 50, 0, 1}));
            if (k == 63)
                QCOMPARE(session().table().count(), 127);
            m_ui->add(editor(key, Dec, {k + 1, 50, 0, 1, 50, 0, 1}));
        }
        QCOMPARE(m_ui->messages, Messages{});
        QCOMPARE(session().table().count(), 128);
        QCOMPARE(m_ui->keys().last(), 63);
        QVERIFY(m_ui->rowText(127).startsWith(QStringLiteral("HI|HI|HI|HI|HI|HI|LO|")));

        m_ui->add(editor("LLLLLLH"));            // a new key, but no room
        m_ui->add(editor("LLLLLLH", Inc | Dec)); // the double condition is reported first
        m_ui->add(editor("LLLLLLL"));            // a key of the table: same key, not full
        QCOMPARE(m_ui->messages, Messages({Full, DoubleBit, SameKey}));
        QCOMPARE(session().table().count(), 128);

        QCOMPARE(session().currentSlot(), 127);
        QCOMPARE(m_ui->highlighted(), Slots{});
        const Step beforeLast = session().table().slot(126);
        m_ui->remove();
        QCOMPARE(session().table().count(), 127);
        QCOMPARE(session().table().slot(126), beforeLast);
        QCOMPARE(m_ui->rowText(127), EmptyRow);
        QCOMPARE(m_ui->highlighted(), Slots{127});
        m_ui->remove(); // the highlighted row is empty now
        QCOMPARE(session().table().count(), 127);
        // The room made takes the deleted step's partner condition again.
        m_ui->add(editor("HHHHHHL", (beforeLast.controlBits & Inc) ? Dec : Inc));
        QCOMPARE(session().table().count(), 128);
        QCOMPARE(m_ui->messages.size(), 3);
    }

    // A click on the grid: which slot it selects, the message, and what the editor shows.
    void gridClick_data()
    {
        QTest::addColumn<std::optional<int>>("clicked"); // none: the header lines
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("current");
        QTest::newRow("step 2") << std::optional(1) << Messages{} << 1 << 1;
        QTest::newRow("step 3") << std::optional(2) << Messages{} << 2 << 2;
        QTest::newRow("header lines") << std::optional<int>() << Messages{} << 0 << 127;
        QTest::newRow("first empty row") << std::optional(3) << Messages{OutOfRange} << 0 << 3;
        QTest::newRow("last row") << std::optional(127) << Messages{OutOfRange} << 0 << 127;
    }
    void gridClick()
    {
        QFETCH(std::optional<int>, clicked);
        QFETCH(Messages, messages);
        QFETCH(int, selected);
        QFETCH(int, current);
        addABC();
        m_ui->compose(editor("MMMMMMM", 0x0F, {99, 99, 99, 99, 99, 99, 99}));
        m_ui->select(clicked);
        QCOMPARE(m_ui->messages, messages);
        QCOMPARE(session().selectedSlot(), selected);
        QCOMPARE(m_ui->shown, (QList{A, B, C}[selected]));
        QCOMPARE(session().currentSlot(), current);
        QCOMPARE(m_ui->highlighted(), Slots{current});
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
        m_ui->session.model()->load({stored}); // as a file may hold it
        m_ui->select(0);
        QCOMPARE(m_ui->messages, Messages{});
        QCOMPARE(m_ui->shown, shown);
        QCOMPARE(session().table().slot(0), stored); // a stored 0 stays 0
        Step work = stored;
        work.speed1 = qMax<qint16>(work.speed1, 1);
        work.speed2 = qMax<qint16>(work.speed2, 1);
        work.repeatCount = qMax<qint16>(work.repeatCount, 1);
        QCOMPARE(session().workStep(), work);
        QCOMPARE(m_ui->wires(), QStringLiteral("DDDDDDE"));
    }

    // Update of step B (slot 1) after its row was clicked and the editor changed.
    void update_data()
    {
        QTest::addColumn<EditorState>("edited");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<Step>("slot1");
        QTest::addColumn<QString>("row1");
        QTest::addColumn<EditorState>("shown");
        const EditorState values =
            editor("LHLLLLL", 0x09 | Inc | Wait, {99, 33, 7, 120, 10, 9, 42}, 0);
        QTest::newRow("ports, wait, instruction 2, values and flag")
            << values << Messages{}
            << Step{2, 255, 0x09 | 0x20 | 0x40, 99, 84, 7, 120, 26, 9, 42, 0}
            << QStringLiteral("LO|HI|LO|LO|LO|LO|LO|RUN|||RUN|BIT増|WAIT|99|33|7|-|-|-|42|OFF")
            << values;
        const auto keyRefused = [&](const char *name, EditorState e) {
            e.values = {77, 77, 77, 77, 77, 77, 77}; // undone with the key
            QTest::newRow(name) << e << Messages{KeyFixed} << StoredB << RowB << B;
        };
        keyRefused("wire 1 to HI", editor("HHLLLLL", 0x02 | Inc | Instr2));
        keyRefused("wire 2 to MASK", editor("LMLLLLL", 0x02 | Inc | Instr2));
        keyRefused("flag input to HI", editor("LHLLLLH", 0x02 | Inc | Instr2));
        keyRefused("increase cleared", editor("LHLLLLL", 0x02 | Instr2));
        keyRefused("decrease instead of increase", editor("LHLLLLL", 0x02 | Dec | Instr2));
        const EditorState both = editor("HHLLLLL", Inc | Dec);
        QTest::newRow("both conditions, key changed too")
            << both << Messages{DoubleBit} << StoredB << RowB << both;
    }
    void update()
    {
        QFETCH(EditorState, edited);
        QFETCH(Messages, messages);
        QFETCH(Step, slot1);
        QFETCH(QString, row1);
        QFETCH(EditorState, shown);
        addABC();
        m_ui->select(1);
        QCOMPARE(m_ui->shown, B);
        m_ui->compose(edited);
        m_ui->update();
        QCOMPARE(m_ui->messages, messages);
        QCOMPARE(session().table().slot(1), slot1);
        QCOMPARE(m_ui->rowText(1), row1);
        QCOMPARE(m_ui->shown, shown);
        QCOMPARE(m_ui->keys(), QList<int>({1, 2, 4}));
        QCOMPARE(session().selectedSlot(), 1);
        QCOMPARE(m_ui->highlighted(), Slots{1});
    }

    // Updates go on to the same row; a refused key then brings back the values last written.
    void updateTwiceThenKeyRefused()
    {
        addABC();
        m_ui->select(1);
        const EditorState first = editor("LHLLLLL", Inc, {1, 2, 3, 4, 5, 6, 7});
        const EditorState second = editor("LHLLLLL", Inc | 0x0F, {8, 9, 10, 11, 12, 13, 14}, 1);
        for (const EditorState &e : {first, second}) {
            m_ui->compose(e);
            m_ui->update();
        }
        QCOMPARE(m_ui->rowText(1),
                 QStringLiteral("LO|HI|LO|LO|LO|LO|LO|RUN|RUN|RUN|RUN|BIT増||8|9|10|-|-|-|14|ON"));
        m_ui->compose(editor("LLLLLLL", 0, {99, 99, 99, 99, 99, 99, 99}));
        m_ui->update();
        QCOMPARE(m_ui->messages, Messages{KeyFixed});
        QCOMPARE(m_ui->shown, second);
        QCOMPARE(m_ui->keys(), QList<int>({1, 2, 4}));
    }

    void updateBeforeAnyClick()
    {
        m_ui->add(A);
        const EditorState edited = editor("LLLLLLL", Inc | Dec, {5, 5, 5, 5, 5, 5, 5});
        m_ui->compose(edited);
        m_ui->update();
        QCOMPARE(m_ui->messages, Messages{});
        QCOMPARE(session().table().slot(0), session().workStep());
        QCOMPARE(session().table().count(), 1);
        QCOMPARE(m_ui->shown, edited);
    }

    // The selected slot keeps its number when the steps under it go: Update then compares the
    // editor with whatever that slot holds now.
    void updateAfterRemoval_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("clear"); // else Delete
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<EditorState>("shown");
        QTest::newRow("after Clear")
            << 1 << true << QList<int>{} << editor("MMMMMMM", 0, B.values, 1);
        QTest::newRow("after Delete of the selected step")
            << 1 << false << QList<int>{1, 4} << editor("LLHLLLL", 0x0C, B.values, 1);
        QTest::newRow("after Delete of the last step")
            << 2 << false << QList<int>{1, 2} << editor("MMMMMMM", 0, C.values);
    }
    void updateAfterRemoval()
    {
        QFETCH(int, slot);
        QFETCH(bool, clear);
        QFETCH(QList<int>, keys);
        QFETCH(EditorState, shown);
        addABC();
        m_ui->select(slot);
        clear ? m_ui->clear() : m_ui->remove();
        const StepTable before = session().table();
        m_ui->update();
        QCOMPARE(m_ui->messages, Messages{KeyFixed});
        QCOMPARE(m_ui->keys(), keys);
        QCOMPARE(m_ui->shown, shown);
        QVERIFY(session().table() == before);
    }

    // Delete acts on the current slot: clicks (None: no click) each followed by Delete.
    void deleteStep_data()
    {
        QTest::addColumn<QList<EditorState>>("steps");
        QTest::addColumn<Slots>("clicks");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("wires");
        QTest::addColumn<Slots>("highlighted");
        QTest::addColumn<Messages>("messages");
        const QList<EditorState> abc{C, A, B};
        const QList<EditorState> wire3{editor("LLMLLLL"), editor("HLMLLLL")};
        QTest::newRow("middle of three")
            << abc << Slots{1} << QList{1, 4} << AllEnabled << Slots{2} << Messages{};
        QTest::newRow("last, then again without a click")
            << abc << Slots{2, None} << QList{1, 2} << AllEnabled << Slots{2} << Messages{};
        QTest::newRow("first of three")
            << abc << Slots{0} << QList{2, 4} << AllEnabled << Slots{2} << Messages{};
        QTest::newRow("the only step, masking wire 4")
            << QList{editor("LLLMLLL")} << Slots{0} << QList<int>{} << AllEnabled << Slots{0}
            << Messages{};
        QTest::newRow("after a click on an empty row")
            << abc << Slots{4} << QList{1, 2, 4} << AllEnabled << Slots{4} << Messages{OutOfRange};
        QTest::newRow("right after start-up, table not full")
            << abc << Slots{None} << QList{1, 2, 4} << AllEnabled << Slots{} << Messages{};
        QTest::newRow("wire 3 masked by two steps, one deleted")
            << wire3 << Slots{0} << QList{1} << QStringLiteral("EEDEEEE") << Slots{1} << Messages{};
        QTest::newRow("wire 3 masked by two steps, both deleted")
            << wire3 << Slots{1, 0} << QList<int>{} << AllEnabled << Slots{0} << Messages{};
        QTest::newRow("masked flag input locks nothing")
            << QList{editor("LLLLLLM"), editor("HLLLLLM")} << Slots{1} << QList{0} << AllEnabled
            << Slots{1} << Messages{};
    }
    void deleteStep()
    {
        QFETCH(QList<EditorState>, steps);
        QFETCH(Slots, clicks);
        QFETCH(QList<int>, keys);
        QFETCH(QString, wires);
        QFETCH(Slots, highlighted);
        QFETCH(Messages, messages);
        for (const EditorState &e : steps)
            m_ui->add(e);
        for (int slot : clicks) {
            if (slot != None)
                m_ui->select(slot);
            const EditorState shown = m_ui->shown;
            const std::optional<int> selected = session().selectedSlot();
            m_ui->remove();
            QCOMPARE(m_ui->shown, shown);
            QCOMPARE(session().selectedSlot(), selected);
        }
        QCOMPARE(m_ui->messages, messages);
        QCOMPARE(m_ui->keys(), keys);
        QCOMPARE(m_ui->wires(), wires);
        QCOMPARE(m_ui->highlighted(), highlighted);
        QCOMPARE(m_ui->rowText(keys.size()), EmptyRow);
        // The gap is closed by copying down: the slot after the steps holds what the one after
        // it held, never used here.
        QCOMPARE(session().table().slot(keys.size()), Step{});
    }

    void clear_data()
    {
        QTest::addColumn<QList<EditorState>>("steps");
        QTest::addColumn<int>("clicked");
        QTest::newRow("steps masking wire 2 and the flag input")
            << QList{editor("LMLLLLM"), editor("HMLLLLM", Inc)} << 1;
        QTest::newRow("a step masking wire 6, the last one that locks")
            << QList{editor("LLLLLML")} << 0;
        QTest::newRow("empty table") << QList<EditorState>{} << None;
    }
    void clear()
    {
        QFETCH(QList<EditorState>, steps);
        QFETCH(int, clicked);
        for (const EditorState &e : steps)
            m_ui->add(e);
        if (clicked != None)
            m_ui->select(clicked);
        m_ui->compose(editor("HLHLLLL", 0x05, {4, 4, 4, 4, 4, 4, 4}));
        const EditorState shown = m_ui->shown;
        const Step work = session().workStep();
        const std::optional<int> selected = session().selectedSlot();

        QSignalSpy changedRows(session().model(), &StepTableModel::dataChanged);
        m_ui->clear();
        QCOMPARE(m_ui->messages, Messages{});
        QCOMPARE(session().table().count(), 0);
        for (int slot = 0; slot < StepTable::MaxSteps; ++slot) {
            QCOMPARE(session().table().slot(slot), Step{});
            QCOMPARE(m_ui->rowText(slot), EmptyRow);
        }
        // The grid hears of every row that held a step.
        QCOMPARE(changedRows.size(), steps.isEmpty() ? 0 : 1);
        if (!steps.isEmpty())
            QCOMPARE(changedRows[0][1].toModelIndex().row(), int(steps.size()) - 1);
        QCOMPARE(session().currentSlot(), 0);
        QCOMPARE(m_ui->highlighted(), Slots{0});
        QCOMPARE(m_ui->wires(), AllEnabled);
        QCOMPARE(m_ui->shown, shown);
        QCOMPARE(session().workStep(), work);
        QCOMPARE(session().selectedSlot(), selected);

        // Every row is empty now: a click loads the zeros of slot 0.
        m_ui->select(3);
        QCOMPARE(m_ui->messages, Messages{OutOfRange});
        QCOMPARE(m_ui->shown, editor("MMMMMMM", 0, {1, 0, 0, 1, 0, 0, 1}));
        QCOMPARE(session().selectedSlot(), 0);
    }

    // A paste takes all its steps or none, as one undo step; the first refusal names its step,
    // the refusals in Add's order, the wires greyed as Add greys them. The text can hold every
    // refusal but both bit conditions.
    void paste_data()
    {
        QTest::addColumn<QString>("before"); // the table's steps
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("refusedLine"); // 0: all taken
        QTest::addColumn<EditMessage>("reason");
        QTest::addColumn<QString>("wires");
        QString full; // 127 steps: keys 0-63 with BIT増, 0-62 with BIT減
        for (int key = 0; key < 127; ++key)
            full += keyLine(key % 64, key < 64 ? "BIT増" : "BIT減");
        const auto row = [](const char *name, const QString &before, const QString &pasted,
                            int refusedLine, EditMessage reason = EditMessage::None,
                            const QString &wires = AllEnabled) {
            QTest::newRow(name) << before << pasted << refusedLine << reason << wires;
        };
        row("taken", keyLine(5, "BIT増"), keyLine(5, "BIT減") + keyLine(1), 0);
        row("a wire masked, greyed", "", with(StepColumn::Wire2, "MASK"), 0, EditMessage::None,
            "EDEEEEE");
        row("a key of the table", keyLine(1), keyLine(2) + keyLine(1), 2, SameKey);
        row("a key twice in the paste", "", keyLine(1) + keyLine(2) + keyLine(1), 3, SameKey);
        row("other inputs masked", keyLine(1), with(StepColumn::Wire3, "MASK"), 1, SameKey);
        row("a masked wire tested", with(StepColumn::Wire2, "MASK"), keyLine(4), 1, SameKey,
            "EDEEEEE");
        row("the 128th, then full", full, keyLine(63, "BIT減") + keyLine(64), 2, Full);
        row("full and the same key", full + keyLine(63, "BIT減"), keyLine(0), 1, SameKey);
    }
    void paste()
    {
        QFETCH(QString, before);
        QFETCH(QString, pasted);
        QFETCH(int, refusedLine);
        QFETCH(EditMessage, reason);
        QFETCH(QString, wires);
        const auto editors = [](const QList<StepText::StepLine> &lines) {
            QList<EditorState> states;
            for (const StepText::StepLine &line : lines)
                states << line.editor;
            return states;
        };
        m_ui->take(m_ui->session.paste(editors(StepText::read(before).steps), m_ui->shown));
        const StepTable table = session().table();
        const qsizetype undoSteps = session().canUndo() ? 1 : 0;
        const QList<StepText::StepLine> lines = StepText::read(pasted).steps;
        const EditResult result = m_ui->session.paste(editors(lines), m_ui->shown);
        QCOMPARE(result.refusedStep ? lines[*result.refusedStep].line : 0, refusedLine);
        QCOMPARE(result.message, reason);
        QCOMPARE(m_ui->wires(), wires);
        if (result.refusedStep) {
            QVERIFY(session().table() == table);
            return;
        }
        QCOMPARE(session().table().count(), table.count() + lines.size());
        QCOMPARE(session().undoName(),
                 (ChangeName{ChangeName::Kind::Paste, int(lines.size()), {}}));
        m_ui->undo();
        QVERIFY(session().table() == table);
        QCOMPARE(session().canUndo(), undoSteps == 1);
    }

    // Undo puts back everything a change of the table changed, redo makes it again; each is
    // named. Three steps masking wire 5, the second selected, the editor changed since.
    void undoRedo_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<ChangeName>("name");
        QTest::newRow("Add") << "add" << ChangeName{ChangeName::Kind::Add, 2, {}};
        QTest::newRow("Update") << "update" << ChangeName{ChangeName::Kind::Update, 1, {}};
        QTest::newRow("Delete") << "remove" << ChangeName{ChangeName::Kind::Remove, 1, {}};
        QTest::newRow("Clear") << "clear" << ChangeName{ChangeName::Kind::Clear, 0, {}};
        QTest::newRow("Load") << "open" << ChangeName{ChangeName::Kind::Open, 0, "program.zzr"};
    }
    void undoRedo()
    {
        QFETCH(QString, operation);
        QFETCH(ChangeName, name);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("program.zzr"));
        QVERIFY(writeAll(program, fileOf(stepsFor(2))));
        m_ui->add(editor("LLHLMLL"));
        m_ui->add(editor("HLLLMLL", 0x01, {10, 25, 3, 1, 50, 0, 2}));
        m_ui->add(editor("LHLLMLL", 0x02 | Inc, {20, 90, 0, 30, 70, 4, 1}, 1));
        m_ui->select(1);
        m_ui->compose(editor("LHLLMLL", 0x02 | Inc | Wait, {99, 33, 7, 120, 10, 9, 42}));
        if (operation == u"add")
            m_ui->compose(editor("HHLLMLL"));
        const auto before = shown();

        if (operation == u"add")
            m_ui->add(m_ui->shown);
        else if (operation == u"update")
            m_ui->update();
        else if (operation == u"remove")
            m_ui->remove();
        else if (operation == u"clear")
            m_ui->clear();
        else
            m_ui->open(program);
        const auto after = shown();
        QVERIFY(after != before);
        QCOMPARE(session().undoName(), name);

        m_ui->undo();
        QVERIFY(shown() == before);
        QCOMPARE(session().redoName(), name);
        m_ui->redo();
        QVERIFY(shown() == after);
        QCOMPARE(m_ui->messages, Messages{});
    }

    // An undo step is made exactly when the steps in use change, or a program is opened from
    // another file; the steps count as modified by the same comparison.
    void undoSteps_data()
    {
        QTest::addColumn<QStringList>("operations");
        QTest::addColumn<int>("undoSteps");
        QTest::addColumn<QString>("file"); // after undo of the last step
        QTest::addColumn<bool>("modified");
        QTest::newRow("Clear of an empty table") << QStringList{"clear"} << 0 << "" << false;
        QTest::newRow("Load of the steps the table has")
            << QStringList{"add", "open a"} << 2 << "" << true;
        QTest::newRow("the same file again") << QStringList{"open a", "open a"} << 1 << "" << false;
        QTest::newRow("undo of an edit made before a Save keeps the file")
            << QStringList{"add", "add", "save a"} << 2 << "a" << true;
    }
    void undoSteps()
    {
        QFETCH(QStringList, operations);
        QFETCH(int, undoSteps);
        QFETCH(QString, file);
        QFETCH(bool, modified);
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath("a"), fileOf({encodeStep(editor("LLLLLLL"))})));
        for (const QString &operation : operations) {
            const QString argument = operation.section(u' ', 1);
            if (operation == u"add")
                m_ui->add(editor(session().table().isEmpty() ? "LLLLLLL" : "HLLLLLL"));
            else if (operation.startsWith(u"select"))
                m_ui->select(argument.toInt());
            else if (operation == u"remove")
                m_ui->remove();
            else if (operation == u"update")
                m_ui->update();
            else if (operation == u"clear")
                m_ui->clear();
            else if (operation.startsWith(u"save"))
                m_ui->take(m_ui->session.save(dir.filePath(argument)));
            else
                m_ui->open(dir.filePath(argument));
        }
        int steps = 0;
        for (; m_ui->session.canUndo(); ++steps)
            m_ui->undo();
        QCOMPARE(steps, undoSteps);
        for (int redone = 0; redone < steps - 1; ++redone)
            m_ui->redo();
        QCOMPARE(session().file(), file.isEmpty() ? file : dir.filePath(file));
        QCOMPARE(session().isModified(), modified);
        QCOMPARE(m_ui->messages, Messages{});
    }

    // While steps are sent nothing changes the table, undo included; a click still loads a step.
    void sending()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath("a"), fileOf(stepsFor(3))));
        addABC();
        m_ui->select(1);
        m_ui->add(editor("HHHLLLL"));
        m_ui->undo();
        m_ui->session.setSending(true);
        const StepTable sent = session().table();
        QVERIFY(!session().canUndo() && !session().canRedo());
        m_ui->add(editor("HHLLLLL"));
        m_ui->compose(editor("LHLLLLL", 0x0F | Inc));
        m_ui->update();
        m_ui->remove();
        m_ui->clear();
        m_ui->open(dir.filePath("a"));
        m_ui->undo();
        m_ui->redo();
        QVERIFY(session().table() == sent);
        QCOMPARE(m_ui->messages, Messages{});
        m_ui->select(2);
        QCOMPARE(m_ui->shown, C);
        m_ui->session.setSending(false);
        QVERIFY(session().canUndo() && session().canRedo());
    }

    // The copy kept for a crash follows the unsaved steps: none of a saved or an empty table,
    // the one a restore came from kept on disk.
    void recoveryCopy_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("copyKept");
        QTest::newRow("a step added") << "add" << true;
        QTest::newRow("saved") << "save" << false;
        QTest::newRow("a loaded program cleared") << "clear" << false;
        QTest::newRow("undone to what was loaded") << "undo" << false;
        QTest::newRow("restored") << "restore" << true;
    }
    void recoveryCopy()
    {
        QFETCH(QString, operation);
        QFETCH(bool, copyKept);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("program.zzr"));
        QVERIFY(writeAll(file, fileOf({encodeStep(A), encodeStep(B)})));
        RecoveryCopy copy(dir.filePath(QStringLiteral("data")), nullptr, 10);
        if (operation == u"restore") {
            RecoveryCopy::write(dir.filePath(QStringLiteral("data")), StepTable(stepsFor(3)), file);
            const RecoveredProgram left = copy.findLeftover();
            m_ui->take(m_ui->session.restore(left, m_ui->shown));
            m_ui->session.keepRecoveryCopy(&copy);
            copy.waitForWriter();
            QCOMPARE(readAll(copy.path()), fileOf(stepsFor(3))); // never gone meanwhile
        } else {
            m_ui->session.keepRecoveryCopy(&copy);
            m_ui->open(file);
            m_ui->add(C);
            QTRY_VERIFY(QFile::exists(copy.path()));
            if (operation == u"save")
                m_ui->take(m_ui->session.save(file));
            else if (operation == u"clear")
                m_ui->clear();
            else if (operation == u"undo")
                m_ui->undo();
        }
        QTest::qWait(50); // past the copy's delay
        copy.waitForWriter();
        QCOMPARE(QFile::exists(copy.path()), copyKept);
        QCOMPARE(session().isModified(), operation != u"save" && operation != u"undo");
        QCOMPARE(m_ui->messages, Messages{});
    }
};

QTEST_GUILESS_MAIN(TestEditSession)
#include "tst_editsession.moc"
