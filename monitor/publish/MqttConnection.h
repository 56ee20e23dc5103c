#pragma once

#include "MqttSettings.h"
#include "MqttStatus.h"

#include <QByteArray>
#include <QObject>
#include <memory>

/// One client connection to an MQTT broker, on libmosquitto, run by a thread of its own: the
/// name lookup, the connect, the TLS handshake and the socket's waits never hold up the caller's
/// event loop (the polling loop and the windows). The thread reconnects after a refusal or a
/// lost connection, waiting 1 s, then twice as long each time up to 60 s.
///
/// The broker keeps "offline" as the status topic's Last Will; on each connection the thread
/// publishes "online" there itself, then the connected signal asks the caller for the rest.
/// Messages are sent only while connected: nothing piles up while the broker is away.
class MqttConnection : public QObject
{
    Q_OBJECT

public:
    static constexpr int FirstRetrySeconds = 1;
    static constexpr int LastRetrySeconds = 60;
    /// How long closing waits for the thread (a name lookup cannot be interrupted).
    static constexpr int CloseWaitMs = 2000;

    explicit MqttConnection(QObject *parent = nullptr);
    ~MqttConnection() override;

    /// Starts connecting with these settings, in place of any connection before.
    void open(const MqttSettings &settings, const QString &statusTopic);
    /// Publishes "offline" on the status topic when connected, disconnects and ends the thread.
    void close();

    bool isConnected() const;
    /// Sends one message when connected (at most once); false otherwise.
    bool publish(const QString &topic, const QByteArray &payload, bool retain = true);

    MqttStatus status() const { return m_status; }

signals:
    void statusChanged(const MqttStatus &status);
    /// A connection was made, the first or again: retained topics should be brought up to date.
    void connected();

private:
    struct Session;

    /// Closes the session (if any) without telling anyone.
    void endSession();
    void take(int generation, const MqttStatus &status);

    std::shared_ptr<Session> m_session;
    int m_generation = 0;
    MqttStatus m_status;
};
