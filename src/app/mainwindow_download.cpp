// Downloading the step table to the controller, and what the window shows of it.
#include "mainwindow.h"

#include "downloadtexts.h"
#include "messagebox.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QApplication>

using namespace Klv;

void MainWindow::downloadClicked()
{
    m_ui->downloadButton->setEnabled(false);
    m_ui->portStatusText->setText(DownloadTexts::started());
    m_download->start();
}

void MainWindow::showPortPassedOver(int portNumber)
{
    m_ui->portStatusText->setText(DownloadTexts::portPassedOver(portNumber));
}

void MainWindow::showControllerFound()
{
    showLineState(true);
    m_ui->portStatusText->setText(DownloadTexts::controllerFound());
}

void MainWindow::showLineState(bool open)
{
    QLineEdit *state = m_ui->portStateText;
    QPalette pal = QApplication::palette();
    // "Open" stands on bright green, where the theme's text colour may be white: black on it
    // reads on any theme.
    pal.setColor(QPalette::Base, open ? QColor(0, 255, 0) : pal.color(QPalette::Button));
    pal.setColor(QPalette::Text, open ? QColor(Qt::black) : pal.color(QPalette::ButtonText));
    state->setPalette(pal);
    state->setText(open ? DownloadTexts::lineOpen() : DownloadTexts::lineClosed());
}

void MainWindow::showTransferStarted(int total)
{
    // The steps sent are a copy, but nothing that changes the table or opens a dialog on it runs
    // while they go out; the editor stays usable.
    showSending(true);
    m_ui->downloadProgress->setRange(0, total);
    m_ui->downloadProgress->setValue(0);
    m_ui->downloadProgress->setVisible(total > 0);
}

void MainWindow::showSending(bool sending)
{
    m_session->setSending(sending);
    for (QObject *control : std::as_const(m_greyedWhileSending)) {
        if (auto *widget = qobject_cast<QWidget *>(control))
            widget->setEnabled(!sending);
        else
            static_cast<QAction *>(control)->setEnabled(!sending);
    }
    if (!sending)
        m_ui->downloadProgress->hide();
}

void MainWindow::showDownloadEnded(SettingsDownload::Outcome outcome)
{
    showSending(false);
    m_ui->portStatusText->setText(DownloadTexts::ended(outcome));
    // Every end after the controller answered closes the line; the others never opened it.
    if (outcome != SettingsDownload::Outcome::AlreadyOpen &&
        outcome != SettingsDownload::Outcome::NotFound)
        showLineState(false);
    QString message = DownloadTexts::endMessage(outcome);
    if (outcome == SettingsDownload::Outcome::NotFound) {
        // The status box says no controller answered; a port the user may not open, or one
        // another program holds, may well be why, and the user can mend that.
        QList<DownloadTexts::UnopenedPort> ports;
        for (const SettingsDownload::UnopenedPort &port : m_download->unopenedPorts())
            ports << DownloadTexts::UnopenedPort{m_portMapping(port.portNumber), port.reason};
        message = DownloadTexts::unopenedPortsMessage(ports);
    }
    if (!message.isEmpty())
        showMessage(this, message);
    m_ui->downloadButton->setEnabled(true);
    openPendingFiles();
}
