#pragma once

#include <QStatusBar>
#include <array>

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
    LineStatusBar(MqttPublisher &publisher, QWidget *parent);

    void showPort(const PortSettings &port);
    void showPortOpen(bool open);

private:
    /// Panels 1 to 5 (index 0 is panel 1).
    std::array<QLabel *, 5> StatusBar1{};
    MqttStatusLabel *lblMqtt = nullptr;
};
