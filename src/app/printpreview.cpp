#include "printpreview.h"

#include "messagebox.h"
#include "printlist.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPrintPreviewDialog>

using namespace Klv;

QString pdfNameForProgram(const QString &programFile)
{
    const QString name = programFile.isEmpty() ? QStringLiteral("KLV-90")
                                               : QFileInfo(programFile).completeBaseName();
    return name + QStringLiteral(".pdf");
}

void nameAfterProgram(QPrinter &printer, const QString &programFile)
{
    const QString pdfName = pdfNameForProgram(programFile);
    printer.setDocName(QFileInfo(pdfName).completeBaseName());
    const QString folder =
        programFile.isEmpty() ? QDir::homePath() : QFileInfo(programFile).absolutePath();
    const QString proposed = QDir(folder).filePath(pdfName);
#ifdef Q_OS_WIN
    // Windows' own print dialog has no "Print to File (PDF)", and a printer given a file name
    // prints into that file: only PDF output, where there is no printer, takes the name.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setOutputFileName(proposed);
#else
    // Qt's print dialog proposes the printer's file for "Print to File (PDF)". A file name makes
    // the printer a PDF writer, so the default printer is taken back, which the dialog then
    // preselects; where there is none the printer stays PDF.
    const bool toPrinter = printer.outputFormat() == QPrinter::NativeFormat;
    printer.setOutputFileName(proposed);
    if (toPrinter)
        printer.setOutputFormat(QPrinter::NativeFormat);
#endif
}

PrintPreview::PrintPreview(const StepTable &table, const QString &programFile, QWidget *parent)
    : m_table(table)
{
    m_printer.setPageSize(QPageSize(QPageSize::A4));
    m_printer.setPageOrientation(QPageLayout::Landscape);
    nameAfterProgram(m_printer, programFile);
    m_dialog = std::make_unique<QPrintPreviewDialog>(&m_printer, parent);
    m_dialog->setObjectName(QStringLiteral("printPreview"));
    QObject::connect(m_dialog.get(), &QPrintPreviewDialog::paintRequested, m_dialog.get(),
                     [this](QPrinter *printer) { drawPages(printer); });
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::exec()
{
    m_dialog->exec();
}

void PrintPreview::drawPages(QPrinter *printer)
{
    // The preview draws into pictures; printing from it draws on the printer's own engine,
    // after the dialog that chose the printer.
    if (printer->paintEngine()->type() == QPaintEngine::Picture) {
        printParameterList(*printer, m_table);
        return;
    }
    showMessage(m_dialog.get(), QStringLiteral("設定した内容で印刷します"));
    if (!printParameterList(*printer, m_table))
        showMessage(m_dialog.get(), QStringLiteral("キャンセルが選択されました。"));
}
