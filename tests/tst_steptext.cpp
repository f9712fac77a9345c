// Steps as text: the lines written for the clipboard and show --csv, text from spreadsheets read
// back into the editor, and the rules of a paste.
#include "randomeditor.h"
#include "steppaste.h"
#include "steptext.h"
#include "teststrings.h"

#include <QTest>

#include <tuple>

using namespace Klv;
using StepText::Separator;

Q_DECLARE_METATYPE(Klv::AddResult)

namespace {

// The start-up step with instruction 2 in force at its start values.
const QString InForce = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,1,50,0,1,OFF");
const QString Startup = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,-,-,-,1,OFF");

// InForce with field column replaced by text.
QString with(StepColumn column, const QString &text)
{
    QStringList fields = InForce.split(u',');
    fields[int(column)] = text;
    return fields.join(u',');
}

// What read() made of a text, a line each: a step as the grid shows it, then the problems.
QStringList described(const StepText::Reading &reading)
{
    QStringList lines;
    for (const StepText::StepLine &step : reading.steps)
        lines << QString::number(step.line) + QStringLiteral(": ") +
                     StepText::stepFields(encodeStep(step.editor)).join(u',');
    for (const StepText::LineProblem &problem : reading.problems) {
        const QString column = StepText::headerFields().at(int(problem.column));
        const QString at = QString::number(problem.line) + QStringLiteral(": ");
        if (problem.problem == StepText::Problem::FieldCount)
            lines << at + QStringLiteral("%1 fields").arg(problem.fieldCount);
        else
            lines << at +
                         (problem.problem == StepText::Problem::WrongWord
                              ? QStringLiteral("word ")
                              : QStringLiteral("range ")) +
                         column + QStringLiteral(" '") + problem.text + u'\'';
    }
    return lines;
}

// A step line of the key keyData (all inputs tested) and a bit condition.
QString keyLine(int keyData, const QString &condition = {})
{
    QStringList fields = InForce.split(u',');
    for (int k = 0; k < 7; ++k)
        fields[k] = (keyData >> k) & 1 ? QStringLiteral("HI") : QStringLiteral("LO");
    fields[int(StepColumn::BitCondition)] = condition;
    return fields.join(u',') + u'\n';
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
            << QStringList{"HI", "", "BIT増", ""} << false << "HI,,BIT増,\r\n";
        QTest::newRow("comma") << QStringList{"a,b", "c"} << false << "\"a,b\",c\r\n";
        QTest::newRow("quote") << QStringList{"say \"OK\""} << false << "\"say \"\"OK\"\"\"\r\n";
        QTest::newRow("line breaks")
            << QStringList{"a\nb", "c\r\nd"} << false << "\"a\nb\",\"c\r\nd\"\r\n";
        QTest::newRow("tabs: a comma as it is")
            << QStringList{"HI", "", "a,b"} << true << "HI\t\ta,b\r\n";
        QTest::newRow("tabs: a tab quoted")
            << QStringList{"a\tb", "c"} << true << "\"a\tb\"\tc\r\n";
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
        const QString header = StepText::headerFields().join(u',');
        const QString every =
            QStringLiteral("HI,MASK,LO,HI,LO,LO,HI,RUN,,RUN,,BIT増,WAIT,255,100,255,1,0,0,255,ON");
        const auto row = [](const char *name, const QString &text, const QStringList &read) {
            QTest::newRow(name) << text << read;
        };
        row("no header, no line end", Startup, {"1: " + Startup});
        row("header, CR LF", header + "\r\n" + Startup + "\r\n", {"2: " + Startup});
        row("tabs, LF, trailing tabs, an empty line",
            QString(Startup + "\t\t\n\n").replace(u',', u'\t'), {"1: " + Startup});
        row("blank lines and empty records skipped, counted", "\r\n,,,\r\n" + every,
            {"3: " + every});
        row("a lone CR ends a line", Startup + "\r" + every, {"1: " + Startup, "2: " + every});
        row("quoted fields", "\"LO\",LO,LO,LO,LO,LO,LO,\"\",,,,,,1,\"50\",0,-,-,-,1,\"OFF\"",
            {"1: " + Startup});
        const QString others = QString(every).replace("BIT増", "BIT減").replace("HI,", "MASK,");
        row("the other words", others, {"1: " + others});
        const QString ends = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,0,0,255,100,255,1,OFF");
        row("the sliders' ends", ends + "\n" + every, {"1: " + ends, "2: " + every});
        row("header after the first line", Startup + "\n" + header,
            {"1: " + Startup, "2: word ワイヤー１ 'ワイヤー１'"});
        row("20 fields", Startup.section(u',', 0, 19), {"1: 20 fields"});
        row("22 fields", Startup + ",x", {"1: 22 fields"});
        row("instruction 2's speed alone -", with(StepColumn::Speed2, "-"),
            {"1: word 命令２調光速度 '-'"});
        row("instruction 2's brightness alone -", with(StepColumn::Brightness2, "-"),
            {"1: word 命令２目的輝度 '-'"});
        const QList<std::tuple<const char *, StepColumn, const char *, const char *>> wrong{
            {"hi", StepColumn::Wire1, "hi", "word ワイヤー１"},
            {"a blank after RUN", StepColumn::Port2, "RUN ", "word ポート２"},
            {"BIT", StepColumn::BitCondition, "BIT", "word 増減条件"},
            {"wait", StepColumn::WaitForEnd, "wait", "word 終了待ち"},
            {"a fraction", StepColumn::Speed1, "1.5", "word 命令１調光速度"},
            {"full-width digits", StepColumn::Brightness1, "５０", "word 命令１目的輝度"},
            {"empty number", StepColumn::Pause1, "", "word 命令１ポーズ"},
            {"on", StepColumn::StepFlag, "on", "word フラグ"},
            {"speed 0", StepColumn::Speed1, "0", "range 命令１調光速度"},
            {"speed 256", StepColumn::Speed2, "256", "range 命令２調光速度"},
            {"brightness 101", StepColumn::Brightness1, "101", "range 命令１目的輝度"},
            {"brightness -1", StepColumn::Brightness2, "-1", "range 命令２目的輝度"},
            {"pause 256", StepColumn::Pause2, "256", "range 命令２ポーズ"},
            {"repeat 0", StepColumn::RepeatCount, "0", "range 回数"},
            {"repeat past an int", StepColumn::RepeatCount, "99999999999", "range 回数"},
        };
        for (const auto &[name, column, text, read] : wrong)
            row(name, with(column, text) + "\n" + Startup,
                {"2: " + Startup, QStringLiteral("1: %1 '%2'").arg(read, text)});
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, read);
        QCOMPARE(described(StepText::read(text)), read);
    }

    // Every step the editor makes, its instruction 2 in force or at its start values, comes
    // back as the editor held it, through either separator.
    void roundTrip()
    {
        QRandomGenerator random(25);
        QList<EditorState> editors;
        QList<Step> steps;
        for (int i = 0; i < 2000; ++i) {
            editors << randomEditorState(random);
            steps << encodeStep(editors.last());
        }
        for (const Separator separator : {Separator::Tab, Separator::Comma}) {
            const StepText::Reading reading = StepText::read(StepText::write(steps, separator));
            QCOMPARE(reading.problems.size(), 0);
            QCOMPARE(reading.steps.size(), steps.size());
            for (qsizetype i = 0; i < steps.size(); ++i) {
                QCOMPARE(reading.steps[i].line, int(i) + 2);
                QCOMPARE(reading.steps[i].editor, editors[i]);
            }
        }
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("BIT\xE5\xA2\x97") << "BIT増";
        QTest::newRow("UTF-8, byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                              "BIT\xE5\xA2\x97")
                                                << "BIT増";
        QTest::newRow("Shift_JIS") << QByteArray("\x83\x8f\x83\x43\x83\x84\x81\x5b\x82\x50,BIT"
                                                 "\x91\x9d,BIT\x8c\xb8")
                                   << "ワイヤー１,BIT増,BIT減";
        QTest::newRow("UTF-16, byte-order mark") << QByteArray("\xFF\xFE"
                                                               "B\0I\0T\0\x97\x58",
                                                               10)
                                                 << "BIT増";
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(StepText::decode(bytes), text);
    }

    // A paste takes all its steps or none; the first refusal names its line, the refusals
    // checked in Add's order.
    void paste_data()
    {
        QTest::addColumn<QString>("before"); // steps the table holds
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
        row("an empty table takes any steps", "", keyLine(1) + keyLine(2), 0);
        row("the key of a step of the table", keyLine(1), keyLine(2) + keyLine(1), 2,
            AddResult::SameKey);
        row("the same key twice in the paste", "", keyLine(1) + keyLine(2) + keyLine(1), 3,
            AddResult::SameKey);
        row("other inputs masked", keyLine(1), with(StepColumn::Wire3, "MASK"), 1,
            AddResult::SameKey);
        row("a wire the table masks, tested", with(StepColumn::Wire2, "MASK"), keyLine(4), 1,
            AddResult::SameKey);
        row("an increase and decrease pair", keyLine(5, "BIT増"), keyLine(5, "BIT減"), 0);
        row("the same condition twice", keyLine(5, "BIT増"), keyLine(5, "BIT増"), 1,
            AddResult::SameKey);
        row("the 128th step, then a full table", full, keyLine(63, "BIT減") + keyLine(64), 2,
            AddResult::TableFull);
        row("a full table and the same key: the same key", full + keyLine(63, "BIT減"), keyLine(0),
            1, AddResult::SameKey);
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
        if (refusal) {
            QCOMPARE(refusal->reason, reason);
            QVERIFY(model.table() == table);
        } else {
            QCOMPARE(model.table().count(), table.count() + lines.size());
        }
    }
};

QTEST_GUILESS_MAIN(TestStepText)
#include "tst_steptext.moc"
