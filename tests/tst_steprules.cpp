#include "editorstate.h"
#include "steprules.h"
#include "steptablemodel.h"
#include "teststrings.h"

#include <QSignalSpy>
#include <QTest>

using namespace Klv;

Q_DECLARE_METATYPE(EditorState)
Q_DECLARE_METATYPE(StepTable)

namespace {

Step keyed(int keyData, int keyMask, int controlBits = 0, int label = 0)
{
    Step s;
    s.keyData = qint16(keyData);
    s.keyMask = qint16(keyMask);
    s.controlBits = qint16(controlBits);
    s.speed1 = qint16(label); // tells steps with equal keys apart
    return s;
}

StepTable tableOf(std::initializer_list<Step> steps)
{
    return StepTable(QList<Step>(steps));
}

EditorState keys(std::array<int, 7> key)
{
    EditorState e;
    e.key = key;
    return e;
}

constexpr int H = EditorState::Hi, L = EditorState::Lo, M = EditorState::Mask;

} // namespace

class TestStepRules : public QObject
{
    Q_OBJECT
private slots:
    void percentToLevel_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("level");
        const int rows[][2] = {{0, 0},    {1, 3},    {2, 5},    {10, 26},  {25, 64},
                               {50, 127}, {70, 179}, {90, 229}, {99, 252}, {100, 255}};
        for (const auto &row : rows)
            QTest::addRow("%d %%", row[0]) << double(row[0]) << row[1];
    }
    void percentToLevel()
    {
        QFETCH(double, percent);
        QFETCH(int, level);
        QCOMPARE(Klv::percentToLevel(percent), level);
    }

    void levelToPercent_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("percent");
        const int rows[][2] = {{0, 0},    {1, 0},    {2, 1},    {26, 10},   {126, 49}, {127, 50},
                               {128, 50}, {229, 90}, {253, 99}, {254, 100}, {255, 100}};
        for (const auto &row : rows)
            QTest::addRow("level %d", row[0]) << row[0] << row[1];
    }
    void levelToPercent()
    {
        QFETCH(int, level);
        QFETCH(int, percent);
        QCOMPARE(Klv::levelToPercent(level), percent);
    }

    void everyPercentComesBack()
    {
        for (int p = 0; p <= 100; ++p)
            QCOMPARE(Klv::levelToPercent(Klv::percentToLevel(p)), p);
    }

    void encodeKey_data()
    {
        QTest::addColumn<EditorState>("editor");
        QTest::addColumn<int>("keyData");
        QTest::addColumn<int>("keyMask");
        QTest::newRow("all MASK") << keys({M, M, M, M, M, M, M}) << 0 << 128;
        QTest::newRow("all HI") << keys({H, H, H, H, H, H, H}) << 127 << 255;
        QTest::newRow("all LO") << keys({L, L, L, L, L, L, L}) << 0 << 255;
        QTest::newRow("wire 1 HI, wire 2 MASK") << keys({H, M, L, L, L, L, L}) << 1 << 253;
        QTest::newRow("flag HI, wire 6 MASK") << keys({L, L, L, L, L, M, H}) << 64 << 223;
    }
    void encodeKey()
    {
        QFETCH(EditorState, editor);
        const Step step = encodeStep(editor);
        QTEST(int(step.keyData), "keyData");
        QTEST(int(step.keyMask), "keyMask");
    }

    void encodeControlBits_data()
    {
        QTest::addColumn<EditorState>("editor");
        QTest::addColumn<int>("controlBits");
        QTest::addColumn<int>("stepFlag");
        const auto with = [](auto change) {
            EditorState e;
            change(e);
            return e;
        };
        QTest::newRow("nothing") << EditorState{} << 0 << 0;
        QTest::newRow("ports 1 and 4, wait") << with([](EditorState &e) {
            e.ports = {1, 0, 0, 1};
            e.waitForEnd = 1;
        }) << 73 << 0;
        QTest::newRow("instruction 2")
            << with([](EditorState &e) { e.instruction2 = 1; }) << 128 << 0;
        QTest::newRow("increase") << with([](EditorState &e) { e.bitIncrease = 1; }) << 32 << 0;
        QTest::newRow("decrease") << with([](EditorState &e) { e.bitDecrease = 1; }) << 16 << 0;
        QTest::newRow("flag checked stores 1")
            << with([](EditorState &e) { e.keyFlag = 1; }) << 0 << 1;
        QTest::newRow("greyed boxes count as clear") << with([](EditorState &e) {
            e.ports = {2, 2, 2, 2};
            e.keyFlag = e.instruction2 = e.waitForEnd = e.bitIncrease = e.bitDecrease = 2;
        }) << 0 << 0;
    }
    void encodeControlBits()
    {
        QFETCH(EditorState, editor);
        const Step step = encodeStep(editor);
        QTEST(int(step.controlBits), "controlBits");
        QTEST(int(step.stepFlag), "stepFlag");
    }

    void encodeValues()
    {
        // The start-up editor, and the second frame example of the controller's manual.
        const Step startup = encodeStep(EditorState{});
        QCOMPARE(startup, (Step{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0}));

        EditorState e = keys({H, M, L, L, L, L, L});
        e.ports = {1, 0, 0, 0};
        e.waitForEnd = 1;
        e.keyFlag = 1;
        e.values = {10, 100, 5, 1, 50, 0, 3};
        QCOMPARE(encodeStep(e), (Step{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1}));
    }

    void editorFromStep_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<EditorState>("editor");
        QTest::addColumn<Step>("workAfter");

        Step lo{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
        QTest::newRow("all LO") << lo << EditorState{} << lo;

        Step masked{127, 0, 0, 1, 127, 0, 1, 127, 0, 1, 0};
        QTest::newRow("mask wins over data") << masked << keys({M, M, M, M, M, M, M}) << masked;

        Step zeros{};
        EditorState zeroEditor = keys({M, M, M, M, M, M, M});
        zeroEditor.values = {1, 0, 0, 1, 0, 0, 1};
        Step zerosAfter{};
        zerosAfter.speed1 = zerosAfter.speed2 = zerosAfter.repeatCount = 1;
        QTest::newRow("zero speeds and count shown as 1") << zeros << zeroEditor << zerosAfter;

        Step flag7 = lo;
        flag7.stepFlag = 7;
        QTest::newRow("flag other than 1 leaves the key flag box clear")
            << flag7 << EditorState{} << flag7;

        Step full{5, 187, 0xFF, 200, 229, 7, 9, 26, 3, 4, 1};
        EditorState fullEditor = keys({H, L, M, L, L, L, M});
        fullEditor.ports = {1, 1, 1, 1};
        fullEditor.keyFlag = fullEditor.instruction2 = fullEditor.waitForEnd = 1;
        fullEditor.bitIncrease = fullEditor.bitDecrease = 1;
        fullEditor.values = {200, 90, 7, 9, 10, 3, 4};
        QTest::newRow("every bit") << full << fullEditor << full;
    }
    void editorFromStep()
    {
        QFETCH(Step, step);
        QFETCH(EditorState, editor);
        QFETCH(Step, workAfter);
        QCOMPARE(editorForStep(step), editor);
        QCOMPARE(stepAsShownInEditor(step), workAfter);
    }

    void sort_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QList<int>>("labels");
        QTest::addColumn<QList<int>>("expectedLabels");
        // Labels name the steps; the exchange sort moves equal keys past each other.
        QTest::newRow("2 A, 2 B, 1 C")
            << QList<int>{2, 2, 1} << QList<int>{1, 2, 3} << QList<int>{3, 2, 1};
        QTest::newRow("3a 1b 3c 1d")
            << QList<int>{3, 1, 3, 1} << QList<int>{1, 2, 3, 4} << QList<int>{2, 4, 3, 1};
        QTest::newRow("one step") << QList<int>{9} << QList<int>{1} << QList<int>{1};
        QTest::newRow("sorted") << QList<int>{1, 2, 3} << QList<int>{1, 2, 3}
                                << QList<int>{1, 2, 3};
    }
    void sort()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QList<int>, labels);
        QList<Step> steps;
        for (int i = 0; i < keys.size(); ++i)
            steps << keyed(keys[i], 255, 0, labels[i]);
        steps << keyed(0, 0, 0, 99); // past the steps: never moved
        sortSteps(std::span(steps).first(keys.size()));
        QList<int> result;
        for (int i = 0; i < keys.size(); ++i)
            result << steps[i].speed1;
        QTEST(result, "expectedLabels");
        QCOMPARE(steps.last().speed1, 99);
    }

    void sameKey_data()
    {
        QTest::addColumn<StepTable>("table");
        QTest::addColumn<Step>("candidate");
        QTest::addColumn<bool>("refused");
        const int inc = ControlBit::BitIncrease, dec = ControlBit::BitDecrease;

        QTest::newRow("empty table") << StepTable{} << keyed(0, 128) << false;
        QTest::newRow("other key") << tableOf({keyed(0, 255)}) << keyed(1, 255) << false;
        QTest::newRow("same key") << tableOf({keyed(0, 255)}) << keyed(0, 255) << true;
        QTest::newRow("same key, increase added")
            << tableOf({keyed(0, 255)}) << keyed(0, 255, inc) << true;
        QTest::newRow("increase then decrease")
            << tableOf({keyed(3, 255, inc)}) << keyed(3, 255, dec) << false;
        QTest::newRow("increase twice")
            << tableOf({keyed(3, 255, inc)}) << keyed(3, 255, inc) << true;
        QTest::newRow("increase then none")
            << tableOf({keyed(3, 255, inc)}) << keyed(3, 255) << true;
        QTest::newRow("third of a pair")
            << tableOf({keyed(3, 255, inc), keyed(3, 255, dec)}) << keyed(3, 255, dec) << true;
        QTest::newRow("masks wire 3 where the table tests it")
            << tableOf({keyed(0, 255)}) << keyed(1, 251) << true;
        QTest::newRow("flag masked, candidate tests it")
            << tableOf({keyed(0, 191)}) << keyed(64, 255) << true;
        QTest::newRow("common mask hides wire 1")
            << tableOf({keyed(0, 254)}) << keyed(0, 254) << true;
        QTest::newRow("common mask, other key")
            << tableOf({keyed(0, 254)}) << keyed(2, 254) << false;
        QTest::newRow("bit 7 of the mask is ignored")
            << tableOf({keyed(0, 127)}) << keyed(1, 255) << false;
    }
    void sameKey()
    {
        QFETCH(StepTable, table);
        QFETCH(Step, candidate);
        QTEST(conflictsWithTableKeys(table, candidate), "refused");
    }

    void maskedInputs()
    {
        StepTable table = tableOf({keyed(0, 251), keyed(1, 123)});
        QCOMPARE(Klv::maskedInputs(table), 4 | 128);
        QVERIFY(table.removeAt(1));
        QCOMPARE(Klv::maskedInputs(table), 4);
        QVERIFY(table.removeAt(0));
        QCOMPARE(Klv::maskedInputs(table), 0);
    }

    // The key Update may not change: keyData, keyMask and the two bit conditions.
    void keyDiffers_data()
    {
        QTest::addColumn<Step>("edited");
        QTest::addColumn<bool>("differs");
        const int inc = ControlBit::BitIncrease, dec = ControlBit::BitDecrease;
        QTest::newRow("values, ports, wait and instruction 2 only")
            << Step{2, 255, qint16(0xCF | inc), 9, 9, 9, 9, 9, 9, 9, 1} << false;
        QTest::newRow("wire 1 HI") << keyed(3, 255, inc) << true;
        // keyData stays 2: only the mask tells.
        QTest::newRow("wire 3 LO to MASK") << keyed(2, 251, inc) << true;
        QTest::newRow("increase cleared") << keyed(2, 255) << true;
        QTest::newRow("decrease added") << keyed(2, 255, inc | dec) << true;
    }
    void keyDiffers()
    {
        QFETCH(Step, edited);
        QTEST(Klv::keyDiffers(keyed(2, 255, ControlBit::BitIncrease), edited), "differs");
    }

    // Removing a step leaves the slot after the last one as it was, and the model tells the
    // views about every row that changed, the one that became empty included.
    void removeFromFullTable()
    {
        QList<Step> steps;
        for (int s = 0; s < StepTable::MaxSteps; ++s)
            steps << Step{qint16(s), 255, 0, qint16(s), 0, 0, 0, 0, 0, 0, 0};
        StepTableModel model;
        model.load(steps);
        model.remove(0); // no slot after a full table: the last one is emptied
        QCOMPARE(model.table().count(), 127);
        QCOMPARE(model.table().at(0).speed1, 1);
        QCOMPARE(model.table().slot(127), Step{});

        QSignalSpy changed(&model, &StepTableModel::dataChanged);
        QVERIFY(model.remove(126));
        QCOMPARE(model.table().slot(126), Step{}); // what slot 127 held
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(1).toModelIndex().row(), 126);
        QVERIFY(!model.remove(126));
        QCOMPARE(changed.count(), 1);
    }

    // A whole table is put back exactly, the slots past its steps included, in one change the
    // views hear of.
    void setTable()
    {
        StepTableModel model;
        model.add(keyed(1, 255));
        model.add(keyed(2, 255));
        const StepTable saved = model.table();
        model.remove(0);
        QSignalSpy changed(&model, &StepTableModel::dataChanged);
        model.setTable(saved);
        QVERIFY(model.table() == saved);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(1).toModelIndex().row(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStepRules)
#include "tst_steprules.moc"
