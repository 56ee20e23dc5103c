#pragma once

#include "AlarmForwarder.h"
#include "ControllerTopics.h"
#include "MqttConnection.h"
#include "MqttSettings.h"
#include "MqttStatus.h"
#include "RecordForwarder.h"
#include "Timer.h"

#include <QHash>
#include <QObject>
#include <memory>
#include <optional>

class AlarmEngine;
class PollingEngine;

/// Publishes the line to an MQTT broker: it listens to the engine and reads the device table,
/// never a window. A controller's values, run and link go out retained when a fresh status
/// block of it changed them, and each again at least once a minute while it answers, so a flat
/// line is still seen alive; its state JSON goes out with every block. Its link follows
/// ("lost" once it no longer answers, "unknown" when the port closes). A controller that has not
/// answered since the port opened is not published. After each (re)connection every topic is
/// brought up to date once; while the broker is away nothing is kept to send.
class MqttPublisher : public QObject
{
    Q_OBJECT

public:
    static constexpr int RefreshMs = 60000;
    static constexpr int LinkCheckMs = 1000;

    explicit MqttPublisher(PollingEngine &engine, QObject *parent = nullptr);
    ~MqttPublisher() override;

    /// A service instance (zq410d --folder DIR): the name its default prefix and client id end
    /// with; empty for the monitor's own folder. Set before start().
    void setInstance(const QString &name) { m_instance = name; }
    /// Reads CFG/Mqtt.INI and connects when it switches publishing on.
    void start();
    /// Publishes the alarms too: P/NN/alarm (retained, the controller's alarms that are not
    /// normal) on every change and connection, P/alarms (one event per transition).
    void watchAlarms(const AlarmEngine &alarms);
    /// Stores the settings in Mqtt.INI and connects anew with them (or stops publishing).
    /// Returns false when the file could not be written; the settings apply to this run.
    bool apply(const MqttSettings &settings);

    const MqttSettings &settings() const { return m_settings; }
    /// Where apply() stores them: CFG/Mqtt.INI.
    QString settingsPath() const;
    MqttStatus status() const;
    /// The prefix topics go out under (the settings' or the default one).
    QString topicPrefix() const { return m_topics.prefix(); }
    /// The broker connection, for what else goes out on it (the served line's topics and
    /// replies); it is open only while publishing is on.
    MqttConnection &connection() { return m_connection; }
    /// The recorder appended trend records: they go out as P/NN/record.
    void recordsWritten() { m_forwarder.recordsWritten(); }
    /// Trend records waiting for the broker's acknowledgement.
    qint64 backlog() const { return m_forwarder.backlog(); }
    /// What the operator is told once at the start about Mqtt.INI: a key that cannot be used
    /// (publishing is then off) and a password readable by others.
    QStringList settingsWarnings() const;

signals:
    void statusChanged(const MqttStatus &status);
    /// A line for the log (records left to the trend files, a trend file replaced).
    void notice(const QString &text);
    /// A connection was made (the first or again), after this publisher's topics went out.
    void connected();
    /// A request arrived on P/request/USER.
    void requestReceived(const MqttMessage &message);

private:
    struct Sent
    {
        QByteArray payload;
        qint64 atMs = 0;
    };

    void use(const MqttSettings &settings, const QString &error);
    void onStatusBlock(int row);
    void onLinkCheck();
    void onConnected();
    void onDeviceListReset();
    void onAlarm(const AlarmTransition &transition);
    void publishAlarmList(int deviceNo);

    void publishRow(int row, bool force);
    void announce(int row);
    /// Sends P/NN/suffix when forced, changed or a minute old; false when it did not go out.
    bool send(int deviceNo, const QString &suffix, const QByteArray &payload, bool force);
    std::optional<QByteArray> linkOf(int row) const;
    QString nameOf(int deviceNo) const;

    PollingEngine &m_engine;
    MqttConnection m_connection;
    RecordForwarder m_forwarder{m_engine, m_connection};
    AlarmForwarder m_alarmEvents{m_connection, m_forwarder.cursors(),
                                 [this](int deviceNo) { return nameOf(deviceNo); },
                                 [this] {
                                     m_forwarder.saveSoon();
                                 }};
    MqttSettings m_settings;
    QString m_instance;
    QString m_settingsError;
    ControllerTopics m_topics{MqttSettings().topicPrefix()};
    /// What went out last on each topic of each controller published in this run.
    QHash<int, QHash<QString, Sent>> m_sent;
    /// Controllers whose discovery configurations went out on this connection.
    QSet<int> m_announced;
    QHash<int, QString> m_names;
    std::unique_ptr<Timer> m_linkTimer;
    const AlarmEngine *m_alarms = nullptr;
    /// Controllers whose alarm list went out in this run (so an empty one follows when cleared).
    QSet<int> m_alarmDevices;
};
