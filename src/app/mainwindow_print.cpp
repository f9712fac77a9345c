// Printing the parameter list.
#include "mainwindow.h"

#include "messagebox.h"
#include "printlist.h"
#include "printpreview.h"

#include <QPrintDialog>
#include <QPrinter>

using namespace Klv;

void MainWindow::printClicked()
{
    const QString cancelled = QStringLiteral("キャンセルが選択されました。");
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    nameAfterProgram(printer, m_session->file());
    QPrintDialog dialog(&printer, this);
    // The whole list is always printed, so page ranges are not offered.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted) {
        showMessage(this, cancelled);
        return;
    }
    showMessage(this, QStringLiteral("設定した内容で印刷します"));
    if (!printParameterList(printer, m_session->table()))
        showMessage(this, cancelled);
}
