#pragma once

#include "MqttMessage.h"
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
///
/// MQTT 5: on each connection the thread subscribes to the topics asked for at opening (QoS 1,
/// retained flags kept as published, no retained message handed over at subscribing), and
/// hands every message that arrives, with its response topic, correlation data and expiry, to
/// messageReceived.
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

    /// Starts connecting with these settings, in place of any connection before; subscribes to
    /// the given topic filters on every connection.
    void open(const MqttSettings &settings, const QString &statusTopic,
              const QStringList &subscriptions = {});
    /// Publishes "offline" on the status topic when connected, disconnects and ends the thread.
    void close();

    bool isConnected() const;
    /// Sends one message when connected (at most once); false otherwise.
    bool publish(const QString &topic, const QByteArray &payload, bool retain = true);
    /// Sends a message at least once (QoS 1, not retained); its message id, which delivered()
    /// names when the broker acknowledged it; -1 when not connected.
    int publishTracked(const QString &topic, const QByteArray &payload);
    /// Sends an answer to a request (at least once, not retained) with its correlation data.
    bool publishReply(const QString &topic, const QByteArray &payload,
                      const QByteArray &correlationData);

    MqttStatus status() const { return m_status; }

signals:
    void statusChanged(const MqttStatus &status);
    /// A connection was made, the first or again: retained topics should be brought up to date.
    void connected();
    /// The broker acknowledged the tracked message mid of this connection (PUBACK).
    void delivered(int mid);
    /// A message arrived on a subscription.
    void messageReceived(const MqttMessage &message);

private:
    struct Session;

    /// Closes the session (if any) without telling anyone.
    void endSession();
    void take(int generation, const MqttStatus &status);
    void deliver(int generation, const MqttMessage &message);
    void acknowledge(int generation, int mid);

    std::shared_ptr<Session> m_session;
    int m_generation = 0;
    MqttStatus m_status;
};
