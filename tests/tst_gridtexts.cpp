#include "gridtexts.h"
#include "steptablemodel.h"
#include "teststrings.h"

#include <QTest>

using namespace Klv;

Q_DECLARE_METATYPE(StepColumn)

namespace {

// Grid texts of columns first..last of slot 0 for a table holding only the given step.
QStringList rowTexts(const Step &step, StepColumn first, StepColumn last)
{
    StepTableModel model;
    model.load({step});
    QStringList texts;
    for (int c = int(first); c <= int(last); ++c)
        texts << model.index(0, c).data().toString();
    return texts;
}

} // namespace

class TestGridTexts : public QObject
{
    Q_OBJECT
private slots:
    void headers()
    {
        QStringList row0{""}, row1{""}; // above the step numbers
        for (int c = 0; c < StepColumnCount; ++c) {
            row0 << GridText::groupHeader(StepColumn(c));
            row1 << GridText::fieldHeader(StepColumn(c));
        }
        QCOMPARE(row0.join(u'|'),
                 QStringLiteral("|ワイヤー|ワイヤー|ワイヤー|ワイヤー|ワイヤー|ワイヤー|ワイヤー"
                                "|ポート|ポート|ポート|ポート|||命令１|命令１|命令１|命令２|命令２"
                                "|命令２||"));
        QCOMPARE(row1.join(u'|'),
                 QStringLiteral("|１|２|３|４|５|６|フラグ|１|２|３|４|増減条件|終了待ち|調光速度"
                                "|目的輝度|ポーズ|調光速度|目的輝度|ポーズ|回数|フラグ"));
    }

    void stepCells_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<StepColumn>("first");
        QTest::addColumn<QStringList>("texts");
        const Step base{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
        const auto with = [&](auto change) {
            Step s = base;
            change(s);
            return s;
        };
        QTest::newRow("key 5, all tested")
            << with([](Step &s) { s.keyData = 5; }) << StepColumn::Wire1
            << QStringList{"HI", "LO", "HI", "LO", "LO", "LO", "LO"};
        QTest::newRow("key 1, mask 187") << with([](Step &s) {
            s.keyData = 1;
            s.keyMask = 187;
        }) << StepColumn::Wire1 << QStringList{"HI", "LO", "MASK", "LO", "LO", "LO", "MASK"};
        QTest::newRow("mask wins over data") << with([](Step &s) {
            s.keyData = 127;
            s.keyMask = 128;
        }) << StepColumn::Wire1 << QStringList{"MASK", "MASK", "MASK", "MASK",
                                               "MASK", "MASK", "MASK"};
        QTest::newRow("ports 1 and 4, wait, no instruction 2") << with([](Step &s) {
            s.controlBits = 73;
            s.speed2 = 9;
            s.level2 = 200;
            s.pause2 = 4;
        }) << StepColumn::Port1 << QStringList{"RUN", "",   "",  "RUN", "",  "WAIT",
                                               "1",   "50", "0", "-",   "-", "-"};
        QTest::newRow("instruction 2 in force") << with([](Step &s) {
            s.controlBits = 128;
            s.speed1 = 255;
            s.level1 = 229;
            s.pause1 = 7;
            s.speed2 = 3;
            s.level2 = 255;
            s.pause2 = 12;
        }) << StepColumn::Speed1 << QStringList{"255", "90", "7", "3", "100", "12"};
        QTest::newRow("brightness 0")
            << with([](Step &s) { s.level1 = 0; }) << StepColumn::Brightness1 << QStringList{"0"};
        QTest::newRow("increase") << with([](Step &s) { s.controlBits = 32; })
                                  << StepColumn::BitCondition << QStringList{"BIT増"};
        QTest::newRow("decrease") << with([](Step &s) { s.controlBits = 16; })
                                  << StepColumn::BitCondition << QStringList{"BIT減"};
        QTest::newRow("both conditions show decrease")
            << with([](Step &s) { s.controlBits = 48; }) << StepColumn::BitCondition
            << QStringList{"BIT減"};
        QTest::newRow("repeat and flag off")
            << with([](Step &s) { s.repeatCount = 200; }) << StepColumn::RepeatCount
            << QStringList{"200", "OFF"};
        QTest::newRow("flag 1") << with([](Step &s) { s.stepFlag = 1; }) << StepColumn::StepFlag
                                << QStringList{"ON"};
        QTest::newRow("flag 2 from a file")
            << with([](Step &s) { s.stepFlag = 2; }) << StepColumn::StepFlag << QStringList{"ON"};
    }
    void stepCells()
    {
        QFETCH(Step, step);
        QFETCH(StepColumn, first);
        QFETCH(QStringList, texts);
        QCOMPARE(rowTexts(step, first, StepColumn(int(first) + int(texts.size()) - 1)), texts);
    }

    void rowsFollowTheTable()
    {
        StepTableModel model;
        const auto text = [&](int slot, StepColumn column) {
            return model.index(slot, int(column)).data().toString();
        };
        for (int slot = 0; slot < 128; ++slot)
            QCOMPARE(text(slot, StepColumn::Wire1), QString());
        QList<Step> steps;
        for (int i = 0; i < 128; ++i)
            steps << Step{qint16(i % 128), 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
        model.load(steps.first(127));
        QCOMPARE(text(126, StepColumn::StepFlag), QStringLiteral("OFF"));
        QCOMPARE(text(127, StepColumn::StepFlag), QString());
        model.load(steps);
        QCOMPARE(text(127, StepColumn::Wire1), QStringLiteral("HI"));
        QCOMPARE(text(127, StepColumn::StepFlag), QStringLiteral("OFF"));
        QCOMPARE(text(128, StepColumn::Wire1), QString());
        QCOMPARE(model.rowCount(), 128);
        QCOMPARE(model.columnCount(), 21);
    }
};

QTEST_GUILESS_MAIN(TestGridTexts)
#include "tst_gridtexts.moc"
