#pragma once

#include "AlarmEngine.h"
#include "DisplayTicker.h"
#include "LineAnnouncer.h"
#include "LineServer.h"
#include "MonitorSettings.h"
#include "MqttPublisher.h"
#include "PollingEngine.h"

#include <QObject>
#include <memory>

class Clock;
class Link;

/// The monitor without its windows: the clock, the serial link, the polling engine and its
/// settings files, the
/// display ticker with the trend recorder, the alarm engine and the MQTT publisher. start() reads
/// the settings files, starts the display tick, the alarms and the publisher, so polling (once the
/// port is opened), recording, alarms and publishing run whether or not a window shows them. The
/// main window is handed its engine, ticker and publisher; a service uses it alone.
class MonitorCore : public QObject
{
    Q_OBJECT

public:
    /// The program's: the system clock and a serial port.
    MonitorCore(const QString &programFolder, const QString &defaultDataFolder,
                QObject *parent = nullptr);
    /// On a clock and a link of the caller's (tests: virtual time, a line in memory).
    MonitorCore(Clock &clock, Link &link, const QString &programFolder,
                const QString &defaultDataFolder, QObject *parent = nullptr);
    ~MonitorCore() override;

    /// Start-up: the settings files in their order, then the display tick and the publisher's
    /// connection. The port stays closed until it is opened (engine().openPort()).
    void start();

    PollingEngine &engine() { return *m_engine; }
    MonitorSettings &settings() { return *m_settings; }
    DisplayTicker &ticker() { return *m_ticker; }
    MqttPublisher &publisher() { return *m_publisher; }
    /// The line served over the publisher's broker: its retained topics and the requests.
    LineServer &server() { return *m_server; }
    AlarmEngine &alarms() { return *m_alarms; }

private:
    void serveLine();

    // Declared in the order of use: the publisher and the ticker go first, the clock last.
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<Link> m_ownLink;
    std::unique_ptr<PollingEngine> m_engine;
    std::unique_ptr<MonitorSettings> m_settings;
    std::unique_ptr<DisplayTicker> m_ticker;
    std::unique_ptr<AlarmEngine> m_alarms;
    std::unique_ptr<MqttPublisher> m_publisher;
    std::unique_ptr<LineAnnouncer> m_announcer;
    std::unique_ptr<LineServer> m_server;
};
