#include "mainwindow.h"
#include "parameterlist.h"
#include "printlist.h"
#include "settingsfile.h"
#include "steptablemodel.h"
#include "testtexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
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

using namespace Klv;

namespace {

const QString Notice = "KLV-90: " + Texts::PrintNotice;
const QString Cancelled = "KLV-90: " + Texts::Cancelled;

// Steps that tell one another apart on paper (step n has speed1 n), with a little of every cell;
// step 4 has both bit conditions, the widest line there is.
StepTable sampleTable(int count)
{
    QList<Step> steps(count);
    for (int i = 0; i < count; ++i) {
        const int bits = (i % 16) | (i == 3 ? 0x30 : (i % 3) << 4) | (i % 4) << 6;
        const int fields[] = {i / 2, 255 - i % 3, bits, i + 1,     i * 2, i,
                              200,   255,         9,    i % 7 + 1, i % 3};
        for (int f = 0; f < Step::FieldCount; ++f)
            steps[i].setField(f, qint16(fields[f]));
    }
    return StepTable(steps);
}

QByteArray pdftotext(const QString &pdf, int page, const char *mode)
{
    QProcess process;
    const QString n = QString::number(page);
    process.start(QStringLiteral("pdftotext"), {mode, "-f", n, "-l", n, pdf, "-"});
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
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

constexpr double PointsPerMm = 72 / 25.4;

// One page read back from pdftotext's word boxes, a text line per row of words. The separator
// (184 hyphens from column 1) gives the width of a column, and so the scale the list was printed
// at: 4.5 points a column at full size. A 9-point word is set at its column; a word off its column,
// of another size or width, or closer than margin points to an edge of the sheet reads "?word",
// and a row that is not 9 points below the one before comes after a line "?". The 14-point title
// is taken as it stands when it keeps the margin.
QStringList readBack(const QString &pdf, int page, double margin)
{
    QXmlStreamReader xml(pdftotext(pdf, page, "-bbox"));
    QList<Word> words;
    double origin = 0, scale = 1;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"word") {
            const auto at = [&](const char *name) {
                return xml.attributes().value(QLatin1String(name)).toDouble();
            };
            words.append({QString(), at("xMin"), at("yMin"), at("xMax"), at("yMax")});
            words.last().text = xml.readElementText();
            if (words.last().text.startsWith(QStringLiteral("----"))) {
                scale = (words.last().xMax - words.last().xMin) / (184 * 4.5);
                origin = words.last().xMin - 4.5 * scale;
            }
        }
    }
    std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) {
        return std::pair(a.yMin, a.xMin) < std::pair(b.yMin, b.xMin);
    });
    QStringList lines;
    double rowTop = -1, previousRow = -1;
    for (const Word &word : words) {
        const bool title = qAbs(word.yMax - word.yMin - 14 * scale) < 0.1;
        if (word.yMin != rowTop) {
            if (!title && previousRow >= 0 && qAbs(word.yMin - previousRow - 9 * scale) > 0.05)
                lines << QStringLiteral("?");
            lines << QString();
            rowTop = word.yMin;
            previousRow = title ? -1 : rowTop;
        }
        QString &line = lines.last();
        const bool inside = word.xMin >= margin && word.xMax <= 842 - margin &&
                            word.yMin >= margin && word.yMax <= 595 - margin;
        if (title) {
            line += inside ? word.text : u'?' + word.text;
            continue;
        }
        const double column = (word.xMin - origin) / (4.5 * scale);
        const bool placed =
            inside && qAbs(word.yMax - word.yMin - 9 * scale) < 0.1 &&
            qAbs(column - qRound(column)) < 0.01 &&
            qAbs(word.xMax - word.xMin - displayColumns(word.text) * 4.5 * scale) < 0.05;
        line += QString(std::max(0, qRound(column) - int(displayColumns(line))), u' ');
        line += placed ? word.text : u'?' + word.text;
    }
    return lines;
}

