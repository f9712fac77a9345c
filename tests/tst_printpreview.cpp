// The print preview on its own, on a parent widget: the pages it shows and where the list stands on
// them, then printing from it to the PDF it proposes, the dialogs answered as a technician would.
#include "printlist.h"
#include "printpreview.h"
#include "settingsfiletesting.h"
#include "testtexts.h"

#include <QAbstractButton>
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
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Klv;

namespace {

// The words of a page with their boxes; the document's head, with its creation time, left out.
QString wordBoxes(const QString &pdf, int page)
{
    QProcess process;
    const QString n = QString::number(page);
    process.start(QStringLiteral("pdftotext"), {"-bbox", "-f", n, "-l", n, pdf, "-"});
    process.waitForFinished(60000);
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    return text.mid(text.indexOf(QStringLiteral("<doc>")));
}

// The room, in points of the sheet, around the ink of the first page that image shows: white
// sheets on grey, the first at the top; its edges are found along its blank margins.
QMarginsF inkMargins(const QImage &image)
{
    const auto white = [&](QPoint p) { return image.valid(p) && image.pixel(p) == 0xFFFFFFFF; };
    QPoint corner(0, 0), end;
    while (corner.y() < image.height() && !white(corner))
        corner = corner.x() + 1 < image.width() ? corner + QPoint(1, 0) : QPoint(0, corner.y() + 1);
    for (end = corner; white(end + QPoint(1, 0));)
        end.rx()++;
    while (white(QPoint(corner.x(), end.y() + 1)))
        end.ry()++;
    const QRect sheet(corner, end);
    QRect ink;
    for (int y = sheet.top(); y <= sheet.bottom(); ++y) {
        for (int x = sheet.left(); x <= sheet.right(); ++x)
            ink |= qGray(image.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
    }
    return QMarginsF(ink.left() - sheet.left(), ink.top() - sheet.top(),
                     sheet.right() - ink.right(), sheet.bottom() - ink.bottom()) *
           (842.0 / sheet.width());
}

// Notes the pages the preview shows and presses its Print; in the printer dialog takes "Print to
// File (PDF)" and the file it proposes; closes the notice with OK.
class PreviewAnswerer : public QObject
{
public:
    PreviewAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &PreviewAnswerer::answer);
        m_timer.start(10);
    }

    int pagesShown = -1;
    QMarginsF room;
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
        QAbstractButton *ok = nullptr;
        if (auto *preview = qobject_cast<QPrintPreviewDialog *>(modal)) {
            auto *pages = preview->findChild<QPrintPreviewWidget *>();
            pagesShown = pages->pageCount();
            room = inkMargins(pages->grab().toImage());
            for (QAction *action : preview->findChildren<QAction *>()) {
                if (action->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                    QTimer::singleShot(0, action, &QAction::trigger);
            }
        } else if (auto *dialog = qobject_cast<QPrintDialog *>(modal)) {
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->count() - 1);
            proposedPdf = dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->text();
            ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            messages << box->windowTitle() + QStringLiteral(": ") + box->text();
            ok = box->button(QMessageBox::Ok);
        }
        if (ok) // queued: the button opens what this timer answers next
            QTimer::singleShot(0, ok, &QAbstractButton::click);
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
    // A program never saved proposes its PDF in the home folder, this test's folder here.
    void initTestCase() { qputenv("HOME", QFile::encodeName(m_dir.path())); }

    // The pages 印刷 prints, shown with the list centred on the sheet; printed from the preview
    // after the notice to the PDF named after the program, they are 印刷's pages word for word.
    void previewAndPrint_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("pdf");
        QTest::newRow("5 steps of site-a.zzr") << 5 << "site-a.zzr"
                                               << "site-a.pdf";
        QTest::newRow("56 steps never saved") << 56 << ""
                                              << "KLV-90.pdf";
    }
    void previewAndPrint()
    {
        QFETCH(int, steps);
        QFETCH(QString, program);
        QFETCH(QString, pdf);
        const StepTable table(stepsFor(steps));
        QWidget parent;
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        PreviewAnswerer answerer;
        PrintPreview(table, program.isEmpty() ? program : m_dir.filePath(program), &parent).exec();

        const int pages = (steps + 54) / 55;
        QCOMPARE(answerer.pagesShown, pages);
        const QMarginsF room = answerer.room;
        QCOMPARE(int(room.top() - room.bottom()) / 6, 0); // centred, within a few points
        QCOMPARE(int(room.left() - room.right()) / 6, 0);
        QCOMPARE(answerer.proposedPdf, m_dir.filePath(pdf));
        QCOMPARE(answerer.messages, QStringList{"KLV-90: " + Texts::PrintNotice});
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("reference.pdf")));
        QVERIFY(printParameterList(printer, table));
        for (int p = 1; p <= pages + 1; ++p)
            QCOMPARE(wordBoxes(m_dir.filePath(pdf), p), wordBoxes(printer.outputFileName(), p));
        QVERIFY(wordBoxes(m_dir.filePath(pdf), pages).contains(QStringLiteral("PAGE")));
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
