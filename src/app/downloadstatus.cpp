#include "downloadstatus.h"

#include "downloadtexts.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>

using namespace Klv;

DownloadStatusLine::DownloadStatusLine(SettingsDownload *download, QLineEdit *portStatus,
                                       QLineEdit *portState, QProgressBar *progress)
    : QObject(download), m_download(download), m_portStatus(portStatus), m_portState(portState),
      m_progress(progress)
{
    m_portStatus->setText(DownloadTexts::portClosed());
    showLineState(false);
    const auto passedOver = [this](const PortInfo &port) {
        m_portStatus->setText(DownloadTexts::portPassedOver(port, m_download->portAfter(port)));
    };
    connect(download, &SettingsDownload::portUnavailable, this, passedOver);
    connect(download, &SettingsDownload::greetingUnanswered, this, passedOver);
    connect(download, &SettingsDownload::controllerFound, this, [this] {
        showLineState(true);
        m_portStatus->setText(DownloadTexts::controllerFound());
    });
    connect(download, &SettingsDownload::transferStarted, this, [this](int total) {
        m_progress->setRange(0, total);
        m_progress->setValue(0);
        m_progress->setVisible(total > 0);
    });
    connect(download, &SettingsDownload::stepsTaken, m_progress, &QProgressBar::setValue);
    connect(download, &SettingsDownload::finished, this, &DownloadStatusLine::showEnd);
}

void DownloadStatusLine::showLineState(bool open)
{
    QPalette pal = QApplication::palette();
    // "Open" stands on bright green, where the theme's text colour may be white: black on it
    // reads on any theme.
    pal.setColor(QPalette::Base, open ? QColor(0, 255, 0) : pal.color(QPalette::Button));
    pal.setColor(QPalette::Text, open ? QColor(Qt::black) : pal.color(QPalette::ButtonText));
    m_portState->setPalette(pal);
    m_portState->setText(open ? DownloadTexts::lineOpen() : DownloadTexts::lineClosed());
}

void DownloadStatusLine::showEnd(SettingsDownload::Outcome outcome)
{
    m_progress->hide();
    m_portStatus->setText(DownloadTexts::ended(outcome));
    // Every end after the controller answered closes the line; the others never opened it.
    if (outcome != SettingsDownload::Outcome::AlreadyOpen &&
        outcome != SettingsDownload::Outcome::NotFound)
        showLineState(false);
}

QString DownloadStatusLine::endMessage(SettingsDownload::Outcome outcome) const
{
    // The status box says no controller answered; a port the user may not open, or one another
    // program holds, may well be why, and the user can mend that.
    if (outcome == SettingsDownload::Outcome::NotFound)
        return DownloadTexts::unopenedPortsMessage(m_download->unopenedPorts());
    return DownloadTexts::endMessage(outcome, m_download->takenCount(), m_download->stepCount());
}
