#pragma once

#include <QMetaType>
#include <QString>

/// Where the publisher's connection to the broker stands.
enum class MqttState {
    Off,           ///< publishing is switched off
    SettingsError, ///< Mqtt.INI cannot be used; reason names the key
    Connecting,    ///< an attempt is under way
    Connected,     ///< the broker accepted the connection
    Failed,        ///< refused or lost; reason says why, the next attempt follows
};

struct MqttStatus
{
    MqttState state = MqttState::Off;
    /// SettingsError and Failed: the broker's or the system's reason.
    QString reason;
    /// Failed: seconds until the next attempt (0: none without new settings).
    int retrySeconds = 0;
    /// Connected: trend records not yet acknowledged by the broker (being sent again).
    qint64 backlog = 0;

    /// What the operator reads: "연결됨", "연결 중", the reason of a failure.
    QString text() const;
    /// "전송 대기 1,234건".
    static QString backlogText(qint64 records);

    bool operator==(const MqttStatus &) const = default;
};

Q_DECLARE_METATYPE(MqttStatus)
