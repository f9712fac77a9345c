// Downloading the step table to the controller.
#include "form1.h"

#include "messagebox.h"
#include "platformseriallink.h"
#include "seriallink.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void Form1::setUpDownload()
{
    MSComm1 = createPlatformSerialLink(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
    m_download = new SettingsDownload(*MSComm1, m_portMapping, m_table, *Timer2, this);
    connect(Timer2, &QTimer::timeout, this, &Form1::timer2Tick);
    connect(m_download, &SettingsDownload::statusChanged, Text8, &QLineEdit::setText);
    connect(m_download, &SettingsDownload::lineChanged, this, &Form1::showLineState);
    connect(m_download, &SettingsDownload::finished, this, &Form1::downloadEnded);
}

void Form1::download()
{
    Command2->setEnabled(false);
    Text8->clear();
    m_download->start();
}

void Form1::timer2Tick()
{
    m_download->raiseReplyTimeout();
}

void Form1::showLineState(bool open)
{
    QPalette pal = Text9->palette();
    pal.setColor(QPalette::Base,
                 open ? QColor(0, 255, 0) : QApplication::palette().color(QPalette::Button));
    Text9->setPalette(pal);
    Text9->setText(open ? QStringLiteral("Open") : QStringLiteral("Close"));
}

void Form1::downloadEnded(SettingsDownload::Outcome outcome)
{
    if (outcome == SettingsDownload::Outcome::Completed)
        ShowMessage(this, QStringLiteral("設定終了しました。"));
    else if (outcome == SettingsDownload::Outcome::NoReply ||
             outcome == SettingsDownload::Outcome::Refused)
        ShowMessage(this, QStringLiteral("設定に失敗しました。"));
    Command2->setEnabled(true);
}
