// klv90-cli with programs as text: import of show --csv and of what spreadsheets write, show
// --csv --bom, and diff of two programs, each run as the real program on real files.
#include "clirunner.h"
#include "gridtexts.h"
#include "randomeditor.h"
#include "settingsfile.h"
#include "settingsfiletesting.h"
#include "steptablemodel.h"
#include "teststrings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Klv;

namespace {

const QString Header = QStringLiteral(
    "ワイヤー１,ワイヤー２,ワイヤー３,ワイヤー４,ワイヤー５,ワイヤー６,ワイヤーフラグ,ポート１,"
    "ポート２,ポート３,ポート４,増減条件,終了待ち,命令１調光速度,命令１目的輝度,命令１ポーズ,"
    "命令２調光速度,命令２目的輝度,命令２ポーズ,回数,フラグ");
const QString Startup = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,-,-,-,1,OFF");

// The start-up step with keyData key, all inputs tested; change alters it further.
Step stepOf(int key, void (*change)(Step &) = nullptr)
{
    Step step{qint16(key), 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
    if (change)
        change(step);
    return step;
}

// The start-up step's line with keyData key, all inputs tested, and a bit condition.
QString keyedLine(int key, const QString &condition = {})
{
    QStringList fields = Startup.split(u',');
    for (int k = 0; k < 7; ++k)
        fields[k] = (key >> k) & 1 ? QStringLiteral("HI") : QStringLiteral("LO");
    fields[int(StepColumn::BitCondition)] = condition;
    return fields.join(u',') + QStringLiteral("\r\n");
}

// A table made through Add of random steps that the editor can make, all of them masking wire 6
// as its locked options make every step after the first do.
StepTable randomTable(QRandomGenerator &random)
{
    StepTableModel model;
    for (int i = 0; i < 2000 && !model.table().isFull(); ++i) {
        EditorState editor = randomEditorState(random);
        for (int &choice : editor.key)
            choice = choice == EditorState::Mask ? EditorState::Lo : choice;
        editor.key[5] = EditorState::Mask;
        model.add(encodeStep(editor));
    }
    return model.table();
}

} // namespace

class TestCliText : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString programFile(const QString &name, const QList<Step> &steps)
    {
        const QString file = path(name);
        if (!writeAll(file, fileOf(steps)))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

    // show --csv of the file, its rows after the header.
    QStringList shownRows(const QString &file)
    {
        const CliRun run = runCli({"show", "--csv", file});
        QStringList rows = QString::fromUtf8(run.out).split(QStringLiteral("\r\n"));
        if (rows.size() < 2 || rows.first() != Header || !rows.last().isEmpty())
            return {QStringLiteral("show --csv gave: ") + QString::fromUtf8(run.out + run.err)};
        return rows.mid(1, rows.size() - 2);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QFile::remove(path(QStringLiteral("out.zzr"))); }

    // show --csv | import gives back the file, byte for byte, with the byte-order mark too.
    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("show");
        QTest::newRow("show --csv") << QStringList{"show", "--csv"};
        QTest::newRow("show --csv --bom") << QStringList{"show", "--csv", "--bom"};
    }
    void roundTrip()
    {
        QFETCH(QStringList, show);
        QRandomGenerator random(25);
        const StepTable table = randomTable(random);
        QVERIFY2(table.count() > 100, qPrintable(QString::number(table.count())));
        const QString original = path(QStringLiteral("random.zzr"));
        const QString copy = path(QStringLiteral("out.zzr"));
        QVERIFY(writeSettingsFile(original, table));

        QProcess shown, imported;
        shown.setProcessEnvironment(consoleEnvironment());
        imported.setProcessEnvironment(consoleEnvironment());
        shown.setStandardOutputProcess(&imported);
        shown.start(QStringLiteral(KLV90_CLI), show << original);
        imported.start(QStringLiteral(KLV90_CLI), {"import", "-", "-o", copy});
        QVERIFY(shown.waitForFinished(60000) && imported.waitForFinished(60000));
        QCOMPARE(shown.exitCode(), 0);
        QCOMPARE(imported.readAllStandardError(), QByteArray());
        QCOMPARE(imported.exitCode(), 0);
        QCOMPARE(readAll(copy), readAll(original));
    }

