// klv90-cli with programs as text: import of show --csv and of what spreadsheets write, show
// --csv --bom, and diff of two programs, each run as the real program on real files.
#include "clirunner.h"
#include "settingsfile.h"
#include "settingsfiletesting.h"
#include "steptablemodel.h"
#include "teststrings.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Klv;

namespace {

const QString Startup = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,-,-,-,1,OFF");

// The start-up step with keyData key, all inputs tested, then changed by change.
Step stepOf(int key, void (*change)(Step &) = nullptr)
{
    Step step{qint16(key), 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
    if (change)
        change(step);
    return step;
}

// A step the editor can make: any key and checks (at most one bit condition), every slider
// anywhere in its range, instruction 2 in force or its sliders at their start values.
EditorState randomEditorState(QRandomGenerator &random)
{
    const auto pick = [&](int low, int high) { return int(random.bounded(low, high + 1)); };
    EditorState editor;
    for (int &choice : editor.key)
        choice = pick(EditorState::Hi, EditorState::Lo); // wire 6 is masked below
    for (int &check : editor.ports)
        check = pick(0, 1);
    editor.keyFlag = pick(0, 1), editor.waitForEnd = pick(0, 1), editor.instruction2 = pick(0, 1);
    const int condition = pick(0, 2);
    editor.bitIncrease = condition == 1, editor.bitDecrease = condition == 2;
    const int highest[7] = {255, 100, 255, 255, 100, 255, 255}; // lowest: speeds and count 1
    for (int v = 0; v < 7; ++v) {
        if (editor.instruction2 == 1 || v < EditorState::Speed2 || v > EditorState::Pause2)
            editor.values[std::size_t(v)] = pick(v % 3 == 0 ? 1 : 0, highest[v]);
    }
    return editor;
}

} // namespace

class TestCliText : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString programFile(const char *name, const QList<Step> &steps)
    {
        return writeAll(path(name), fileOf(steps)) ? path(name) : QString();
    }

private slots:
    // show --csv | import gives back a random program of editor-made steps, made through Add,
    // byte for byte; with the byte-order mark too.
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
        StepTableModel model;
        for (int i = 0; i < 2000; ++i) {
            // Wire 6 masked in all, as its locked options make every step after the first.
            EditorState editor = randomEditorState(random);
            editor.key[5] = EditorState::Mask;
            model.add(encodeStep(editor));
        }
        QCOMPARE(model.table().count(), 103);
        QVERIFY(writeSettingsFile(path("random.zzr"), model.table()));
        QProcess shown, imported;
        shown.setStandardOutputProcess(&imported);
        shown.start(QStringLiteral(KLV90_CLI), show << path("random.zzr"));
        imported.start(QStringLiteral(KLV90_CLI), {"import", "-", "-o", path("copy.zzr")});
        QVERIFY(shown.waitForFinished(60000) && imported.waitForFinished(60000));
        QCOMPARE(imported.readAllStandardError(), QByteArray());
        QCOMPARE(readAll(path("copy.zzr")), readAll(path("random.zzr")));
    }

    void showCsvBom()
    {
        const CliRun run = runCli({"show", "--csv", "--bom", programFile("bom.zzr", {stepOf(0)})});
        QCOMPARE(run.out.first(3), QByteArray("\xEF\xBB\xBF"));
        QVERIFY(run.out.endsWith("\r\n" + Startup.toUtf8() + "\r\n"));
    }

    // Excel's "CSV (コンマ区切り)" on a Japanese Windows (Shift_JIS, CR LF, an empty row between
    // the steps); Calc's cells copied on Linux without the header and one empty column too many
    // (UTF-8, tabs, LF); Excel's "Unicode テキスト" (UTF-16 with its mark, tabs, CR LF).
    void importSpreadsheet_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *file : {"excel-japanese.csv", "calc-clipboard.txt", "excel-unicode.txt"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }
    void importSpreadsheet()
    {
        QFETCH(QString, file);
        const CliRun run = runCli({"import", KLV_TEST_DATA "/" + file, "-o", path("out.zzr")});
        QCOMPARE(run.exitCode, 0);
        const QStringList shown =
            QString::fromUtf8(runCli({"show", "--csv", path("out.zzr")}).out).split("\r\n");
        QCOMPARE(
            shown.mid(1),
            (QStringList{"LO,LO,MASK,LO,LO,LO,LO,RUN,,,,,,10,80,5,-,-,-,1,OFF",
                         "HI,LO,MASK,LO,LO,LO,LO,RUN,RUN,,,BIT増,WAIT,20,100,0,5,30,10,2,ON",
                         "HI,LO,MASK,LO,LO,LO,LO,,,RUN,RUN,BIT減,,255,0,255,1,0,0,255,OFF", ""}));
    }

    // Lines that are not steps, or a refusal: each named, status 1, an older file left as it was.
    void importRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("err"); // <f>: the text file, <o>: the settings file
        QTest::newRow("not steps")
            << Startup.left(Startup.size() - 4) + "\n" + QString(Startup).replace(",50,", ",101,") +
                   "\n" + QString(Startup).replace("OFF", "OF")
            << "<f>:1: not a step: 20 fields, where a step has 21\n"
               "<f>:2: not a step: 命令１目的輝度 is 101, not a whole number from 0 to 100\n"
               "<f>:3: not a step: フラグ is 'OF', not ON or OFF\n<o> not written\n";
        QTest::newRow("refused") << Startup + "\n\n" + Startup
                                 << "<f>:3: refused: the same key is in the program already, or "
                                    "the step masks other inputs than the steps before it; <o> not "
                                    "written\n";
        QTest::newRow("no steps") << ""
                                  << "<f>: no steps; <o> not written\n";
    }
    void importRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, err);
        QVERIFY(writeAll(path("in.csv"), text.toUtf8()) && writeAll(path("out.zzr"), "older"));
        const CliRun run = runCli({"import", path("in.csv"), "-o", path("out.zzr")});
        QCOMPARE(run.exitCode, 1);
        err.replace("<f>", path("in.csv")).replace("<o>", path("out.zzr"));
        QString expected;
        for (const QString &line : err.split(u'\n', Qt::SkipEmptyParts))
            expected += "klv90-cli: " + line + u'\n';
        QCOMPARE(run.errText(), expected);
        QCOMPARE(readAll(path("out.zzr")), QByteArray("older"));
    }

    // Steps paired by their key; a line for each difference; status 0 for the same program, 1
    // otherwise.
    void diff_data()
    {
        QTest::addColumn<QList<Step>>("a");
        QTest::addColumn<QList<Step>>("b");
        QTest::addColumn<QString>("out"); // <a>, <b>: the files
        const QString s1 = "step 1 (LO LO LO LO LO LO LO): ",
                      s2 = "step 2 (HI LO LO LO LO LO LO): ";
        QTest::newRow("the same program, stored in another order")
            << QList{stepOf(1), stepOf(0)} << QList{stepOf(0), stepOf(1)} << "";
        QTest::newRow("columns in words, stored values behind the same words")
            << QList{stepOf(0, [](Step &s) { s.stepFlag = 2, s.controlBits = 8, s.speed2 = 9; }),
                     stepOf(1, [](Step &s) { s.pause2 = 7; })}
            << QList{stepOf(0,
                            [](Step &s) { s.level1 = 128, s.stepFlag = 1, s.controlBits = 0xC1; }),
                     stepOf(1, [](Step &s) { s.level1 = 153; })}
            << s1 + "ポート １ (empty) -> RUN\n" + s1 + "ポート ４ RUN -> (empty)\n" + s1 +
                   "終了待ち (empty) -> WAIT\n" + s1 +
                   "命令１ 目的輝度 50 -> 50 (stored 127 -> 128)\n" + s1 +
                   "命令２ 調光速度 - -> 1\n" + s1 + "命令２ 目的輝度 - -> 50\n" + s1 +
                   "命令２ ポーズ - -> 0\n" + s1 + "フラグ ON -> ON (stored 2 -> 1)\n" + s2 +
                   "命令１ 目的輝度 50 -> 60\n" + s2 + "命令２ ポーズ - -> - (stored 7 -> 0)\n";
        QTest::newRow("keys: only in either, the bit condition, equal keys in order")
            << QList{stepOf(0, [](Step &s) { s.speed1 = 3; }),
                     stepOf(0, [](Step &s) { s.speed1 = 4; }),
                     stepOf(1, [](Step &s) { s.controlBits = 32; })}
            << QList{stepOf(0, [](Step &s) { s.speed1 = 3; }),
                     stepOf(0, [](Step &s) { s.speed1 = 5; }),
                     stepOf(1, [](Step &s) { s.controlBits = 16; })}
            << "step 2 (LO LO LO LO LO LO LO): 命令１ 調光速度 4 -> 5\n"
               "step 3 (HI LO LO LO LO LO LO BIT増): only in <a>\n"
               "step 3 (HI LO LO LO LO LO LO BIT減): only in <b>\n";
        QTest::newRow("--csv")
            << QList{stepOf(0), stepOf(1)}
            << QList{stepOf(1, [](Step &s) { s.level1 = 153; }), stepOf(2)}
            << "difference,step in A,step in B,key,column,A,B,stored in A,"
               "stored in B\r\nonly in A,1,,LO LO LO LO LO LO LO,,,,,\r\n"
               "changed,2,1,HI LO LO LO LO LO LO,命令１ 目的輝度,50,60,127,153\r\n"
               "only in B,,2,LO HI LO LO LO LO LO,,,,,\r\n";
    }
    void diff()
    {
        QFETCH(QList<Step>, a);
        QFETCH(QList<Step>, b);
        QFETCH(QString, out);
        QStringList arguments{"diff", programFile("a.zzr", a), programFile("b.zzr", b)};
        if (QTest::currentDataTag() == QStringLiteral("--csv"))
            arguments << "--csv";
        const CliRun run = runCli(arguments);
        QCOMPARE(run.exitCode, out.isEmpty() ? 0 : 1);
        QCOMPARE(run.errText(), QString());
        QCOMPARE(QString::fromUtf8(run.out),
                 out.replace("<a>", path("a.zzr")).replace("<b>", path("b.zzr")));
    }

    // Status 2, as diff(1) gives, for files that cannot be compared or a second file not given.
    void diffTrouble()
    {
        QVERIFY(writeAll(path("wrong.zzr"), "KL"));
        QFile::remove(path("none.zzr"));
        const CliRun run = runCli({"diff", path("wrong.zzr"), path("none.zzr")});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.errText(), "klv90-cli: " + path("wrong.zzr") + ": not a settings file\n" +
                                    "klv90-cli: " + path("none.zzr") + ": cannot be read\n");
        QCOMPARE(runCli({"diff", path("wrong.zzr")}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliText)
#include "tst_cli_text.moc"
