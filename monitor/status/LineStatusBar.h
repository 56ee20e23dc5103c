#pragma once

#include <QStatusBar>
#include <array>

class LineServer;
class MqttPublisher;
class MqttStatusLabel;
class QLabel;
struct PortSettings;

/// The main window's status bar: the port, its settings, open or closed, a message panel and the
/// protocol, with the broker's state at the right end.
class LineStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    /// Shows the broker's state, whether the line's server carries out remote commands and the
    /// last one it carried out.
    LineStatusBar(MqttPublisher &publisher, LineServer &server, QWidget *parent);

    void showPort(const PortSettings &port);
    void showPortOpen(bool open);
    /// Whether commands from the network are carried out now.
    void showRemoteCommands(bool enabled);
    /// A text in the message panel (the last remote command carried out).
    void showMessage(const QString &text);

private:
    /// Panels 1 to 5 (index 0 is panel 1).
    std::array<QLabel *, 5> StatusBar1{};
    MqttStatusLabel *lblMqtt = nullptr;
    QLabel *lblRemote = nullptr;
};
