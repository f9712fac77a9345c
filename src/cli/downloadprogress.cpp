#include "downloadprogress.h"

#include "console.h"
#include "downloadbatch.h"
#include "downloadreport.h"
#include "program.h"

using namespace Klv;

namespace {

constexpr int BarWidth = 40;
constexpr int BoardBarWidth = 20; // leaves room for the device's name on the line

} // namespace

DownloadProgress::DownloadProgress(DownloadBatch &batch, QStringList labels, Style style,
                                   QObject *parent)
    : QObject(parent), m_batch(batch), m_labels(std::move(labels)), m_style(style),
      m_taken(batch.count(), 0), m_total(batch.count(), 0)
{
    connect(&batch, &DownloadBatch::portGreeted, this, &DownloadProgress::portGreeted);
    connect(&batch, &DownloadBatch::controllerFound, this, &DownloadProgress::controllerFound);
    connect(&batch, &DownloadBatch::transferStarted, this, &DownloadProgress::transferStarted);
    connect(&batch, &DownloadBatch::stepsTaken, this, &DownloadProgress::stepsTaken);
}

QString DownloadProgress::nameOf(int device, const PortInfo &port) const
{
    const QString label = m_labels.value(device);
    return label.isEmpty() ? describePort(port) : label;
}

void DownloadProgress::writeLine(int device, const QString &text)
{
    if (m_batch.count() == 1)
        Console::writeErr(text + u'\n');
    else
        Console::writeErr(m_labels.value(device) + QStringLiteral(": ") + text + u'\n');
}

void DownloadProgress::portGreeted(int device, const PortInfo &port)
{
    // A port greeted only to see whether a controller is there is no device until it answers.
    if (m_batch.target(device).isProbe)
        return;
    if (m_style == Style::Board)
        drawRow(device, QStringLiteral("greeting the controller"));
    else if (m_batch.count() == 1)
        writeLine(device,
                  QStringLiteral("greeting the controller on %1").arg(nameOf(device, port)));
    else
        writeLine(device, QStringLiteral("greeting the controller"));
}

void DownloadProgress::controllerFound(int device, const PortInfo &port)
{
    if (m_style == Style::Board)
        drawRow(device, QStringLiteral("controller found"));
    else if (m_batch.count() == 1)
        writeLine(device, QStringLiteral("controller found on %1").arg(nameOf(device, port)));
    else
        writeLine(device, QStringLiteral("controller found"));
}

void DownloadProgress::transferStarted(int device, int total)
{
    m_total[device] = total;
    m_taken[device] = 0;
    if (m_style == Style::Board)
        return drawBar(device, BoardBarWidth);
    writeLine(device, QStringLiteral("sending %1").arg(stepsText(total)));
    if (m_style == Style::Bar && total > 0)
        drawBar(device, BarWidth);
}

void DownloadProgress::stepsTaken(int device, int taken, int total)
{
    m_taken[device] = taken;
    m_total[device] = total;
    switch (m_style) {
    case Style::Lines:
        return writeLine(device, QStringLiteral("step %1 of %2 taken").arg(taken).arg(total));
    case Style::Bar:
        return drawBar(device, BarWidth);
    case Style::Board:
        return drawBar(device, BoardBarWidth);
    }
}

void DownloadProgress::drawBar(int device, int barWidth)
{
    const int taken = m_taken[device];
    const int total = m_total[device];
    const int filled = total > 0 ? taken * barWidth / total : 0;
    const QString bar = QStringLiteral("[%1%2] %3/%4 steps")
                            .arg(QString(filled, u'#'), QString(barWidth - filled, u'.'))
                            .arg(taken)
                            .arg(total);
    if (m_style == Style::Board)
        return drawRow(device, bar);
    Console::writeErr(u'\r' + bar);
    m_barShown = true;
}

void DownloadProgress::drawRow(int device, const QString &text)
{
    const QString line = m_labels.value(device) + QStringLiteral(": ") + text;
    qsizetype row = m_rows.indexOf(device);
    if (row < 0) {
        // A new device's line goes below the others; the cursor stays under the board.
        m_rows << device;
        Console::writeErr(line + u'\n');
        return;
    }
    const qsizetype up = m_rows.size() - row;
    Console::writeErr(QStringLiteral("\x1b[%1A\r\x1b[2K%2\x1b[%1B\r").arg(up).arg(line));
}

void DownloadProgress::showEnd(int device, const QString &text)
{
    if (m_style == Style::Board && m_batch.result(device).isDevice)
        drawRow(device, text);
}

void DownloadProgress::finish()
{
    if (m_barShown)
        Console::writeErr(QStringLiteral("\n"));
    m_barShown = false;
}
