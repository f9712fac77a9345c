#include "gridtexts.h"
#include "steptablemodel.h"
#include "teststrings.h"

#include <QTest>

using namespace Klv;

namespace {

// The text the grid shows in (row, column) of its own numbering: rows 0 and 1 are the two header
// lines, column 0 the step numbers; the step rows come from the model.
QString cellText(const StepTableModel &model, int row, int column)
{
    if (row < 0 || row >= 130 || column < 0 || column >= 22)
        return {};
    if (row < 2) {
        if (column == 0)
            return {};
        const auto stepColumn = StepColumn(column - 1);
        return row == 0 ? GridText::groupHeader(stepColumn) : GridText::fieldHeader(stepColumn);
    }
    if (column == 0)
        return QString::number(row - 1);
    return model.index(row - 2, column - 1).data().toString();
}

// Grid texts of columns first..last of row 2 for a table holding only the given step.
QStringList rowTexts(const Step &step, int first, int last)
{
    StepTableModel model;
    model.load({step});
    QStringList texts;
    for (int c = first; c <= last; ++c)
        texts << cellText(model, 2, c);
    return texts;
}

} // namespace

class TestGridTexts : public QObject
{
    Q_OBJECT
private slots:
    void headers()
    {
        StepTableModel model;
        QStringList row0, row1;
        for (int c = 0; c < 22; ++c) {
            row0 << cellText(model, 0, c);
            row1 << cellText(model, 1, c);
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
        QTest::addColumn<int>("first");
        QTest::addColumn<QStringList>("texts");
        const Step base{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
        const auto with = [&](auto change) {
            Step s = base;
            change(s);
            return s;
        };
        QTest::newRow("key 5, all tested") << with([](Step &s) { s.keyData = 5; }) << 1
                                           << QStringList{"HI", "LO", "HI", "LO", "LO", "LO", "LO"};
        QTest::newRow("key 1, mask 187") << with([](Step &s) {
            s.keyData = 1;
            s.keyMask = 187;
        }) << 1 << QStringList{"HI", "LO", "MASK", "LO", "LO", "LO", "MASK"};
        QTest::newRow("mask wins over data") << with([](Step &s) {
            s.keyData = 127;
            s.keyMask = 128;
        }) << 1 << QStringList{"MASK", "MASK", "MASK", "MASK", "MASK", "MASK", "MASK"};
        QTest::newRow("ports 1 and 4, wait, no instruction 2") << with([](Step &s) {
            s.controlBits = 73;
            s.speed2 = 9;
            s.level2 = 200;
            s.pause2 = 4;
        }) << 8 << QStringList{"RUN", "", "", "RUN", "", "WAIT", "1", "50", "0", "-", "-", "-"};
        QTest::newRow("instruction 2 in force") << with([](Step &s) {
            s.controlBits = 128;
            s.speed1 = 255;
            s.level1 = 229;
            s.pause1 = 7;
            s.speed2 = 3;
            s.level2 = 255;
            s.pause2 = 12;
        }) << 14 << QStringList{"255", "90", "7", "3", "100", "12"};
        QTest::newRow("brightness 0")
            << with([](Step &s) { s.level1 = 0; }) << 15 << QStringList{"0"};
        QTest::newRow("increase") << with([](Step &s) { s.controlBits = 32; }) << 12
                                  << QStringList{"BIT増"};
        QTest::newRow("decrease") << with([](Step &s) { s.controlBits = 16; }) << 12
                                  << QStringList{"BIT減"};
        QTest::newRow("both conditions show decrease")
            << with([](Step &s) { s.controlBits = 48; }) << 12 << QStringList{"BIT減"};
        QTest::newRow("repeat and flag off")
            << with([](Step &s) { s.repeatCount = 200; }) << 20 << QStringList{"200", "OFF"};
        QTest::newRow("flag 1") << with([](Step &s) { s.stepFlag = 1; }) << 21 << QStringList{"ON"};
        QTest::newRow("flag 2 from a file")
            << with([](Step &s) { s.stepFlag = 2; }) << 21 << QStringList{"ON"};
    }
    void stepCells()
    {
        QFETCH(Step, step);
        QFETCH(int, first);
        QFETCH(QStringList, texts);
        QCOMPARE(rowTexts(step, first, first + int(texts.size()) - 1), texts);
    }

    void rowsFollowTheTable()
    {
        StepTableModel model;
        for (int r = 2; r < 130; ++r) {
            QCOMPARE(cellText(model, r, 0), QString::number(r - 1));
            QCOMPARE(cellText(model, r, 1), QString());
        }
        QList<Step> steps;
        for (int i = 0; i < 128; ++i)
            steps << Step{qint16(i % 128), 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
        model.load(steps.first(127));
        QCOMPARE(cellText(model, 128, 21), QStringLiteral("OFF"));
        QCOMPARE(cellText(model, 129, 21), QString());
        model.load(steps);
        QCOMPARE(cellText(model, 129, 0), QStringLiteral("128"));
        QCOMPARE(cellText(model, 129, 1), QStringLiteral("HI"));
        QCOMPARE(cellText(model, 129, 21), QStringLiteral("OFF"));
        QCOMPARE(cellText(model, 130, 1), QString());
        QCOMPARE(model.rowCount(), 128);
        QCOMPARE(model.columnCount(), 21);
    }
};

QTEST_GUILESS_MAIN(TestGridTexts)
#include "tst_gridtexts.moc"
