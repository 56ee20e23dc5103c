#pragma once

#include "DeviceTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <optional>

/// The payloads of a served line's retained topics, from which a client can rebuild the device
/// table with the monitor's own decoder: P/line (who serves the line, and its controllers),
/// P/NN/registers (the last status block as read) and P/NN/parameters (the last parameter
/// block as read).
namespace LineTopics {

struct Line
{
    QString program;
    QString host;
    QString version;
    bool portOpen = false;
    QString protocol;
    struct Device
    {
        int deviceNo = 0;
        QString name;
        bool connected = false;
    };
    QList<Device> devices;
    bool commandsEnabled = false;
    QStringList commandUsers;
    QDateTime time;
};

QByteArray line(const Line &line);
/// `{"status": [16 raw signed values in request order], "decimals", "unit", "time"}`; nullopt
/// while the row has no status block.
std::optional<QByteArray> registers(const DeviceTable &table, int row, const QDateTime &time);
/// The raw values of the row's last parameter block in request order; nullopt while it has none.
std::optional<QList<int>> parameterValues(const DeviceTable &table, int row);
/// `{"parameters": [raw values in request order], "time"}`; nullopt while the row has none.
std::optional<QByteArray> parameters(const DeviceTable &table, int row, const QDateTime &time);

} // namespace LineTopics
