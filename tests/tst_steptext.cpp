// Steps as text: the lines written for the clipboard and show --csv, text from spreadsheets read
// back into the editor, and the rules of a paste.
#include "steppaste.h"
#include "steptext.h"
#include "teststrings.h"

#include <QTest>

#include <tuple>

using namespace Klv;
using StepText::Separator;

Q_DECLARE_METATYPE(Klv::AddResult)

namespace {

// The start-up step, instruction 2 in force at its start values; with(c, t): field c set to t.
const QString InForce = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,1,50,0,1,OFF");
const QString Startup = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,-,-,-,1,OFF");
QString with(StepColumn column, const QString &text, QString line = InForce)
{
    QStringList fields = line.split(u',');
    fields[int(column)] = text;
    return fields.join(u',');
}

// A line of key keyData, every input tested, and a bit condition.
QString keyLine(int keyData, const QString &condition = {})
{
    QString line = with(StepColumn::BitCondition, condition);
    for (int k = 0; k < 7; ++k)
        line = with(StepColumn(k), (keyData >> k) & 1 ? "HI" : "LO", line);
    return line + u'\n';
}

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

    // A paste takes all its steps or none; the first refusal names its line, the refusals in
    // Add's order.
    void paste_data()
    {
        QTest::addColumn<QString>("before"); // the table's steps
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("refusedLine"); // 0: all taken
        QTest::addColumn<AddResult>("reason");
        QString full; // 127 steps: keys 0-63 with BIT増, 0-62 with BIT減
        for (int key = 0; key < 127; ++key)
            full += keyLine(key % 64, key < 64 ? "BIT増" : "BIT減");
        const auto row = [](const char *name, const QString &before, const QString &pasted,
                            int refusedLine, AddResult reason = AddResult::Added) {
            QTest::newRow(name) << before << pasted << refusedLine << reason;
        };
        row("taken", keyLine(5, "BIT増"), keyLine(5, "BIT減") + keyLine(1), 0);
        row("a key of the table", keyLine(1), keyLine(2) + keyLine(1), 2, AddResult::SameKey);
        row("a key twice in the paste", "", keyLine(1) + keyLine(2) + keyLine(1), 3,
            AddResult::SameKey);
        row("other inputs masked", keyLine(1), with(StepColumn::Wire3, "MASK"), 1,
            AddResult::SameKey);
        row("a masked wire tested", with(StepColumn::Wire2, "MASK"), keyLine(4), 1,
            AddResult::SameKey);
        row("the 128th, then full", full, keyLine(63, "BIT減") + keyLine(64), 2,
            AddResult::TableFull);
        row("full and the same key", full + keyLine(63, "BIT減"), keyLine(0), 1,
            AddResult::SameKey);
    }
    void paste()
    {
        QFETCH(QString, before);
        QFETCH(QString, pasted);
        QFETCH(int, refusedLine);
        QFETCH(AddResult, reason);
        StepTableModel model;
        QVERIFY(!addStepLines(model, StepText::read(before).steps));
        const StepTable table = model.table();
        const QList<StepText::StepLine> lines = StepText::read(pasted).steps;
        const std::optional<PasteRefusal> refusal = addStepLines(model, lines);
        QCOMPARE(refusal ? refusal->line : 0, refusedLine);
        QCOMPARE(refusal ? refusal->reason : AddResult::Added, reason);
        QCOMPARE(model.table().count(), table.count() + (refusal ? 0 : lines.size()));
        QVERIFY(!refusal || model.table() == table);
    }
};

QTEST_GUILESS_MAIN(TestStepText)
#include "tst_steptext.moc"