    // show --csv --bom: the UTF-8 byte-order mark, then show --csv's bytes.
    void showCsvBom()
    {
        const QString file = programFile(QStringLiteral("bom.zzr"), {stepOf(0)});
        const CliRun run = runCli({"show", "--csv", "--bom", file});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, "\xEF\xBB\xBF" + (Header + "\r\n" + Startup + "\r\n").toUtf8());
    }

    // What spreadsheets write, taken as the steps they show.
    void importSpreadsheet_data()
    {
        QTest::addColumn<QString>("file");
        // Excel's "CSV (コンマ区切り)" on a Japanese Windows: Shift_JIS, CR LF, the header, an
        // empty row (commas only) between the steps.
        QTest::newRow("Excel CSV") << "excel-japanese.csv";
        // Calc's cells copied on Linux without the header, one empty column too many: UTF-8,
        // tabs, LF, a tab ending every row.
        QTest::newRow("Calc's clipboard") << "calc-clipboard.txt";
        // Excel's "Unicode テキスト": UTF-16 with its byte-order mark, tabs, CR LF.
        QTest::newRow("Excel Unicode text") << "excel-unicode.txt";
    }
    void importSpreadsheet()
    {
        QFETCH(QString, file);
        const QString out = path(QStringLiteral("out.zzr"));
        const CliRun run = runCli({"import", QStringLiteral(KLV_TEST_DATA "/") + file, "-o", out});
        QCOMPARE(run.errText(), QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(shownRows(out),
                 (QStringList{"LO,LO,MASK,LO,LO,LO,LO,RUN,,,,,,10,80,5,-,-,-,1,OFF",
                              "HI,LO,MASK,LO,LO,LO,LO,RUN,RUN,,,BIT増,WAIT,20,100,0,5,30,10,2,ON",
                              "HI,LO,MASK,LO,LO,LO,LO,,,RUN,RUN,BIT減,,255,0,255,1,0,0,255,OFF"}));
    }

    // A line that is not a step, or a refusal: every such line named on stderr, status 1, and no
    // file written, an older one left as it was.
    void importRefused_data()
    {
        QTest::addColumn<QString>("text"); // "-": the file is a folder
        QTest::addColumn<QStringList>("err");
        const QString startup = Startup + "\r\n";
        QString full; // keys 0 to 63, each with both bit conditions
        for (int step = 0; step < 128; ++step)
            full += keyedLine(step / 2, step % 2 ? "BIT減" : "BIT増");
        QTest::newRow("lines that are not steps")
            << Header + "\n" + Startup.left(Startup.size() - 4) + "\n" + startup +
                   QString(Startup).replace(",50,", ",101,") + "\n" +
                   QString(Startup).replace("OFF", "OF")
            << QStringList{"<file>:2: not a step: 20 fields, where a step has 21",
                           "<file>:4: not a step: 命令１目的輝度 is 101, not a whole number "
                           "from 0 to 100",
                           "<file>:5: not a step: フラグ is 'OF', not ON or OFF",
                           "<out> not written"};
        QTest::newRow("instruction 2 in part")
            << QString(Startup).replace("-,-,-", "-,50,0")
            << QStringList{"<file>:1: not a step: 命令２調光速度 is '-', not a whole number from 1 "
                           "to 255, or - in all three of 命令２",
                           "<out> not written"};
        QTest::newRow("the same key") << startup + "\n" + startup
                                      << QStringList{"<file>:3: refused: the same key is in the "
                                                     "program already, or the step masks other "
                                                     "inputs than the steps before it; <out> not "
                                                     "written"};
        QTest::newRow("a 129th step")
            << full + keyedLine(64)
            << QStringList{"<file>:129: refused: the program is full (128 steps); <out> not "
                           "written"};
        QTest::newRow("no steps") << Header << QStringList{"<file>: no steps; <out> not written"};
        QTest::newRow("a folder") << "-" << QStringList{"<file>: cannot be read"};
    }
    void importRefused()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, err);
        QString file = path(QStringLiteral("refused.csv"));
        if (text == u"-")
            file = m_dir.path();
        else
            QVERIFY(writeAll(file, text.toUtf8()));
        const QString out = path(QStringLiteral("out.zzr"));
        QVERIFY(writeAll(out, "older"));
        const CliRun run = runCli({"import", file, "-o", out});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray());
        QString expected;
        for (const QString &line : err)
            expected +=
                "klv90-cli: " + QString(line).replace("<file>", file).replace("<out>", out) + u'\n';
        QCOMPARE(run.errText(), expected);
        QCOMPARE(readAll(out), QByteArray("older"));
    }

    // Steps paired by their key; each difference a line; 0 for the same program, 1 otherwise.
    void diff_data()
    {
        QTest::addColumn<QList<Step>>("a");
        QTest::addColumn<QList<Step>>("b");
        QTest::addColumn<bool>("csv");
        QTest::addColumn<QStringList>("out"); // <a>, <b>: the files' names
        const auto row = [](const char *name, const QList<Step> &a, const QList<Step> &b,
                            const QStringList &out,
                            bool csv = false) { QTest::newRow(name) << a << b << csv << out; };
        const QString key0 = "step 1 (LO LO LO LO LO LO LO): ";
        const QString key1 = "step 2 (HI LO LO LO LO LO LO): ";
        row("the same program, stored in another order", {stepOf(1), stepOf(0)},
            {stepOf(0), stepOf(1)}, {});
        row("a brightness", {stepOf(0), stepOf(1)},
            {stepOf(0), stepOf(1, [](Step &s) { s.level1 = 153; })},
            {key1 + "命令１ 目的輝度 50 -> 60"});
        row("stored values behind the same words", {stepOf(0, [](Step &s) { s.stepFlag = 2; })},
            {stepOf(0, [](Step &s) { s.level1 = 128, s.stepFlag = 1; })},
            {key0 + "命令１ 目的輝度 50 -> 50 (stored 127 -> 128)",
             key0 + "フラグ ON -> ON (stored 2 -> 1)"});
        row("instruction 2 put in force, and a value of it while not",
            {stepOf(0, [](Step &s) { s.speed2 = 9; }), stepOf(1, [](Step &s) { s.pause2 = 7; })},
            {stepOf(0, [](Step &s) { s.controlBits = 0x80, s.speed2 = 9; }), stepOf(1)},
            {key0 + "命令２ 調光速度 - -> 9", key0 + "命令２ 目的輝度 - -> 50",
             key0 + "命令２ ポーズ - -> 0", key1 + "命令２ ポーズ - -> - (stored 7 -> 0)"});
        row("a port and the wait", {stepOf(0, [](Step &s) { s.controlBits = 0x08; })},
            {stepOf(0, [](Step &s) { s.controlBits = 0x41; })},
            {key0 + "ポート １ (empty) -> RUN", key0 + "ポート ４ RUN -> (empty)",
             key0 + "終了待ち (empty) -> WAIT"});
        row("steps only in either", {stepOf(0), stepOf(1)}, {stepOf(1), stepOf(2)},
            {key0 + "only in <a>", "step 2 (LO HI LO LO LO LO LO): only in <b>"});
        row("the bit condition belongs to the key",
            {stepOf(0, [](Step &s) { s.controlBits = 32; })},
            {stepOf(0, [](Step &s) { s.controlBits = 16; })},
            {"step 1 (LO LO LO LO LO LO LO BIT増): only in <a>",
             "step 1 (LO LO LO LO LO LO LO BIT減): only in <b>"});
        row("equal keys paired in order",
            {stepOf(0, [](Step &s) { s.speed1 = 3; }), stepOf(0, [](Step &s) { s.speed1 = 4; })},
            {stepOf(0, [](Step &s) { s.speed1 = 3; }), stepOf(0, [](Step &s) { s.speed1 = 5; })},
            {"step 2 (LO LO LO LO LO LO LO): 命令１ 調光速度 4 -> 5"});
        row("--csv", {stepOf(0), stepOf(1)},
            {stepOf(1, [](Step &s) { s.level1 = 153; }), stepOf(2)},
            {"difference,step in A,step in B,key,column,A,B,stored in A,stored in B",
             "only in A,1,,LO LO LO LO LO LO LO,,,,,",
             "changed,2,1,HI LO LO LO LO LO LO,命令１ 目的輝度,50,60,127,153",
             "only in B,,2,LO HI LO LO LO LO LO,,,,,"},
            true);
    }
    void diff()
    {
        QFETCH(QList<Step>, a);
        QFETCH(QList<Step>, b);
        QFETCH(bool, csv);
        QFETCH(QStringList, out);
        const QString fileA = programFile(QStringLiteral("a.zzr"), a);
        const QString fileB = programFile(QStringLiteral("b.zzr"), b);
        const CliRun run = runCli(csv ? QStringList{"diff", "--csv", fileA, fileB}
                                      : QStringList{"diff", fileA, fileB});
        QCOMPARE(run.errText(), QString());
        QCOMPARE(run.exitCode, out.isEmpty() ? 0 : 1);
        QString expected;
        for (const QString &line : out)
            expected +=
                QString(line).replace("<a>", fileA).replace("<b>", fileB) + (csv ? "\r\n" : "\n");
        QCOMPARE(QString::fromUtf8(run.out), expected);
    }

    // A file that cannot be compared, or no second file: status 2, as diff(1) gives.
    void diffTrouble_data()
    {
        QTest::addColumn<QByteArray>("a"); // "-": no such file
        QTest::addColumn<QByteArray>("b"); // empty: not given
        QTest::addColumn<QString>("err");
        const QByteArray program = fileOf({stepOf(0)});
        QTest::newRow("no such file") << QByteArray("-") << program << "<a>: cannot be read";
        QTest::newRow("not a settings file")
            << program << QByteArray("KL") << "<b>: not a settings file";
        QTest::newRow("both") << QByteArray("XYZ") << QByteArray("-")
                              << "<a>: not a settings file\nklv90-cli: <b>: cannot be read";
        QTest::newRow("one file") << program << QByteArray()
                                  << "diff needs two settings files (see klv90-cli --help)";
    }
    void diffTrouble()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(QString, err);
        QStringList arguments{"diff"};
        for (const auto &[bytes, name] : {std::pair(a, "a.zzr"), std::pair(b, "b.zzr")}) {
            const QString file = path(QString::fromLatin1(name));
            QFile::remove(file);
            QVERIFY(bytes == "-" || bytes.isEmpty() || writeAll(file, bytes));
            if (!bytes.isEmpty())
                arguments << file;
        }
        const CliRun run = runCli(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.errText(), "klv90-cli: " +
                                    QString(err)
                                        .replace("<a>", path(QStringLiteral("a.zzr")))
                                        .replace("<b>", path(QStringLiteral("b.zzr"))) +
                                    u'\n');
    }
};

QTEST_GUILESS_MAIN(TestCliText)
#include "tst_cli_text.moc"
