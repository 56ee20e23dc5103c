#include "ServedRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QStringList OpNames = {QStringLiteral("parameters"),  QStringLiteral("errors"),
                             QStringLiteral("memory"),      QStringLiteral("history"),
                             QStringLiteral("write"),       QStringLiteral("run"),
                             QStringLiteral("memory_send"), QStringLiteral("acknowledge")};

constexpr int MemoryEntries = 100;

/// The fields of each op; a problem text when one is missing or of the wrong kind.
QString readFields(const QJsonObject &json, ServedRequest &request)
{
    using Op = ServedRequest::Op;
    switch (request.op) {
    case Op::Write:
        request.field = json.value(QStringLiteral("field")).toString();
        if (request.field.isEmpty() || !json.value(QStringLiteral("value")).isDouble())
            return QStringLiteral("write에는 field와 숫자 value가 필요합니다.");
        request.value = json.value(QStringLiteral("value")).toDouble();
        return {};
    case Op::Run:
        request.command = json.value(QStringLiteral("command")).toString();
        return request.command.isEmpty() ? QStringLiteral("run에는 command가 필요합니다.")
                                         : QString();
    case Op::MemorySend: {
        const QJsonArray entries = json.value(QStringLiteral("entries")).toArray();
        if (entries.size() != MemoryEntries)
            return QStringLiteral("memory_send에는 entries 100개가 필요합니다.");
        for (const QJsonValue &entry : entries) {
            const QJsonObject e = entry.toObject();
            std::array<double, 3> values{};
            int k = 0;
            for (const char *key : {"sv", "on", "off"}) {
                const QJsonValue v = e.value(QLatin1String(key));
                if (!v.isDouble())
                    return QStringLiteral("memory_send의 entries에는 숫자 sv, on, off가 "
                                          "필요합니다.");
                values[size_t(k++)] = v.toDouble();
            }
            request.entries.append(values);
        }
        return {};
    }
    case Op::Acknowledge:
        request.kind = json.value(QStringLiteral("kind")).toString();
        if (json.value(QStringLiteral("all")).toBool())
            request.kind = QStringLiteral("all");
        return request.kind.isEmpty() ? QStringLiteral("acknowledge에는 kind 또는 all이 "
                                                       "필요합니다.")
                                      : QString();
    case Op::History:
        request.from =
            QDateTime::fromString(json.value(QStringLiteral("from")).toString(), Qt::ISODate);
        request.to =
            QDateTime::fromString(json.value(QStringLiteral("to")).toString(), Qt::ISODate);
        return request.from.isValid() && request.to.isValid() && request.from <= request.to
                   ? QString()
                   : QStringLiteral("history에는 ISO 8601 시각 from과 to가 필요합니다.");
    default:
        return {};
    }
}

} // namespace

QString ServedRequest::opName() const
{
    return OpNames.value(int(op));
}

ServedRequest::Parsed ServedRequest::parse(const MqttMessage &message, const QString &prefix)
{
    const QString requestTopic = prefix + QStringLiteral("/request/");
    if (!message.topic.startsWith(requestTopic))
        return {};
    ServedRequest request;
    request.user = message.topic.mid(requestTopic.size());
    const QString replyTopic = prefix + QStringLiteral("/reply/") + request.user + QLatin1Char('/');
    if (request.user.isEmpty() || request.user.contains(QLatin1Char('/')) ||
        !message.responseTopic.startsWith(replyTopic) ||
        message.responseTopic.size() == replyTopic.size())
        return {};
    request.client = message.responseTopic.mid(replyTopic.size());
    request.replyTopic = message.responseTopic;
    request.correlationData = message.correlationData;
    request.retained = message.retained;
    request.expirySeconds = message.expirySeconds;

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message.payload, &error);
    const QJsonObject json = document.object();
    const qsizetype op = OpNames.indexOf(json.value(QStringLiteral("op")).toString());
    if (error.error != QJsonParseError::NoError || !document.isObject() || op < 0)
        return {request, QStringLiteral("요청을 읽을 수 없습니다 (JSON 객체와 알려진 op 필요).")};
    request.op = Op(op);
    request.device = json.value(QStringLiteral("device")).toInt();
    const QString problem = readFields(json, request);
    return {request, problem};
}
