#include "form1.h"
#include "parameterlist.h"
#include "printlist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include <functional>

namespace {

const QString Notice = QStringLiteral("KLV-90: 設定した内容で印刷します");
const QString Cancelled = QStringLiteral("KLV-90: キャンセルが選択されました。");

// Steps that tell one another apart on paper (step n has Speed1 n), with a little of every cell;
// step 4 has both bit conditions, the widest line there is.
StepTable sampleTable(int count)
{
    StepTable table;
    table.StepCount = qint16(count);
    for (int i = 0; i < count; ++i) {
        const int bits = (i % 16) | (i == 3 ? 0x30 : (i % 3) << 4) | (i % 4) << 6;
        table[i] = {qint16(i / 2),
                    qint16(255 - i % 3),
                    qint16(bits),
                    qint16(i + 1),
                    qint16(i * 2),
                    qint16(i),
                    200,
                    255,
                    9,
                    qint16(i % 7 + 1),
                    qint16(i % 3)};
    }
    return table;
}

QByteArray pdftotext(const QString &pdf, int page, const char *mode)
{
    QProcess process;
    const QString n = QString::number(page);
    process.start(QStringLiteral("pdftotext"), {mode, "-f", n, "-l", n, pdf, "-"});
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

// The page's text lines, each with its words parted by one space.
QStringList pageText(const QString &pdf, int page)
{
    static const QRegularExpression lineEnd(QStringLiteral("[\n\f]"));
    return QString::fromUtf8(pdftotext(pdf, page, "-raw")).split(lineEnd, Qt::SkipEmptyParts);
}

// How often pattern occurs in the PDF file.
int countInPdf(const QString &pdf, const QString &pattern)
{
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(QString::fromLatin1(file.readAll()).count(QRegularExpression(pattern)));
}

int pageCount(const QString &pdf)
{
    return countInPdf(pdf, QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
}

struct Word
{
    QString text;
    double xMin, yMin, xMax, yMax; // points from the sheet's top-left corner
};

// The words of one page in rows, top to bottom, each row left to right.
QList<QList<Word>> pageRows(const QString &pdf, int page)
{
    QXmlStreamReader xml(pdftotext(pdf, page, "-bbox"));
    QList<Word> words;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"word") {
            const auto at = [&](const char *name) {
                return xml.attributes().value(QLatin1String(name)).toDouble();
            };
            words.append({QString(), at("xMin"), at("yMin"), at("xMax"), at("yMax")});
            words.last().text = xml.readElementText();
        }
    }
    std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) {
        return std::pair(a.yMin, a.xMin) < std::pair(b.yMin, b.xMin);
    });
    QList<QList<Word>> rows;
    for (const Word &word : words) {
        if (rows.isEmpty() || rows.last().first().yMin != word.yMin)
            rows.append(QList<Word>());
        rows.last().append(word);
    }
    return rows;
}

// Answers the print dialog and the boxes after it the way a technician would: prints to the
// given PDF file through the dialog's "Print to File (PDF)" entry, or cancels for no file.
class PrintAnswerer : public QObject
{
public:
    explicit PrintAnswerer(QString pdf) : m_pdf(std::move(pdf))
    {
        connect(&m_timer, &QTimer::timeout, this, &PrintAnswerer::answer);
        m_timer.start(10);
    }

