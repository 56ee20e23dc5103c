#include "LineTopics.h"

#include "ControllerTopics.h"
#include "RegisterMap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace LineTopics {

namespace {

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

/// The register as the controller holds it: a word of flags is kept unsigned in the table.
int signedRaw(const Register &r, int raw)
{
    return r.conversion == Conversion::Bits ? int(qint16(quint16(raw))) : raw;
}

} // namespace

QByteArray line(const Line &line)
{
    QJsonArray devices;
    for (const Line::Device &device : line.devices) {
        devices.append(QJsonObject{{QStringLiteral("device"), device.deviceNo},
                                   {QStringLiteral("name"), device.name},
                                   {QStringLiteral("connected"), device.connected}});
    }
    return compact({
        {QStringLiteral("server"), line.program},
        {QStringLiteral("host"), line.host},
        {QStringLiteral("version"), line.version},
        {QStringLiteral("port_open"), line.portOpen},
        {QStringLiteral("protocol"), line.protocol},
        {QStringLiteral("devices"), devices},
        {QStringLiteral("commands"),
         QJsonObject{{QStringLiteral("enabled"), line.commandsEnabled},
                     {QStringLiteral("users"), QJsonArray::fromStringList(line.commandUsers)}}},
        {QStringLiteral("time"), ControllerTopics::isoWithOffset(line.time)},
    });
}

std::optional<QByteArray> registers(const DeviceTable &table, int row, const QDateTime &time)
{
    if (table.lastStatusMs(row) < 0)
        return std::nullopt;
    QJsonArray status;
    for (const Register &r : RegisterMap::statusBlock())
        status.append(signedRaw(r, table.value(row, r.field).value_or(0)));
    using F = DeviceTable::Field;
    return compact({
        {QStringLiteral("status"), status},
        {QStringLiteral("decimals"), table.value(row, F::DecimalPlaces).value_or(0)},
        {QStringLiteral("unit"),
         table.value(row, F::Unit).value_or(0) > 0 ? QStringLiteral("F") : QStringLiteral("C")},
        {QStringLiteral("time"), ControllerTopics::isoWithOffset(time)},
    });
}

std::optional<QList<int>> parameterValues(const DeviceTable &table, int row)
{
    QList<int> values;
    for (const Register &r : RegisterMap::parameterBlock()) {
        const std::optional<int> raw = table.value(row, r.field);
        // Fields the status block fills too (decimals, unit) do not tell a block was read.
        if (!raw)
            return std::nullopt;
        values.append(signedRaw(r, *raw));
    }
    return values;
}

std::optional<QByteArray> parameters(const DeviceTable &table, int row, const QDateTime &time)
{
    const auto values = parameterValues(table, row);
    if (!values)
        return std::nullopt;
    QJsonArray raw;
    for (const int value : *values)
        raw.append(value);
    return compact({{QStringLiteral("parameters"), raw},
                    {QStringLiteral("time"), ControllerTopics::isoWithOffset(time)}});
}

} // namespace LineTopics
