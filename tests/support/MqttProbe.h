#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <mutex>

struct mosquitto;

/// A subscriber to every topic of a test broker (libmosquitto on its own thread): what arrived
/// last on each topic, and how many messages a topic got.
class MqttProbe
{
public:
    /// Connects to 127.0.0.1:port and subscribes to "#"; isSubscribed() tells when done.
    explicit MqttProbe(int port);
    ~MqttProbe();
    MqttProbe(const MqttProbe &) = delete;
    MqttProbe &operator=(const MqttProbe &) = delete;

    bool isSubscribed() const;
    /// The last payload on topic; a null array when none came.
    QByteArray last(const QString &topic) const;
    int count(const QString &topic) const;
    /// Every payload that came on topic, in order.
    QList<QByteArray> all(const QString &topic) const;
    /// Topics that got a message, sorted.
    QStringList topics() const;
    /// When the topic's last message arrived (ms since the epoch); 0 when none.
    qint64 arrivedMs(const QString &topic) const;
    void clear();

private:
    static void onConnect(mosquitto *mosq, void *self, int code);
    static void onSubscribe(mosquitto *mosq, void *self, int mid, int count, const int *granted);
    static void onMessage(mosquitto *mosq, void *self, const struct mosquitto_message *message);

    mosquitto *m_mosq = nullptr;
    mutable std::mutex m_mutex;
    bool m_subscribed = false;
    QHash<QString, QByteArray> m_last;
    QHash<QString, int> m_counts;
    QHash<QString, QList<QByteArray>> m_all;
    QHash<QString, qint64> m_arrived;
};
