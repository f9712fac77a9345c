#pragma once

#include "settingsdownload.h"

#include <QObject>

class QLineEdit;
class QProgressBar;

// The status line of the download on the window: the port status box, the port state box
// ("Open" on green, "Close") and the bar of the steps taken, following the download's events.
class DownloadStatusLine : public QObject
{
    Q_OBJECT
public:
    DownloadStatusLine(Klv::SettingsDownload *download, QLineEdit *portStatus, QLineEdit *portState,
                       QProgressBar *progress);

    // The message box at the end of a download; empty when the status box tells it all.
    QString endMessage(Klv::SettingsDownload::Outcome outcome) const;

private:
    void showLineState(bool open);
    void showEnd(Klv::SettingsDownload::Outcome outcome);

    Klv::SettingsDownload *m_download;
    QLineEdit *m_portStatus;
    QLineEdit *m_portState;
    QProgressBar *m_progress;
};
