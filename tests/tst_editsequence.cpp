// Long runs of random clicks on the window (fixed seeds, so every run is the same), checked after
// every operation against what must always hold: the steps sorted and within 128, keys unique
// but for increase/decrease pairs, the grid equal to the table, the wire locks equal to the
// masked set, the highlight on the current row, and no slot outside the table touched (that
// would throw out of an event handler and end the test).
#include "editdriver.h"
#include "gridtexts.h"
#include "messageboxes.h"
#include "teststrings.h"
#include "testtexts.h"

#include <QRandomGenerator>

#include <numeric>

using namespace Klv;

using namespace edit;

namespace {

enum Operation { OptionClick, CheckClick, SliderMove, Add, Update, Delete, Clear, GridClick };
constexpr int OperationCount = GridClick + 1;
using Weights = std::array<int, OperationCount>;

// The key of a step as Update keeps it.
struct Key
{
    int data, mask, conditions;
    friend bool operator==(const Key &, const Key &) = default;
};

QList<Key> keysOf(const StepTable &table)
{
    QList<Key> keys;
    for (const Step &step : table.steps())
        keys << Key{step.keyData, step.keyMask, step.controlBits & (Inc | Dec)};
    return keys;
}

QList<Step> stepsOf(const StepTable &table)
{
    return table.toList();
}

} // namespace

Q_DECLARE_METATYPE(Weights)

class TestEditSequence : public QObject
{
    Q_OBJECT

    // What holds after every operation, whatever the operation.
    void verifyInvariants()
    {
        const StepTable &table = m_form->stepTable();
        const int count = table.count();
        QVERIFY(count >= 0 && count <= StepTable::MaxSteps);
        for (int s = 0; s < count; ++s) {
            const Step &step = table.slot(s);
            if (s > 0)
                QVERIFY2(table.slot(s - 1).keyData <= step.keyData, "steps out of keyData order");
            QCOMPARE(step.keyMask & 127, table.slot(0).keyMask & 127); // one common mask
            QVERIFY((step.controlBits & (Inc | Dec)) != (Inc | Dec));
            for (int t = s + 1; t < count; ++t) {
                if (table.slot(t).keyData != step.keyData)
                    continue;
                // An equal key only for an increase/decrease pair.
                QCOMPARE((step.controlBits ^ table.slot(t).controlBits) & (Inc | Dec), Inc | Dec);
            }
        }

        StepGrid *grid = m_form->grid();
        for (int row = 2; row < 130; ++row) {
            const int slot = row - 2;
            for (int c = 1; c < 22; ++c) {
                const QString expected =
                    slot < count ? GridText::stepCell(table.slot(slot), StepColumn(c - 1)) : QString();
                QCOMPARE(grid->cellText(row, c), expected);
            }
        }

        int masked = 0;
        for (int s = 0; s < count; ++s)
            masked |= ~table.slot(s).keyMask;
        QString wires;
        for (int w = 0; w < 6; ++w)
            wires += masked & (1 << w) ? u'D' : u'E';
        QCOMPARE(m_ui->wires(), wires + u'E');

        const int selected = selectedRow(m_form);
        QVERIFY(selected == 0 || (selected >= 2 && selected <= 129));
        const int current = currentRow(grid);
        QVERIFY(current >= 2 && current <= 129);
        const QList<int> highlighted = m_ui->highlightedRows();
        QVERIFY(highlighted.isEmpty() || highlighted == QList<int>{current});

        static const QStringList known{Texts::DoubleBit, Texts::SameKey, Texts::Full,
                                       Texts::KeyFixed, Texts::OutOfRange};
        for (const auto &message : m_boxes->messages()) {
            QCOMPARE(message.caption, QStringLiteral("KLV-90"));
            QVERIFY2(known.contains(message.text), qPrintable(message.text));
        }
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
        delete m_boxes;
        delete m_ui;
        delete m_form;
    }

