// Downloading the step table to the controller, and what the window shows of it.
#include "mainwindow.h"

#include "downloadtexts.h"
#include "messagebox.h"
#include "ui_mainwindow.h"

#include <QApplication>

using namespace Klv;

void MainWindow::downloadClicked()
{
    m_ui->downloadButton->setEnabled(false);
    m_ui->portStatusText->setText(DownloadTexts::started());
    m_download->start();
}

void MainWindow::showPortPassedOver(const PortInfo &port)
{
    m_ui->portStatusText->setText(DownloadTexts::portPassedOver(port, m_download->portAfter(port)));
}

void MainWindow::showControllerFound()
{
    showLineState(true);
    m_ui->portStatusText->setText(DownloadTexts::controllerFound());
}

void MainWindow::showLineState(bool open)
{
    QLineEdit *state = m_ui->portStateText;
    QPalette pal = state->palette();
    pal.setColor(QPalette::Base,
                 open ? QColor(0, 255, 0) : QApplication::palette().color(QPalette::Button));
    state->setPalette(pal);
    state->setText(open ? DownloadTexts::lineOpen() : DownloadTexts::lineClosed());
}

void MainWindow::showTransferStarted(int total)
{
    // The steps sent are a copy, but nothing that changes the table or opens a dialog on it runs
    // while they go out; the editor stays usable.
    lockForTransfer(true);
    m_ui->downloadProgress->setRange(0, total);
    m_ui->downloadProgress->setValue(0);
    m_ui->downloadProgress->setVisible(total > 0);
}

void MainWindow::showStepsTaken(int taken)
{
    m_ui->downloadProgress->setValue(taken);
}

void MainWindow::lockForTransfer(bool locked)
{
    if (locked == m_lockedForTransfer)
        return;
    m_lockedForTransfer = locked;
    for (std::size_t i = 0; i < m_lockedDuringTransfer.size(); ++i) {
        if (locked)
            m_enabledBeforeTransfer[i] = m_lockedDuringTransfer[i]->isEnabled();
        m_lockedDuringTransfer[i]->setEnabled(!locked && m_enabledBeforeTransfer[i]);
    }
    updateUndoActions();
    if (!locked)
        m_ui->downloadProgress->hide();
}

void MainWindow::showDownloadEnded(SettingsDownload::Outcome outcome)
{
    lockForTransfer(false);
    m_ui->portStatusText->setText(DownloadTexts::ended(outcome));
    // Every end after the controller answered closes the line; the others never opened it.
    if (outcome != SettingsDownload::Outcome::AlreadyOpen &&
        outcome != SettingsDownload::Outcome::NotFound)
        showLineState(false);
    QString message =
        DownloadTexts::endMessage(outcome, m_download->takenCount(), m_download->stepCount());
    // The status box says no controller answered; a port the user may not open, or one another
    // program holds, may well be why, and the user can mend that.
    if (outcome == SettingsDownload::Outcome::NotFound)
        message = DownloadTexts::unopenedPortsMessage(m_download->unopenedPorts());
    if (!message.isEmpty())
        showMessage(this, message);
    m_ui->downloadButton->setEnabled(true);
    openPendingFiles();
}
