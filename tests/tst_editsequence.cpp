// Long runs of random edits of a session, as a user clicks the editor, the buttons and the grid
// (fixed seeds, so every run is the same), checked after every operation against what must
// always hold: the steps sorted and within 128, keys unique but for increase/decrease pairs,
// the grid's texts equal to the table, the wire locks equal to the masked set, the slots in
// range, and no slot outside the table touched (that would throw and end the test).
#include "sessiondriver.h"
#include "teststrings.h"

#include <QRandomGenerator>
#include <QTest>

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
        const StepTable &table = m_ui->session.table();
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

        for (int slot = 0; slot < StepTable::MaxSteps; ++slot) {
            for (int c = 0; c < StepColumnCount; ++c) {
                const QString expected =
                    slot < count ? GridText::stepCell(table.slot(slot), StepColumn(c)) : QString();
                QCOMPARE(m_ui->session.model()->index(slot, c).data().toString(), expected);
            }
        }

        int masked = 0;
        for (int s = 0; s < count; ++s)
            masked |= ~table.slot(s).keyMask;
        QString wires;
        for (int w = 0; w < 6; ++w)
            wires += masked & (1 << w) ? u'D' : u'E';
        QCOMPARE(m_ui->wires(), wires + u'E');

        const std::optional<int> selected = m_ui->session.selectedSlot();
        QVERIFY(!selected || (*selected >= 0 && *selected < StepTable::MaxSteps));
        const int current = m_ui->session.currentSlot();
        QVERIFY(current >= 0 && current < StepTable::MaxSteps);
    }

private slots:
    void init() { m_ui = std::make_unique<SessionDriver>(); }

    void randomClicks_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("operations");
        QTest::addColumn<Weights>("weights");
        QTest::addColumn<int>("maskPercent"); // how often an option click picks MASK
        QTest::addColumn<bool>("reachesFull");
        QTest::addColumn<int>("minDeletes");
        QTest::addColumn<int>("minUpdates");
        // Without grid clicks the current slot stays the last one, so deletes there work the
        // boundary of a full table.
        //                                              option check slider add upd del clr grid
        QTest::newRow("filling up")
            << 11u << 10000 << Weights{45, 8, 3, 30, 0, 2, 0, 0} << 0 << true << 1 << 0;
        QTest::newRow("large table")
            << 22u << 10000 << Weights{40, 6, 3, 30, 6, 6, 0, 9} << 0 << false << 40 << 5;
        QTest::newRow("masks and clears")
            << 33u << 6000 << Weights{30, 10, 5, 20, 8, 10, 3, 14} << 35 << false << 5 << 10;
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
        // The check boxes: ports 1-4, then the flag, instruction 2, wait, increase, decrease.
        const auto check = [&](EditorState &e, int n) -> int & {
            switch (n) {
            case 4:
                return e.keyFlag;
            case 5:
                return e.instruction2;
            case 6:
                return e.waitForEnd;
            case 7:
                return e.bitIncrease;
            case 8:
                return e.bitDecrease;
            default:
                return e.ports[n];
            }
        };
        const int sliderMin[7] = {1, 0, 0, 1, 0, 0, 1};
        const int sliderMax[7] = {255, 100, 255, 255, 100, 255, 255};
        int maxCount = 0;
        int deleted = 0;
        int updated = 0;

        for (int i = 0; i < operations; ++i) {
            const Operation op = pick();
            const StepTable before = m_ui->session.table();
            const qsizetype messagesBefore = m_ui->messages.size();
            const int currentBefore = m_ui->session.currentSlot();
            std::optional<int> clicked;
            EditorState composed = m_ui->shown;
            switch (op) {
            case OptionClick: {
                const int item =
                    int(random.bounded(100)) < maskPercent ? M : int(random.bounded(2));
                composed.key[random.bounded(0, 7)] = item;
                m_ui->compose(composed);
                continue;
            }
            case CheckClick: {
                int &box = check(composed, random.bounded(9));
                box = box == 1 ? 0 : 1;
                m_ui->compose(composed);
                continue;
            }
            case SliderMove: {
                const int n = random.bounded(7);
                composed.values[n] = random.bounded(sliderMin[n], sliderMax[n] + 1);
                m_ui->compose(composed);
                continue;
            }
            case Add:
                m_ui->add(composed);
                break;
            case Update:
                m_ui->update();
                break;
            case Delete:
                m_ui->remove();
                break;
            case Clear:
                m_ui->clear();
                break;
            case GridClick:
                // Mostly on the steps and the rows next to them, where the clicks matter; now
                // and then on the header lines.
                if (random.bounded(20) > 0)
                    clicked = random.bounded(10) < 8 ? random.bounded(qMin(before.count() + 4, 128))
                                                     : random.bounded(128);
                m_ui->select(clicked);
                break;
            }
            verifyInvariants();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("after operation %1 (kind %2)").arg(i).arg(op)));

            // What each operation may change.
            const StepTable &after = m_ui->session.table();
            const int shown = int(m_ui->messages.size() - messagesBefore);
            QVERIFY(shown <= 1);
            switch (op) {
            case Add:
                QCOMPARE(after.count(), before.count() + (shown ? 0 : 1));
                QVERIFY(shown || before.count() < StepTable::MaxSteps);
                if (shown && before.count() < StepTable::MaxSteps)
                    QVERIFY(m_ui->messages.last() != EditMessage::TableFull);
                break;
            case Update:
                QCOMPARE(keysOf(after), keysOf(before));
                updated += stepsOf(after) != stepsOf(before);
                break;
            case Delete: {
                // The step of the row that was current goes, the others keep their order.
                QList<Step> expected = stepsOf(before);
                const int slot = currentBefore;
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
                // A row without a step is refused and slot 0 taken instead; the header lines too.
                const bool holdsStep = clicked && *clicked < before.count();
                QCOMPARE(shown, int(clicked && !holdsStep));
                QCOMPARE(m_ui->session.selectedSlot(), holdsStep ? *clicked : 0);
                QCOMPARE(m_ui->session.currentSlot(), clicked.value_or(currentBefore));
                QCOMPARE(m_ui->session.workStep().keyMask,
                         after.slot(*m_ui->session.selectedSlot()).keyMask);
                QVERIFY(after == before);
                break;
            }
            default:
                break;
            }
            maxCount = qMax(maxCount, int(after.count()));
        }
        qInfo("%d operations, at most %d steps, %d deletes, %d updates, %lld messages", operations,
              maxCount, deleted, updated, qlonglong(m_ui->messages.size()));
        QCOMPARE(maxCount == StepTable::MaxSteps, reachesFull);
        QVERIFY(deleted >= minDeletes);
        QVERIFY(updated >= minUpdates);
    }

private:
    std::unique_ptr<SessionDriver> m_ui;
};

QTEST_GUILESS_MAIN(TestEditSequence)
#include "tst_editsequence.moc"
