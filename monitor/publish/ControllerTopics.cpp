#include "ControllerTopics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

using F = DeviceTable::Field;

/// A published value: its topic suffix, its field and how Home Assistant is to show it.
struct Value
{
    const char *suffix;
    F field;
    const char *caption;
    /// "temperature", "%", "A", "min" or "" (a plain number).
    const char *kind;
};

constexpr Value Values[] = {
    {"pv", F::Pv, "PV", "temperature"},
    {"aux", F::Aux, "AUX", "temperature"},
    {"sv", F::Sv, "SV", "temperature"},
    {"deviation", F::Deviation, "Deviation", "temperature"},
    {"heat_output", F::HeatOutput, "Heat output", "%"},
    {"cool_output", F::CoolOutput, "Cool output", "%"},
    {"current_r", F::CurrentR, "Current R", "A"},
    {"current_s", F::CurrentS, "Current S", "A"},
    {"remaining_min", F::RestTime, "Remaining time", "min"},
    {"memory", F::MemoryNo, "Memory", ""},
};

/// A JSON string literal.
QByteArray quoted(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

/// Alarm kinds, states and steps as consumers match them.
QString kindKey(AlarmKind kind)
{
    static const char *const keys[] = {"link", "high", "low", "deviation", "device"};
    return QLatin1String(keys[int(kind)]);
}

QString stateKey(AlarmState state)
{
    static const char *const keys[] = {"normal", "active_unacknowledged", "active_acknowledged",
                                       "returned_unacknowledged"};
    return QLatin1String(keys[int(state)]);
}

QString stepKey(AlarmStep step)
{
    static const char *const keys[] = {"raised", "acknowledged", "cleared"};
    return QLatin1String(keys[int(step)]);
}

QJsonObject sensorConfig(const Value &value, bool fahrenheit)
{
    QJsonObject config;
    const QLatin1String kind(value.kind);
    if (kind == QLatin1String("temperature")) {
        config[QStringLiteral("device_class")] = QStringLiteral("temperature");
        config[QStringLiteral("unit_of_measurement")] =
            fahrenheit ? QStringLiteral("°F") : QStringLiteral("°C");
    } else if (kind == QLatin1String("A")) {
        config[QStringLiteral("device_class")] = QStringLiteral("current");
        config[QStringLiteral("unit_of_measurement")] = QStringLiteral("A");
    } else if (kind == QLatin1String("min")) {
        config[QStringLiteral("device_class")] = QStringLiteral("duration");
        config[QStringLiteral("unit_of_measurement")] = QStringLiteral("min");
    } else if (!kind.isEmpty()) {
        config[QStringLiteral("unit_of_measurement")] = QString(kind);
    }
    config[QStringLiteral("state_class")] = QStringLiteral("measurement");
    return config;
}

} // namespace

ControllerTopics::ControllerTopics(const QString &prefix) : m_prefix(prefix) {}

QString ControllerTopics::status() const
{
    return m_prefix + QStringLiteral("/status");
}

QString ControllerTopics::of(int deviceNo, const QString &suffix) const
{
    return QStringLiteral("%1/%2/%3")
        .arg(m_prefix)
        .arg(deviceNo, 2, 10, QLatin1Char('0'))
        .arg(suffix);
}

ControllerTopics::Payloads ControllerTopics::plainPayloads(const DeviceTable &table, int row)
{
    Payloads payloads;
    for (const Value &value : Values) {
        const QString text = table.field(row, value.field);
        if (!text.isEmpty())
            payloads.append({QLatin1String(value.suffix), text.toLatin1()});
    }
    if (table.value(row, F::Status))
        payloads.append({QStringLiteral("run"), table.running(row) ? "1" : "0"});
    return payloads;
}

