#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <optional>

/// A message the broker delivered to a subscription, with what MQTT 5 says about it.
struct MqttMessage
{
    QString topic;
    QByteArray payload;
    /// Published retained (the subscription keeps the flag as published).
    bool retained = false;
    /// Where the publisher wants its answer, with what to answer with (MQTT 5).
    QString responseTopic;
    QByteArray correlationData;
    /// Seconds the message has left before the broker would have dropped it; none: no expiry.
    std::optional<quint32> expirySeconds;
};
Q_DECLARE_METATYPE(MqttMessage)