    std::function<void()> onNotice; // runs while the notice is open
    QStringList messages;           // the tool's boxes as "caption: text"
    int dialogs = 0;
    bool landscapePreset = false;
    bool overwriteAsked = false;

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        m_answered.removeAll(nullptr);
        if (!modal || !modal->isVisible() || m_answered.contains(modal))
            return;
        m_answered.append(modal);
        // Queued: the dialog's Print button opens a nested box, which this timer must answer.
        const auto click = [](QAbstractButton *button) {
            QTimer::singleShot(0, button, &QAbstractButton::click);
        };
        if (auto *dialog = qobject_cast<QPrintDialog *>(modal)) {
            ++dialogs;
            landscapePreset =
                dialog->printer()->pageLayout().orientation() == QPageLayout::Landscape;
            auto *buttons = dialog->findChild<QDialogButtonBox *>();
            if (m_pdf.isEmpty())
                return click(buttons->button(QDialogButtonBox::Cancel));
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1);
            dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(m_pdf);
            click(buttons->button(QDialogButtonBox::Ok));
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (QAbstractButton *yes = box->button(QMessageBox::Yes)) { // "overwrite?"
                overwriteAsked = true;
                return click(yes);
            }
            messages << box->windowTitle() + QStringLiteral(": ") + box->text();
            if (messages.last() == Notice && onNotice)
                onNotice();
            click(box->button(QMessageBox::Ok));
        }
    }

    QString m_pdf;
    QTimer m_timer;
    QList<QPointer<QWidget>> m_answered;
};

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString pdfPath() const { return m_dir.filePath(QStringLiteral("list.pdf")); }

    // Command9 clicked on a window holding table; printing leaves the table as it was.
    void clickPrint(const StepTable &table)
    {
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.stepTable() = table;
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Command9")),
                          Qt::LeftButton);
        QVERIFY(window.stepTable().StepCount == table.StepCount &&
                window.stepTable().entries == table.entries);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils, tools/install-deps) reads the PDF output back");
    }
    void cleanup() { QFile::remove(pdfPath()); }

    // A4 landscape whatever the printer was set to; every page opens with its own header.
    void pdfPages_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty table: no document") << 0 << 0;
        QTest::newRow("55") << 55 << 1;
        QTest::newRow("56") << 56 << 2;
        QTest::newRow("128") << 128 << 3;
    }
    void pdfPages()
    {
        QFETCH(int, steps);
        QFETCH(int, pages);
        const StepTable table = sampleTable(steps);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdfPath());
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Portrait);
        QVERIFY(printParameterList(printer, table));
        QCOMPARE(QFile::exists(pdfPath()), pages > 0);
        QCOMPARE(pageCount(pdfPath()), pages);
        QCOMPARE(
            countInPdf(pdfPath(), QStringLiteral("/MediaBox \\[0 0 842(\\.0*)? 595(\\.0*)?\\]")),
            pages); // A4 landscape
        const QList<PrintPage> expected = parameterListPages(table);
        for (int p = 0; p < pages; ++p) {
            QStringList lines;
            for (const PrintLine &line : expected[p].mid(1))
                lines << line.text.simplified();
            QCOMPARE(pageText(pdfPath(), p + 1), lines);
        }
        if (pages > 1) { // spelled out once
            QCOMPARE(pageText(pdfPath(), 2).value(1), QStringLiteral("2 PAGE"));
            QVERIFY(pageText(pdfPath(), 2).value(5).contains(QStringLiteral(" 056 ")));
        }
    }

    // The page reads back column for column: every word at its column of 4.5 points (9 points,
    // a full-width character two columns), lines 9 points apart, all of it on the sheet.
    void pdfColumns()
    {
        const StepTable table = sampleTable(55);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdfPath());
        QVERIFY(printParameterList(printer, table));
        const PrintPage lines = parameterListPages(table).first().mid(1);
        const QList<QList<Word>> rows = pageRows(pdfPath(), 1);
        QCOMPARE(rows.size(), lines.size());
        const double origin = rows[4].first().xMin - 4.5; // the separator starts at column 1
        QVERIFY(origin >= 0 && origin + 185 * 4.5 <= 842);
        for (int i = 0; i < lines.size(); ++i) {
            QString expected = lines[i].text;
            expected.replace(QChar(0x3000), QStringLiteral("  "));
            while (expected.endsWith(u' '))
                expected.chop(1);
            QString rebuilt;
            for (const Word &word : rows[i]) {
                QVERIFY(qAbs(word.yMax - word.yMin - lines[i].points) < 0.1);
                QVERIFY(word.xMax <= 842 && word.yMax <= 595);
                if (lines[i].points != 9) { // the title
                    QCOMPARE(word.text, expected.trimmed());
                    rebuilt = expected;
                    continue;
                }
                const double column = (word.xMin - origin) / 4.5;
                QVERIFY2(qAbs(column - qRound(column)) < 0.01, qPrintable(word.text));
                QVERIFY(qAbs(word.xMax - word.xMin - displayColumns(word.text) * 4.5) < 0.05);
                rebuilt += QString(qRound(column) - displayColumns(rebuilt), u' ') + word.text;
            }
            QCOMPARE(rebuilt, expected);
            if (i > 1)
                QVERIFY(qAbs(rows[i][0].yMin - rows[i - 1][0].yMin - 9) < 0.05);
        }
    }

    void pdfFailure()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("gone/list.pdf")));
        QVERIFY(!printParameterList(printer, sampleTable(3)));
    }

    void printFromWindow_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<int>("pages");
        QTest::newRow("56 steps to a new file") << 56 << false << 2;
        QTest::newRow("56 steps over an older file") << 56 << true << 2;
        QTest::newRow("empty table") << 0 << false << 0;
    }
    void printFromWindow()
    {
        QFETCH(int, steps);
        QFETCH(bool, fileExists);
        QFETCH(int, pages);
        QFile older(pdfPath());
        QVERIFY(!fileExists || (older.open(QIODevice::WriteOnly) && older.write("older") == 5));
        older.close();
        PrintAnswerer answerer(pdfPath());
        clickPrint(sampleTable(steps));
        QCOMPARE(answerer.dialogs, 1);
        QVERIFY(answerer.landscapePreset);
        QCOMPARE(answerer.overwriteAsked, fileExists);
        QCOMPARE(answerer.messages, QStringList{Notice});
        QCOMPARE(pageCount(pdfPath()), pages);
    }

    void cancelInDialog()
    {
        PrintAnswerer answerer{QString()};
        clickPrint(sampleTable(5));
        QCOMPARE(answerer.dialogs, 1);
        QCOMPARE(answerer.messages, QStringList{Cancelled});
    }

    // The folder chosen in the dialog is gone by the time the notice is closed.
    void printerFailsAfterDialog()
    {
        QTemporaryDir folder;
        PrintAnswerer answerer(folder.filePath(QStringLiteral("list.pdf")));
        answerer.onNotice = [&] { folder.remove(); };
        clickPrint(sampleTable(5));
        QCOMPARE(answerer.messages, (QStringList{Notice, Cancelled}));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
