// Steps as text: the lines written for the clipboard and show --csv, text from spreadsheets read
// back into the editor.
#include "steplines.h"
#include "steptext.h"
#include "teststrings.h"

#include <QTest>

#include <tuple>

using namespace Klv;
using StepText::Separator;
using namespace steplines;

namespace {

// What read() made of a text, a line each: the steps as the grid shows them, then the problems.
QStringList described(const StepText::Reading &reading)
{
    QStringList lines;
    for (const StepText::StepLine &step : reading.steps)
        lines << QStringLiteral("%1: %2").arg(step.line).arg(
            StepText::stepFields(encodeStep(step.editor)).join(u','));
    const char *kinds[] = {"fields", "word", "range"};
    for (const StepText::LineProblem &problem : reading.problems)
        lines << QStringLiteral("%1: %2 %3 '%4'")
                     .arg(problem.line)
                     .arg(kinds[int(problem.problem)])
                     .arg(problem.problem == StepText::Problem::FieldCount
                              ? QString::number(problem.fieldCount)
                              : StepText::headerFields().at(int(problem.column)))
                     .arg(problem.text);
    return lines;
}

} // namespace

class TestStepText : public QObject
{
    Q_OBJECT
private slots:
    void line_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("tabs");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain and empty")
            << QStringList{"HI", "", "BIT増"} << false << "HI,,BIT増\r\n";
        QTest::newRow("comma, quote")
            << QStringList{"a,b", "\"OK\""} << false << "\"a,b\",\"\"\"OK\"\"\"\r\n";
        QTest::newRow("line break") << QStringList{"a\nb"} << false << "\"a\nb\"\r\n";
        QTest::newRow("tabs") << QStringList{"a,b", "c\td"} << true << "a,b\t\"c\td\"\r\n";
    }
    void line()
    {
        QFETCH(QStringList, fields);
        QFETCH(bool, tabs);
        QFETCH(QString, line);
        QCOMPARE(StepText::line(fields, tabs ? Separator::Tab : Separator::Comma), line);
    }

    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("read");
        const QString every("HI,MASK,LO,HI,LO,LO,HI,RUN,,RUN,,BIT増,WAIT,255,100,255,1,0,0,255,ON");
        const QString others = QString(every).replace("BIT増", "BIT減").replace("HI,", "MASK,");
        const QString ends("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,0,0,255,100,255,1,OFF");
        const QString header = StepText::headerFields().join(u',');
        QTest::newRow("header, CR LF, quotes, a lone CR, blank and empty lines")
            << header + "\r\n\"LO\",LO,LO,LO,LO,LO,LO,\"\",,,,,,1,50,0,-,-,-,1,OFF\r\n\r\n,,\n" +
                   every + "\r" + others + "\n" + ends
            << QStringList{"2: " + Startup, "5: " + every, "6: " + others, "7: " + ends};
        QTest::newRow("tabs, empty fields after the 21st, a header not first")
            << QString(Startup + "\t\t\n" + header).replace(u',', u'\t')
            << QStringList{"1: " + Startup, "2: word ワイヤー１ 'ワイヤー１'"};
        QTest::newRow("field counts") << Startup.section(u',', 0, 19) + "\n" + Startup + ",x"
                                      << QStringList{"1: fields 20 ''", "2: fields 22 ''"};
        const std::tuple<StepColumn, const char *, const char *> wrong[] = {
            {StepColumn::Wire1, "hi", "word"},
            {StepColumn::Port2, "RUN ", "word"},
            {StepColumn::BitCondition, "BIT", "word"},
            {StepColumn::WaitForEnd, "wait", "word"},
            {StepColumn::Speed1, "1.5", "word"},
            {StepColumn::Brightness1, "５０", "word"},
            {StepColumn::Pause1, "", "word"},
            {StepColumn::Speed2, "-", "word"},
            {StepColumn::Brightness2, "-", "word"},
            {StepColumn::StepFlag, "on", "word"},
            {StepColumn::Speed1, "0", "range"},
            {StepColumn::Speed2, "256", "range"},
            {StepColumn::Brightness1, "101", "range"},
            {StepColumn::Brightness2, "-1", "range"},
            {StepColumn::Pause2, "256", "range"},
            {StepColumn::RepeatCount, "0", "range"},
            {StepColumn::RepeatCount, "99999999999", "range"}};
        for (const auto &[column, text, kind] : wrong)
            QTest::addRow("%s %d '%s'", kind, int(column), text)
                << with(column, text)
                << QStringList{QStringLiteral("1: %1 %2 '%3'")
                                   .arg(kind, StepText::headerFields()[int(column)], text)};
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, read);
        QCOMPARE(described(StepText::read(text)), read);
    }

    // Shift_JIS has a code of its own on Windows, where Qt has no ICU; the other encodings come
    // in files through klv90-cli import (tst_cli_text).
    void decodeShiftJis()
    {
        QCOMPARE(
            StepText::decode("\x83\x8f\x83\x43\x83\x84\x81\x5b\x82\x50,BIT\x91\x9d,BIT\x8c\xb8"),
            QStringLiteral("ワイヤー１,BIT増,BIT減"));
    }
};

QTEST_GUILESS_MAIN(TestStepText)
#include "tst_steptext.moc"
