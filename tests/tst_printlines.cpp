#include "parameterlist.h"
#include "teststrings.h"

#include <QTest>

using namespace Klv;

class TestPrintLines : public QObject
{
    Q_OBJECT

    static Step startupStep() { return {0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0}; }

private slots:
    void threeDigitText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        for (auto [value, text] : {std::pair<int, const char *>{0, "000"},
                                   {5, "005"},
                                   {50, "050"},
                                   {255, "255"},
                                   {1000, "1000"}})
            QTest::addRow("%d", value) << value << QString::fromLatin1(text);
    }
    void threeDigitText()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(Klv::threeDigitText(value), text);
    }

    // Each row changes the start-up step and gives the line from character index `from` on.
    void stepLine_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("text");
        const QString lo = QStringLiteral("LO       "), ports(28, u' '), blank8(8, u' ');
        const QString noWait(11, u' '), off2 = QStringLiteral(" -       -       -      ");
        const auto row = [](const char *name, auto change, int from, const QString &text) {
            Step step = startupStep();
            change(step);
            QTest::newRow(name) << step << from << text;
        };
        row(
            "start-up step", [](Step &) {}, 0,
            QString(6, u' ') + lo.repeated(7) + ports + blank8 + noWait +
                "001     050     000      " + off2 + "001   OFF ");
        row(
            "MASK whatever the keyData bit; HI",
            [](Step &s) { s.keyData = 1 | 4 | 64, s.keyMask = 251; }, 6,
            "HI       LO       MASK     " + lo.repeated(3) + "HI       ");
        row(
            "ports 1 and 4, wait", [](Step &s) { s.controlBits = 1 | 8 | 64; }, 69,
            "RUN    " + QString(14, u' ') + "RUN    " + blank8 + "WAIT       001");
        row(
            "bit increase", [](Step &s) { s.controlBits = 32; }, 97, "BIT増   " + noWait + "001");
        row(
            "bit decrease", [](Step &s) { s.controlBits = 16; }, 97, "BIT減   " + noWait + "001");
        row(
            "both bit conditions", [](Step &s) { s.controlBits = 48; }, 97,
            "BIT増   BIT減   " + noWait + "001");
        row(
            "instruction 2 off whatever its values",
            [](Step &s) { s.speed1 = 5, s.level1 = 255, s.speed2 = 200, s.pause2 = 9; }, 116,
            "005     100     000      " + off2 + "001   OFF ");
        row(
            "instruction 2 on",
            [](Step &s) { s.controlBits = 128, s.level1 = 128, s.speed2 = 200, s.level2 = 0; }, 116,
            "001     050     000      200     000     000     001   OFF ");
        row(
            "flag 2", [](Step &s) { s.repeatCount = 255, s.stepFlag = 2; }, 165, "255   ON  ");
    }
    void stepLine()
    {
        QFETCH(Step, step);
        QFETCH(int, from);
        QFETCH(QString, text);
        const QString line = Klv::stepLine(step);
        QCOMPARE(line.mid(from, text.size()), text);
        QCOMPARE(displayColumns(line), (step.controlBits & 48) == 48 ? 183 : 175);
    }

    void pageHeader()
    {
        const PrintPage header = Klv::pageHeader(1);
        QList<int> points;
        for (const PrintLine &line : header)
            points << line.points;
        QCOMPARE(points, (QList<int>{14, 14, 9, 9, 9, 9}));
        QCOMPARE(header[0].text, QString());
        QCOMPARE(header[1].text, QString(43, u' ') + "ＫＬＶ－９０設定パラメータリスト");
        QCOMPARE(header[1].text.size(), 59);
        QCOMPARE(header[2].text, QString(169, u' ') + " 1 PAGE");
        QCOMPARE(Klv::pageHeader(12)[2].text, QString(169, u' ') + " 12 PAGE");
        QCOMPARE(header[3].text.size(), 103);
        QVERIFY(header[3].text.startsWith("   ワイヤー ワイヤー "));
        QVERIFY(header[3].text.contains(u"ワイヤー\u3000 ポート ポート"));
        QVERIFY(header[3].text.endsWith("命令１  命令２   命令２  命令２"));
        QCOMPARE(header[4].text.size(), 127);
        QVERIFY(header[4].text.startsWith("      １       ２      ３        ４"));
        QVERIFY(header[4].text.endsWith("目的輝度 ポーズ  回数 フラグ"));
        // The second heading line spans the step lines exactly.
        QCOMPARE(displayColumns(header[4].text), 175);
        QCOMPARE(header[5].text, u' ' + QString(184, u'-'));
    }

    void pages_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QList<int>>("perPage");
        QTest::newRow("empty") << 0 << QList<int>{};
        QTest::newRow("55") << 55 << QList<int>{55};
        QTest::newRow("56") << 56 << QList<int>{55, 1};
        QTest::newRow("128") << 128 << QList<int>{55, 55, 18};
    }
    void pages()
    {
        QFETCH(int, steps);
        QFETCH(QList<int>, perPage);
        QList<Step> stepList(steps);
        for (int i = 0; i < steps; ++i)
            stepList[i].speed1 = qint16(i + 1); // tells the steps apart
        const StepTable table(stepList);
        const QList<PrintPage> pages = parameterListPages(table);
        QCOMPARE(pages.size(), perPage.size());
        int next = 0;
        for (int p = 0; p < pages.size(); ++p) {
            QCOMPARE(pages[p].mid(0, 6), Klv::pageHeader(p + 1));
            QCOMPARE(pages[p].size(), 6 + perPage[p]);
            for (const PrintLine &line : pages[p].mid(6))
                QCOMPARE(line, (PrintLine{Klv::stepLine(table.at(next++)), 9}));
        }
    }
};

QTEST_GUILESS_MAIN(TestPrintLines)
#include "tst_printlines.moc"