    void randomClicks_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("operations");
        QTest::addColumn<Weights>("weights");
        QTest::addColumn<int>("maskPercent"); // how often an option click picks MASK
        QTest::addColumn<bool>("reachesFull");
        QTest::addColumn<int>("minDeletes");
        QTest::addColumn<int>("minUpdates");
        // Without grid clicks the current row stays on row 129, so deletes there work the
        // boundary of a full table.
        //                                              option check slider add upd del clr grid
        QTest::newRow("filling up")
            << 11u << 2500 << Weights{45, 8, 3, 30, 0, 2, 0, 0} << 0 << true << 1 << 0;
        QTest::newRow("large table")
            << 22u << 2500 << Weights{40, 6, 3, 30, 6, 6, 0, 9} << 0 << false << 40 << 5;
        QTest::newRow("masks and clears")
            << 33u << 1500 << Weights{30, 10, 5, 20, 8, 10, 3, 14} << 35 << false << 5 << 10;
    }
    void randomClicks()
    {
        QFETCH(quint32, seed);
        QFETCH(int, operations);
        QFETCH(Weights, weights);
        QFETCH(int, maskPercent);
        QFETCH(bool, reachesFull);
        QFETCH(int, minDeletes);
        QFETCH(int, minUpdates);
        QRandomGenerator random(seed);
        const int total = std::accumulate(weights.begin(), weights.end(), 0);
        const auto pick = [&] {
            int r = random.bounded(total);
            int op = 0;
            while (r >= weights[op])
                r -= weights[op++];
            return Operation(op);
        };
        static const char *checks[] = {"port1Check",      "port2Check",       "port3Check",
                                       "port4Check",      "keyFlagCheck",     "instruction2Check",
                                       "waitForEndCheck", "bitIncreaseCheck", "bitDecreaseCheck"};
        const int sliderMin[7] = {1, 0, 0, 1, 0, 0, 1};
        const int sliderMax[7] = {255, 100, 255, 255, 100, 255, 255};
        int maxCount = 0;
        int deleted = 0;
        int updated = 0;

        for (int i = 0; i < operations; ++i) {
            const Operation op = pick();
            const StepTable before = m_form->stepTable();
            const int messagesBefore = m_boxes->messages().size();
            const int currentBefore = currentRow(m_form->grid());
            int clickedRow = -1;
            switch (op) {
            case OptionClick: {
                const int item =
                    int(random.bounded(100)) < maskPercent ? M : int(random.bounded(2));
                QTest::mouseClick(m_ui->control<QRadioButton>(
                                      ControlNames::keyOption(random.bounded(0, 7), item)),
                                  Qt::LeftButton);
                continue;
            }
            case CheckClick:
                QTest::mouseClick(m_ui->control<QCheckBox>(checks[random.bounded(9)]),
                                  Qt::LeftButton);
                continue;
            case SliderMove: {
                const int n = random.bounded(7);
                m_ui->control<QScrollBar>(ControlNames::slider(n))
                    ->setValue(random.bounded(sliderMin[n], sliderMax[n] + 1));
                continue;
            }
            case Add:
                m_ui->press("addButton");
                break;
            case Update:
                m_ui->press("updateButton");
                break;
            case Delete:
                m_ui->press("deleteButton");
                break;
            case Clear:
                m_ui->press("clearButton");
                break;
            case GridClick:
                // Mostly on the steps and the rows next to them, where the clicks matter.
                clickedRow = random.bounded(10) < 8 ? random.bounded(before.count() + 4)
                                                    : random.bounded(130);
                m_ui->clickRow(clickedRow, random.bounded(22));
                break;
            }
            verifyInvariants();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("after operation %1 (kind %2)").arg(i).arg(op)));

            // What each operation may change.
            const StepTable &after = m_form->stepTable();
            const int shown = m_boxes->messages().size() - messagesBefore;
            QVERIFY(shown <= 1);
            switch (op) {
            case Add:
                QCOMPARE(after.count(), before.count() + (shown ? 0 : 1));
                QVERIFY(shown || before.count() < StepTable::MaxSteps);
                if (shown && before.count() < StepTable::MaxSteps)
                    QVERIFY(m_boxes->texts().last() != Texts::Full);
                break;
            case Update:
                QCOMPARE(keysOf(after), keysOf(before));
                updated += stepsOf(after) != stepsOf(before);
                break;
            case Delete: {
                // The step of the row that was current goes, the others keep their order.
                QList<Step> expected = stepsOf(before);
                const int slot = currentBefore - 2;
                if (slot < before.count()) {
                    expected.removeAt(slot);
                    ++deleted;
                }
                QCOMPARE(stepsOf(after), expected);
                break;
            }
            case Clear:
                QCOMPARE(after.count(), 0);
                break;
            case GridClick: {
                // A row without a step is refused and row 2 taken instead; header rows too.
                const bool holdsStep = clickedRow >= 2 && clickedRow < before.count() + 2;
                QCOMPARE(shown, int(clickedRow >= before.count() + 2));
                QCOMPARE(selectedRow(m_form), holdsStep ? clickedRow : 2);
                QCOMPARE(m_form->editor()->workStep().keyMask,
                         after.slot(selectedRow(m_form) - 2).keyMask);
                QVERIFY(after == before);
                break;
            }
            default:
                break;
            }
            maxCount = qMax(maxCount, int(after.count()));
        }
        qInfo("%d operations, at most %d steps, %d deletes, %d updates, %lld messages", operations,
              maxCount, deleted, updated, qlonglong(m_boxes->messages().size()));
        QCOMPARE(maxCount == StepTable::MaxSteps, reachesFull);
        QVERIFY(deleted >= minDeletes);
        QVERIFY(updated >= minUpdates);
    }

private:
    MainWindow *m_form = nullptr;
    Driver *m_ui = nullptr;
    MessageBoxAnswerer *m_boxes = nullptr;
};

QTEST_MAIN(TestEditSequence)
#include "tst_editsequence.moc"
