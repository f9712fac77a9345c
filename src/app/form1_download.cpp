// Downloading the step table to the controller.
#include "form1.h"

#include "messagebox.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

void Form1::startDownload()
{
    m_downloadButton->setEnabled(false);
    m_portStatus->clear();
    m_download->start();
}

void Form1::showLineState(bool open)
{
    QPalette pal = m_portState->palette();
    pal.setColor(QPalette::Base,
                 open ? QColor(0, 255, 0) : QApplication::palette().color(QPalette::Button));
    m_portState->setPalette(pal);
    m_portState->setText(open ? QStringLiteral("Open") : QStringLiteral("Close"));
}

void Form1::transferStarted(int total)
{
    // The steps sent are a copy, but nothing that changes the table or opens a dialog on it runs
    // while they go out; the editor stays usable.
    for (std::size_t i = 0; i < m_lockedDuringTransfer.size(); ++i) {
        m_enabledBeforeTransfer[i] = m_lockedDuringTransfer[i]->isEnabled();
        m_lockedDuringTransfer[i]->setEnabled(false);
    }
    m_lockedForTransfer = true;
    m_downloadProgress->setRange(0, total);
    m_downloadProgress->setValue(0);
    m_downloadProgress->setVisible(total > 0);
}

void Form1::showStepsTaken(int taken)
{
    m_downloadProgress->setValue(taken);
}

void Form1::downloadEnded(SettingsDownload::Outcome outcome)
{
    if (m_lockedForTransfer) {
        m_lockedForTransfer = false;
        m_downloadProgress->hide();
        for (std::size_t i = 0; i < m_lockedDuringTransfer.size(); ++i)
            m_lockedDuringTransfer[i]->setEnabled(m_enabledBeforeTransfer[i]);
    }
    const QString failed = QStringLiteral("設定に失敗しました。\n");
    switch (outcome) {
    case SettingsDownload::Outcome::Completed:
        showMessage(this, QStringLiteral("設定終了しました。"));
        break;
    case SettingsDownload::Outcome::NoReply:
        showMessage(this, failed + QStringLiteral("KLV-90が応答しません。"));
        break;
    case SettingsDownload::Outcome::Refused:
        showMessage(this, failed + QStringLiteral("KLV-90がデータを%1回受け付けませんでした。")
                                       .arg(SettingsDownload::MaxSends));
        break;
    case SettingsDownload::Outcome::AlreadyOpen:
    case SettingsDownload::Outcome::NotFound:
        break;
    }
    m_downloadButton->setEnabled(true);
}
