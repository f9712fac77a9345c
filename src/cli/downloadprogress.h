#pragma once

#include "portinfo.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace Klv {
class DownloadBatch;
}

// Reports a download on stderr. One device: where the controller is looked for and found, then
// the steps taken, as a redrawn bar on a terminal and as one line per step otherwise (a log, a
// pipe). Several: the same lines, each after the device's name, or on a terminal one line per
// device, redrawn in place.
class DownloadProgress : public QObject
{
    Q_OBJECT
public:
    enum class Style {
        Lines, // a line per event
        Bar,   // one device on a terminal: its steps as a bar redrawn on one line
        Board, // several devices on a terminal: a line each, redrawn
    };

    // labels name the batch's devices; an empty one is a search, named by the port it greets.
    // With one device the lines have no name before them.
    DownloadProgress(Klv::DownloadBatch &batch, QStringList labels, Style style,
                     QObject *parent = nullptr);

    Style style() const { return m_style; }
    // The device's download ended with text: on the board its line says so.
    void showEnd(int device, const QString &text);
    // Nothing more is drawn: what follows starts on a line of its own.
    void finish();

private:
    void portGreeted(int device, const Klv::PortInfo &port);
    void controllerFound(int device, const Klv::PortInfo &port);
    void transferStarted(int device, int total);
    void stepsTaken(int device, int taken, int total);

    QString nameOf(int device, const Klv::PortInfo &port) const;
    // A line for the device: after its name when there are several.
    void writeLine(int device, const QString &text);
    void drawBar(int device, int barWidth);
    void drawRow(int device, const QString &text);

    Klv::DownloadBatch &m_batch;
    QStringList m_labels;
    Style m_style;
    bool m_barShown = false;
    QList<int> m_rows; // the board's devices, top to bottom
    QList<int> m_taken;
    QList<int> m_total;
};
