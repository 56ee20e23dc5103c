#include "LineStatusBar.h"

#include "LineServer.h"
#include "MqttPublisher.h"
#include "MqttStatusLabel.h"
#include "SettingsFiles.h"

#include <QLabel>

LineStatusBar::LineStatusBar(MqttPublisher &publisher, LineServer &server, QWidget *parent)
    : QStatusBar(parent)
{
    const QString texts[5] = {QStringLiteral("통신포트"), QStringLiteral("통신포트 설정값"),
                              QStringLiteral("CLOSE"), QStringLiteral("메시지"),
                              QStringLiteral("프로토콜")};
    for (int i = 0; i < 5; ++i) {
        StatusBar1[i] = new QLabel(texts[i]);
        StatusBar1[i]->setObjectName(QStringLiteral("StatusBar1_%1").arg(i + 1));
        StatusBar1[i]->setFrameShape(QFrame::Panel);
        StatusBar1[i]->setFrameShadow(QFrame::Sunken);
        addWidget(StatusBar1[i], 1);
    }
    lblRemote = new QLabel;
    lblRemote->setObjectName(QStringLiteral("lblRemote"));
    lblRemote->setFrameShape(QFrame::Panel);
    lblRemote->setFrameShadow(QFrame::Sunken);
    addPermanentWidget(lblRemote);
    showRemoteCommands(server.commandsEnabled());
    connect(&server, &LineServer::commandsEnabledChanged, this, &LineStatusBar::showRemoteCommands);
    connect(&server, &LineServer::commandExecuted, this, &LineStatusBar::showMessage);
    // Without publishing no command can come: the panel is shown only while it is on.
    const auto showIfPublishing = [this](const MqttStatus &status) {
        lblRemote->setVisible(status.state != MqttState::Off);
    };
    showIfPublishing(publisher.status());
    connect(&publisher, &MqttPublisher::statusChanged, this, showIfPublishing);
    lblMqtt = new MqttStatusLabel(MqttStatusLabel::Form::Compact);
    lblMqtt->setObjectName(QStringLiteral("lblMqtt"));
    lblMqtt->setFrameShape(QFrame::Panel);
    lblMqtt->setFrameShadow(QFrame::Sunken);
    addPermanentWidget(lblMqtt);
    lblMqtt->showStatus(publisher.status());
    connect(&publisher, &MqttPublisher::statusChanged, lblMqtt, &MqttStatusLabel::showStatus);
    setSizeGripEnabled(false);
}

void LineStatusBar::showPort(const PortSettings &port)
{
    StatusBar1[0]->setText(port.PortName);
    StatusBar1[1]->setText(
        QStringList{port.BaudRate, port.ParityBit, port.DataBit, port.StopBit}.join(','));
    StatusBar1[4]->setText(port.Protocol);
}

void LineStatusBar::showPortOpen(bool open)
{
    StatusBar1[2]->setText(open ? QStringLiteral("OPEN") : QStringLiteral("CLOSE"));
}

void LineStatusBar::showRemoteCommands(bool enabled)
{
    lblRemote->setText(enabled ? QStringLiteral("원격 조작 허용")
                               : QStringLiteral("원격 조작 꺼짐"));
    lblRemote->setStyleSheet(enabled ? QStringLiteral("color: rgb(192, 0, 0); font-weight: bold;")
                                     : QString());
}

void LineStatusBar::showMessage(const QString &text)
{
    StatusBar1[3]->setText(text);
    StatusBar1[3]->setToolTip(text);
}
