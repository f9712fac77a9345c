// Downloading the step table to the controller; the status line shows its progress.
#include "mainwindow.h"

#include "downloadstatus.h"
#include "downloadtexts.h"
#include "messagebox.h"
#include "ui_mainwindow.h"

#include <QAction>

using namespace Klv;

void MainWindow::downloadClicked()
{
    m_ui->downloadButton->setEnabled(false);
    m_ui->portStatusText->setText(DownloadTexts::started());
    m_download->start();
}

void MainWindow::showSending(bool sending)
{
    // The steps sent are a copy, but nothing that changes the table or opens a dialog on it runs
    // while they go out; the editor stays usable.
    m_session->setSending(sending);
    for (QObject *control : std::as_const(m_greyedWhileSending)) {
        if (auto *widget = qobject_cast<QWidget *>(control))
            widget->setEnabled(!sending);
        else
            static_cast<QAction *>(control)->setEnabled(!sending);
    }
}

void MainWindow::showDownloadEnded(SettingsDownload::Outcome outcome)
{
    showSending(false);
    const QString message = m_downloadStatus->endMessage(outcome);
    if (!message.isEmpty())
        showMessage(this, message);
    m_ui->downloadButton->setEnabled(true);
    openPendingFiles();
}
