#include "MqttProbe.h"

#include <QDateTime>
#include <QStringList>
#include <mosquitto.h>

MqttProbe::MqttProbe(int port)
{
    mosquitto_lib_init();
    m_mosq = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_mosq, &MqttProbe::onConnect);
    mosquitto_subscribe_callback_set(m_mosq, &MqttProbe::onSubscribe);
    mosquitto_message_callback_set(m_mosq, &MqttProbe::onMessage);
    mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
    mosquitto_connect_async(m_mosq, "127.0.0.1", port, 30);
    mosquitto_loop_start(m_mosq);
}

MqttProbe::~MqttProbe()
{
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, false);
    mosquitto_destroy(m_mosq);
}

void MqttProbe::onConnect(mosquitto *mosq, void *, int code)
{
    if (code == 0)
        mosquitto_subscribe(mosq, nullptr, "#", 0);
}

void MqttProbe::onSubscribe(mosquitto *, void *self, int, int, const int *)
{
    auto *probe = static_cast<MqttProbe *>(self);
    std::lock_guard lock(probe->m_mutex);
    probe->m_subscribed = true;
}

void MqttProbe::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *probe = static_cast<MqttProbe *>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    std::lock_guard lock(probe->m_mutex);
    probe->m_last.insert(topic, payload);
    probe->m_counts[topic] += 1;
    probe->m_all[topic].append(payload);
    probe->m_arrived.insert(topic, QDateTime::currentMSecsSinceEpoch());
}

bool MqttProbe::isSubscribed() const
{
    std::lock_guard lock(m_mutex);
    return m_subscribed;
}

QByteArray MqttProbe::last(const QString &topic) const
{
    std::lock_guard lock(m_mutex);
    return m_last.value(topic);
}

QList<QByteArray> MqttProbe::all(const QString &topic) const
{
    std::lock_guard lock(m_mutex);
    return m_all.value(topic);
}

int MqttProbe::count(const QString &topic) const
{
    std::lock_guard lock(m_mutex);
    return m_counts.value(topic);
}

QStringList MqttProbe::topics() const
{
    std::lock_guard lock(m_mutex);
    QStringList topics = m_last.keys();
    topics.sort();
    return topics;
}

qint64 MqttProbe::arrivedMs(const QString &topic) const
{
    std::lock_guard lock(m_mutex);
    return m_arrived.value(topic);
}

void MqttProbe::clear()
{
    std::lock_guard lock(m_mutex);
    m_last.clear();
    m_counts.clear();
    m_all.clear();
    m_arrived.clear();
}
