#pragma once

#include "MqttMessage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <array>
#include <optional>

/// A request of the line-served protocol as it arrived on P/request/USER: what it asks
/// (`{"op": ..., "device": N, ...}`), who asks (the topic's USER, made authentic by the broker's
/// ACL; a name inside the payload is never trusted) and what MQTT 5 said about it.
struct ServedRequest
{
    enum class Op { Parameters, Errors, Memory, History, Write, Run, MemorySend, Acknowledge };

    Op op = Op::Parameters;
    int device = 0;
    QString user;
    /// The last part of the reply topic P/reply/USER/CLIENT.
    QString client;
    /// write: the field's name and the value in the controller's units.
    QString field;
    double value = 0;
    /// run: the command button's name.
    QString command;
    /// memory_send: the 100 entries' SV, ON and OFF times.
    QList<std::array<double, 3>> entries;
    /// acknowledge: an alarm kind's name, or "all".
    QString kind;
    /// history: the records' time range.
    QDateTime from;
    QDateTime to;

    bool retained = false;
    std::optional<quint32> expirySeconds;
    QString replyTopic;
    QByteArray correlationData;

    /// Writes, run commands, memory sends and acknowledgements; the rest are reads.
    bool isCommand() const { return op >= Op::Write; }
    QString opName() const;

    struct Parsed;
    static Parsed parse(const MqttMessage &message, const QString &prefix);
};

/// Where a request can be answered: its user and reply topic are well formed. The rest
/// (an unknown op, a field of the wrong kind) is a request answered with a refusal.
struct ServedRequest::Parsed
{
    /// Empty when the request cannot be answered at all (no user or no reply topic under
    /// P/reply/USER/): it is dropped.
    std::optional<ServedRequest> request;
    /// Why the payload is not a request that can be carried out (empty: it can).
    QString problem;
};