// The room between the words of a page and the edges of the sheet, in points.
QMarginsF inkMargins(const QString &pdf, int page)
{
    QXmlStreamReader xml(pdftotext(pdf, page, "-bbox"));
    QRectF ink;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"word") {
            const auto at = [&](const char *name) {
                return xml.attributes().value(QLatin1String(name)).toDouble();
            };
            ink |= QRectF(QPointF(at("xMin"), at("yMin")), QPointF(at("xMax"), at("yMax")));
        }
    }
    return {ink.left(), ink.top(), 842 - ink.right(), 595 - ink.bottom()};
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
    QString proposedPdf;            // the file "Print to File (PDF)" proposed
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
            auto *fileName = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
            proposedPdf = fileName->text();
            if (m_pdf.isEmpty())
                return click(buttons->button(QDialogButtonBox::Cancel));
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1);
            fileName->setText(m_pdf);
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

    // 印刷 clicked on a window holding table, opened from program when one is named; printing
    // leaves the table as it was.
    void clickPrint(const StepTable &table, const QString &program = {})
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (program.isEmpty())
            window.session()->model()->load(table.toList());
        else if (writeSettingsFile(program, table))
            window.session()->open(program, {});
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("printButton")),
                          Qt::LeftButton);
        QVERIFY(window.session()->table() == table);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils, tools/install-deps) reads the PDF output back");
    }
    void cleanup() { QFile::remove(pdfPath()); }

    // A4 landscape whatever the printer was set to; every page opens with its own header, and
    // reads back column for column, a full-width character two columns wide, at least 5 mm inside
    // every edge of the sheet and inside what the printer says it can print, centred on the sheet.
    // The widest line does not fit at 9 points within 5 mm, so the whole list is a little smaller.
    void pdfPages_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("pages");
        QTest::addColumn<double>("unprintableMm"); // the edge the printer cannot print on
        QTest::newRow("empty table: no document") << 0 << 0 << 0.0;
        QTest::newRow("5") << 5 << 1 << 0.0;
        QTest::newRow("55") << 55 << 1 << 0.0;
        QTest::newRow("56") << 56 << 2 << 0.0;
        QTest::newRow("128") << 128 << 3 << 0.0;
        QTest::newRow("128, the printer cannot print the outer 4 mm") << 128 << 3 << 4.0;
        QTest::newRow("128, the printer cannot print the outer 15 mm") << 128 << 3 << 15.0;
    }
    void pdfPages()
    {
        QFETCH(int, steps);
        QFETCH(int, pages);
        QFETCH(double, unprintableMm);
        const StepTable table = sampleTable(steps);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdfPath());
        if (unprintableMm > 0) {
            const QMarginsF edge(unprintableMm, unprintableMm, unprintableMm, unprintableMm);
            QVERIFY(
                printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                  edge, QPageLayout::Millimeter, edge)));
        } else {
            printer.setPageSize(QPageSize(QPageSize::Letter));
            printer.setPageOrientation(QPageLayout::Portrait);
        }
        QVERIFY(printParameterList(printer, table));
        QCOMPARE(QFile::exists(pdfPath()), pages > 0);
        QCOMPARE(pageCount(pdfPath()), pages);
        QCOMPARE(
            countInPdf(pdfPath(), QStringLiteral("/MediaBox \\[0 0 842(\\.0*)? 595(\\.0*)?\\]")),
            pages); // A4 landscape
        const QList<PrintPage> expected = parameterListPages(table);
        // Less a hundredth of a point, for the rounding of the PDF's coordinates.
        const double margin = std::max(5.0, unprintableMm) * PointsPerMm - 0.01;
        for (int p = 0; p < pages; ++p) {
            QStringList lines;
            for (const PrintLine &line : expected[p].mid(1)) {
                QString text = line.points == 14 ? line.text.trimmed() : line.text;
                text.replace(QChar(0x3000), QStringLiteral("  "));
                while (text.endsWith(u' '))
                    text.chop(1);
                lines << text;
            }
            QCOMPARE(readBack(pdfPath(), p + 1, margin), lines);
        }
        // The first page is a whole page of the list, centred on the sheet; the pages after it
        // keep its place.
        if (pages > 0) {
            const QMarginsF room = inkMargins(pdfPath(), 1);
            QCOMPARE(int(room.top() - room.bottom()) / 2, 0);
            QCOMPARE(int(room.left() - room.right()) / 2, 0);
        }
    }

    void pdfFailure_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::newRow("no such folder") << m_dir.filePath(QStringLiteral("gone/list.pdf"));
        QTest::newRow("disk full") << QStringLiteral("/dev/full");
    }
    void pdfFailure()
    {
        QFETCH(QString, pdf);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdf);
        QVERIFY(!printParameterList(printer, sampleTable(3)));
    }

    // Through 印刷 and the real dialog: its "Print to File (PDF)" entry, or Cancel.
    void printFromWindow_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("pages");
        QTest::newRow("56 steps to a new file") << 56 << false << false << QStringList{Notice} << 2;
        QTest::newRow("over an older file") // opened from site-a.zzr
            << 56 << false << true << QStringList{Notice} << 2;
        QTest::newRow("empty table") << 0 << false << false << QStringList{Notice} << 0;
        QTest::newRow("cancelled") << 56 << true << false << QStringList{Cancelled} << 0;
    }
    void printFromWindow()
    {
        QFETCH(int, steps);
        QFETCH(bool, cancel);
        QFETCH(bool, fileExists);
        QFETCH(QStringList, messages);
        QFETCH(int, pages);
        QFile older(pdfPath());
        QVERIFY(!fileExists || (older.open(QIODevice::WriteOnly) && older.write("older") == 5));
        older.close();
        PrintAnswerer answerer(cancel ? QString() : pdfPath());
        // "Print to File (PDF)" proposes the PDF named after the program, in its folder.
        const bool saved = QTest::currentDataTag() == QByteArrayLiteral("over an older file");
        clickPrint(sampleTable(steps), saved ? m_dir.filePath(QStringLiteral("site-a.zzr")) : "");
        QCOMPARE(answerer.proposedPdf, saved ? m_dir.filePath(QStringLiteral("site-a.pdf"))
                                             : QDir::home().filePath(QStringLiteral("KLV-90.pdf")));
        QCOMPARE(answerer.dialogs, 1);
        QVERIFY(answerer.landscapePreset);
        QCOMPARE(answerer.overwriteAsked, fileExists);
        QCOMPARE(answerer.messages, messages);
        QCOMPARE(pageCount(pdfPath()), pages);
    }

    // klv90-cli print, run with no display, writes the PDF the window writes through "Print to
    // File (PDF)": the same pages, every word in the same box.
    void cliPrintsAsTheWindow_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("one page") << 7;
        QTest::newRow("three pages") << 128;
    }
    void cliPrintsAsTheWindow()
    {
        QFETCH(int, steps);
        const StepTable table = sampleTable(steps);
        const QString program = m_dir.filePath(QStringLiteral("program.zzr"));
        const QString cliPdf = m_dir.filePath(QStringLiteral("cli.pdf"));
        QVERIFY(writeSettingsFile(program, table));
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(KLV90_CLI), {"print", program, "-o", cliPdf});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);

        PrintAnswerer answerer(pdfPath());
        clickPrint(table);
        QCOMPARE(answerer.messages, QStringList{Notice});

        const int pages = pageCount(pdfPath());
        QCOMPARE(pages, (steps + 54) / 55);
        QCOMPARE(pageCount(cliPdf), pages);
        // The word boxes of each page; the document's head carries its creation time.
        const QRegularExpression body(QStringLiteral("<doc>.*</doc>"),
                                      QRegularExpression::DotMatchesEverythingOption);
        for (int p = 1; p <= pages; ++p) {
            const QString window = QString::fromUtf8(pdftotext(pdfPath(), p, "-bbox"));
            const QString fromCli = QString::fromUtf8(pdftotext(cliPdf, p, "-bbox"));
            QVERIFY(window.contains(QStringLiteral("<word ")));
            QCOMPARE(body.match(fromCli).captured(), body.match(window).captured());
        }
    }

    // The folder chosen in the dialog is gone by the time the notice is closed, or the disk is
    // full: the job fails after the dialog.
    void printerFailsAfterDialog_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("folder removed") << false;
        QTest::newRow("disk full") << true;
    }
    void printerFailsAfterDialog()
    {
        QFETCH(bool, diskFull);
        QTemporaryDir folder;
        PrintAnswerer answerer(diskFull ? QStringLiteral("/dev/full")
                                        : folder.filePath(QStringLiteral("list.pdf")));
        answerer.onNotice = [&] { folder.remove(); };
        clickPrint(sampleTable(5));
        QCOMPARE(answerer.overwriteAsked, diskFull);
        QCOMPARE(answerer.messages, (QStringList{Notice, Cancelled}));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