QByteArray ControllerTopics::stateJson(const DeviceTable &table, int row, const QString &name,
                                       const QByteArray &link, const QDateTime &time)
{
    const bool fahrenheit = table.value(row, F::Unit).value_or(0) > 0;
    QByteArray json =
        "{\"device\":" + QByteArray::number(table.deviceNo(row)) + ",\"name\":" + quoted(name) +
        ",\"unit\":" + quoted(fahrenheit ? QStringLiteral("℉") : QStringLiteral("℃")) +
        ",\"time\":" + quoted(ControllerTopics::isoWithOffset(time)) +
        ",\"link\":" + quoted(QString::fromLatin1(link));
    for (const auto &[suffix, payload] : plainPayloads(table, row))
        json += ",\"" + suffix.toLatin1() + "\":" + payload;
    return json + '}';
}

QString ControllerTopics::isoWithOffset(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString ControllerTopics::alarms() const
{
    return m_prefix + QStringLiteral("/alarms");
}

QByteArray ControllerTopics::alarmList(const QList<Alarm> &alarms)
{
    QJsonArray list;
    for (const Alarm &alarm : alarms) {
        QJsonObject entry{{QStringLiteral("kind"), kindKey(alarm.kind)},
                          {QStringLiteral("text"), Alarms::kindText(alarm.kind)},
                          {QStringLiteral("state"), stateKey(alarm.state)},
                          {QStringLiteral("raised"), isoWithOffset(alarm.raised)},
                          {QStringLiteral("value"), alarm.value},
                          {QStringLiteral("limit"), alarm.limit}};
        if (alarm.acknowledged.isValid())
            entry[QStringLiteral("acknowledged")] = isoWithOffset(alarm.acknowledged);
        if (alarm.cleared.isValid())
            entry[QStringLiteral("cleared")] = isoWithOffset(alarm.cleared);
        list.append(entry);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QByteArray ControllerTopics::alarmEvent(const AlarmTransition &transition, const QString &name,
                                        bool historical)
{
    const QJsonObject event{{QStringLiteral("device"), transition.deviceNo},
                            {QStringLiteral("name"), name},
                            {QStringLiteral("kind"), kindKey(transition.kind)},
                            {QStringLiteral("text"), Alarms::kindText(transition.kind)},
                            {QStringLiteral("step"), stepKey(transition.step)},
                            {QStringLiteral("time"), isoWithOffset(transition.time)},
                            {QStringLiteral("value"), transition.value},
                            {QStringLiteral("limit"), transition.limit},
                            {QStringLiteral("historical"), historical}};
    return QJsonDocument(event).toJson(QJsonDocument::Compact);
}

ControllerTopics::Payloads ControllerTopics::discovery(int deviceNo, const QString &name,
                                                       bool fahrenheit) const
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_-]"));
    const QString node = QString(m_prefix).replace(unsafe, QStringLiteral("_"));
    const QString nn = QStringLiteral("%1").arg(deviceNo, 2, 10, QLatin1Char('0'));
    const QString title = name.isEmpty() ? QStringLiteral("ZQ410 %1").arg(nn)
                                         : QStringLiteral("ZQ410 %1 %2").arg(nn, name);
    const QJsonObject device{
        {QStringLiteral("identifiers"), QJsonArray{QStringLiteral("%1_%2").arg(node, nn)}},
        {QStringLiteral("name"), title},
        {QStringLiteral("model"), QStringLiteral("ZQ410")},
    };
    Payloads payloads;
    auto add = [&](const QString &suffix, const QString &caption, QJsonObject config) {
        config[QStringLiteral("name")] = QStringLiteral("%1 %2").arg(title, caption);
        config[QStringLiteral("unique_id")] = QStringLiteral("%1_%2_%3").arg(node, nn, suffix);
        config[QStringLiteral("state_topic")] = of(deviceNo, suffix);
        config[QStringLiteral("availability_topic")] = status();
        config[QStringLiteral("device")] = device;
        payloads.append(
            {QStringLiteral("homeassistant/sensor/%1/%2_%3/config").arg(node, nn, suffix),
             QJsonDocument(config).toJson(QJsonDocument::Compact)});
    };
    for (const Value &value : Values)
        add(QLatin1String(value.suffix), QLatin1String(value.caption),
            sensorConfig(value, fahrenheit));
    add(QStringLiteral("run"), QStringLiteral("Run"), {});
    add(QStringLiteral("link"), QStringLiteral("Link"), {});
    return payloads;
}
