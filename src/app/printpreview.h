#pragma once

#include "steptable.h"

#include <QPrinter>
#include <QString>

#include <memory>

class QPrintPreviewDialog;
class QWidget;

// The PDF file that "Print to File (PDF)" proposes for the program last loaded or saved as
// programFile: the program's own name ("site-a.pdf" for "site-a.zzr"), "KLV-90.pdf" for a
// program never saved.
QString pdfNameForProgram(const QString &programFile);

// Names the print job after the program, and has "Print to File (PDF)" propose
// pdfNameForProgram() beside the program file (in the home folder for a program never saved).
void nameAfterProgram(QPrinter &printer, const QString &programFile);

// A preview of the pages that 印刷 prints, as it prints them, on the system's default printer (A4
// landscape PDF output where there is none). Printing from it asks for the printer as 印刷 does
// and gives the same notice before the pages go out.
class PrintPreview
{
public:
    PrintPreview(const Klv::StepTable &table, const QString &programFile, QWidget *parent);
    ~PrintPreview();
    PrintPreview(const PrintPreview &) = delete;
    PrintPreview &operator=(const PrintPreview &) = delete;

    // Shows the preview, modal, until the user closes it or has printed from it.
    void exec();

private:
    void drawPages(QPrinter *printer);

    Klv::StepTable m_table;
    QPrinter m_printer{QPrinter::HighResolution};
    std::unique_ptr<QPrintPreviewDialog> m_dialog;
};
