#pragma once

#include "MonitorCore.h"
#include "SystemdNotifier.h"

#include <QObject>
#include <QSet>
#include <QTimer>

/// The monitor's core run as a service: it opens the port (again every 5 s while it cannot, or
/// after it went away), polls, records, raises alarms and publishes as the monitor does with the
/// same files, writes one line per event to standard error (the system journal keeps them) and
/// keeps the service manager informed: ready once the port is open, a status line, and the
/// watchdog's ping only while the polling loop advances.
class ServiceRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr int RetryMs = 5000;

    ServiceRunner(const QString &programFolder, const QString &defaultDataFolder,
                  QObject *parent = nullptr);
    /// On a clock and a link of the caller's (tests: virtual time, a line in memory).
    ServiceRunner(Clock &clock, Link &link, const QString &programFolder,
                  const QString &defaultDataFolder, QObject *parent = nullptr);
    ~ServiceRunner() override;

    /// Start-up: the settings files, the publisher, then the port.
    void start();
    /// Closes the port and the broker connection ("offline").
    void stop();

    MonitorCore &core() { return m_core; }

private:
    void connectCore();
    void openPort();
    void onPortLost(const QString &reason);
    void onWatchdogTick();
    void describeRecording();
    void log(const QString &line) const;
    void logMqtt(const MqttStatus &status);
    void setStatus(const QString &line);

    MonitorCore m_core;
    SystemdNotifier m_notifier;
    QTimer m_retry;
    QTimer m_watchdog;
    /// Requests sent since the watchdog's last ping: the polling loop advances.
    int m_sentSinceTick = 0;
    bool m_ready = false;
    /// The start line is out: what follows is logged.
    bool m_started = false;
    bool m_replaying = false;
    QString m_lastMqtt;
    QString m_lastFailure;
    QSet<int> m_answered;
};
