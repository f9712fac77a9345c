#include "downloadprogress.h"

#include "console.h"
#include "program.h"
#include "settingsdownload.h"

using namespace Klv;

namespace {

constexpr int BarWidth = 40;

} // namespace

DownloadProgress::DownloadProgress(SettingsDownload &download, PortDescription portDescription,
                                   bool drawsBar, QObject *parent)
    : QObject(parent), m_portDescription(std::move(portDescription)), m_drawsBar(drawsBar)
{
    connect(&download, &SettingsDownload::portGreeted, this, &DownloadProgress::portGreeted);
    connect(&download, &SettingsDownload::controllerFound, this,
            &DownloadProgress::controllerFound);
    connect(&download, &SettingsDownload::transferStarted, this,
            &DownloadProgress::transferStarted);
    connect(&download, &SettingsDownload::stepsTaken, this, &DownloadProgress::stepTaken);
    connect(&download, &SettingsDownload::finished, this, &DownloadProgress::finished);
}

void DownloadProgress::portGreeted(const PortInfo &port)
{
    m_greetedPort = port.number;
    Console::writeErr(
        QStringLiteral("greeting the controller on %1\n").arg(describePort(port.number)));
}

void DownloadProgress::controllerFound(const PortInfo &port)
{
    Console::writeErr(QStringLiteral("controller found on %1\n").arg(describePort(port.number)));
}

void DownloadProgress::transferStarted(int total)
{
    m_total = total;
    m_taken = 0;
    m_transferring = true;
    Console::writeErr(QStringLiteral("sending %1\n").arg(stepsText(total)));
    if (m_drawsBar && total > 0)
        drawBar();
}

void DownloadProgress::stepTaken(int taken, int total)
{
    m_taken = taken;
    m_total = total;
    if (m_drawsBar)
        drawBar();
    else
        Console::writeErr(QStringLiteral("step %1 of %2 taken\n").arg(taken).arg(total));
}

void DownloadProgress::drawBar()
{
    const int filled = m_total > 0 ? m_taken * BarWidth / m_total : 0;
    Console::writeErr(QStringLiteral("\r[%1%2] %3/%4 steps")
                          .arg(QString(filled, u'#'), QString(BarWidth - filled, u'.'))
                          .arg(m_taken)
                          .arg(m_total));
    m_barShown = true;
}

void DownloadProgress::finished()
{
    m_transferring = false;
    // What follows the bar starts on a line of its own.
    if (m_barShown)
        Console::writeErr(QStringLiteral("\n"));
    m_barShown = false;
}
