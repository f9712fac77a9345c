// The print preview on its own, on a parent widget: the pages it shows and where the list stands on
// them, and printing from it to a PDF file through the printer dialog and the notice, answered as
// a technician answers them.
#include "printlist.h"
#include "printpreview.h"
#include "settingsfiletesting.h"
#include "testtexts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Klv;

namespace {

QString pdftotextBoxes(const QString &pdf, int page)
{
    QProcess process;
    const QString n = QString::number(page);
    process.start(QStringLiteral("pdftotext"), {"-bbox", "-f", n, "-l", n, pdf, "-"});
    process.waitForFinished(60000);
    // The document's head carries its title and creation time; the words are in its body.
    static const QRegularExpression body(QStringLiteral("<doc>.*</doc>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    return body.match(QString::fromUtf8(process.readAllStandardOutput())).captured();
}

int pageCount(const QString &pdf)
{
    return int(QString::fromLatin1(readAll(pdf))
                   .count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"))));
}

// The room around the inked part of the first page that image shows (white sheets, framed, on the
// preview's grey, the first at the top), in points of an A4 landscape sheet.
QMarginsF inkMargins(const QImage &image)
{
    const auto white = [&](int x, int y) {
        return image.valid(x, y) && image.pixel(x, y) == qRgb(255, 255, 255);
    };
    // The sheet's top-left corner, then its edges along the blank margins from there.
    QPoint corner(-1, -1);
    for (int y = 0; y < image.height() && corner.x() < 0; ++y) {
        for (int x = 0; x < image.width() && corner.x() < 0; ++x) {
            if (white(x, y))
                corner = {x, y};
        }
    }
    QPoint end = corner;
    while (white(end.x() + 1, corner.y()))
        end.rx()++;
    while (white(corner.x(), end.y() + 1))
        end.ry()++;
    const QRect sheet(corner, end);
    QRect ink;
    for (int y = sheet.top(); y <= sheet.bottom(); ++y) {
        for (int x = sheet.left(); x <= sheet.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
        }
    }
    const double points = 842.0 / sheet.width();
    return QMarginsF(ink.left() - sheet.left(), ink.top() - sheet.top(),
                     sheet.right() - ink.right(), sheet.bottom() - ink.bottom()) *
           points;
}

// Answers the preview and the dialogs over it: notes the pages the preview shows and where the
// list stands on the first, presses its Print, takes the file that the printer dialog's "Print
// to File (PDF)" proposes, and closes the notice with OK.
class PreviewAnswerer : public QObject
{
public:
    PreviewAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &PreviewAnswerer::answer);
        m_timer.start(10);
    }

    int pagesShown = -1;
    QMarginsF shownMargins;
    QString proposedPdf;
    QStringList messages;

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        m_answered.removeAll(nullptr);
        if (!modal || !modal->isVisible() || m_answered.contains(modal))
            return;
        m_answered.append(modal);
        if (auto *preview = qobject_cast<QPrintPreviewDialog *>(modal)) {
            auto *pages = preview->findChild<QPrintPreviewWidget *>();
            pagesShown = pages->pageCount();
            shownMargins = inkMargins(pages->grab().toImage());
            for (QAction *action : preview->findChildren<QAction *>()) {
                if (action->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                    QTimer::singleShot(0, action, &QAction::trigger);
            }
        } else if (auto *dialog = qobject_cast<QPrintDialog *>(modal)) {
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1);
            proposedPdf = dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->text();
            QTimer::singleShot(
                0, dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                &QAbstractButton::click);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            messages << box->windowTitle() + QStringLiteral(": ") + box->text();
            QTimer::singleShot(0, box->button(QMessageBox::Ok), &QAbstractButton::click);
        }
    }

    QTimer m_timer;
    QList<QPointer<QWidget>> m_answered;
};

} // namespace

class TestPrintPreview : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A program never saved proposes its PDF in the home folder.
        qputenv("HOME", QFile::encodeName(m_dir.path()));
    }

    void pdfName_data()
    {
        QTest::addColumn<QString>("programFile");
        QTest::addColumn<QString>("pdf");
        QTest::newRow("saved") << "/srv/programs/site-a.zzr"
                               << "site-a.pdf";
        QTest::newRow("a name with dots") << "line.2.zzr"
                                          << "line.2.pdf";
        QTest::newRow("never saved") << ""
                                     << "KLV-90.pdf";
    }
    void pdfName()
    {
        QFETCH(QString, programFile);
        QFETCH(QString, pdf);
        QCOMPARE(pdfNameForProgram(programFile), pdf);
    }

    // The pages 印刷 prints, shown with the list centred on the sheet; printed from the preview
    // after the notice, to the PDF named after the program, they are 印刷's pages word for word.
    void previewAndPrint_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("programFile"); // in the test's folder
        QTest::addColumn<QString>("pdf");
        QTest::newRow("5 steps of site-a.zzr") << 5 << "site-a.zzr"
                                               << "site-a.pdf";
        QTest::newRow("56 steps never saved") << 56 << ""
                                              << "KLV-90.pdf";
    }
    void previewAndPrint()
    {
        QFETCH(int, steps);
        QFETCH(QString, programFile);
        QFETCH(QString, pdf);
        const StepTable table(stepsFor(steps));
        QWidget parent;
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        PreviewAnswerer answerer;
        PrintPreview(table, programFile.isEmpty() ? QString() : m_dir.filePath(programFile),
                     &parent)
            .exec();

        const int pages = (steps + 54) / 55;
        QCOMPARE(answerer.pagesShown, pages);
        const QMarginsF room = answerer.shownMargins;
        QVERIFY2(qAbs(room.top() - room.bottom()) < 6 && qAbs(room.left() - room.right()) < 6,
                 qPrintable(QStringLiteral("%1, %2, %3 and %4 pt from the left, top, right and "
                                           "bottom edges")
                                .arg(room.left())
                                .arg(room.top())
                                .arg(room.right())
                                .arg(room.bottom())));
        QCOMPARE(answerer.proposedPdf, m_dir.filePath(pdf));
        QCOMPARE(answerer.messages, QStringList{"KLV-90: " + Texts::PrintNotice});

        const QString printed = m_dir.filePath(pdf);
        const QString reference = m_dir.filePath(QStringLiteral("reference.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(reference);
        QVERIFY(printParameterList(printer, table));
        QCOMPARE(pageCount(printed), pages);
        for (int p = 1; p <= pages; ++p) {
            QVERIFY(pdftotextBoxes(reference, p).contains(QStringLiteral("<word ")));
            QCOMPARE(pdftotextBoxes(printed, p), pdftotextBoxes(reference, p));
        }
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
