#pragma once

#include "Frames.h"

#include <QList>
#include <QString>

/// The six port settings, stored in Comm.CFG as the texts the operator chose or typed.
struct PortSettings
{
    QString PortName = QStringLiteral("COM1");
    QString BaudRate = QStringLiteral("9600");
    QString ParityBit = QStringLiteral("N");
    QString DataBit = QStringLiteral("8");
    QString StopBit = QStringLiteral("1");
    QString Protocol = QStringLiteral("SUM");

    bool operator==(const PortSettings &) const = default;
};

/// The five recording settings of SaveData.INI.
struct RecordingSettings
{
    /// Recording is on only when this is exactly "Yes".
    QString RecordSwitch = QStringLiteral("No");
    int RecordInterval = 1;
    /// "분" (minutes) or "초" (seconds).
    QString RecordUnit = QStringLiteral("분");
    QString DataFolder;
    QString DataFilePrefix = QStringLiteral("ZQ410");

    /// What the texts mean: recording is on only for exactly "Yes"; the interval is minutes only
    /// for exactly "분", seconds for any other unit.
    bool isOn() const { return RecordSwitch == QLatin1String("Yes"); }
    qint64 intervalSeconds() const
    {
        return RecordUnit == QStringLiteral("분") ? qint64(RecordInterval) * 60 : RecordInterval;
    }

    bool operator==(const RecordingSettings &) const = default;
};

/// One line of SetMulti.INI: device n is in use when its mark is exactly "O".
struct DeviceListRow
{
    QString mark = QStringLiteral("X");
    QString name;

    bool inUse() const { return mark == QLatin1String("O"); }
    bool operator==(const DeviceListRow &) const = default;
};

/// The monitor's program-wide state: one instance for the whole run, touched only on the
/// user-interface thread. What is known of each controller is in the DeviceTable.
struct SharedState
{
    PortSettings port;
    Frames::ChecksumMode ChecksumMode = Frames::ChecksumMode::Sum;
    bool TraceEnabled = false;

    /// Device numbers in use, in SetMulti.INI's order.
    QList<int> DeviceList;
    /// Index of the last DeviceList entry (0 for an empty list).
    int LastIndex = 0;
    /// The device chosen for display and editing; SelectedDeviceNo 0 means none yet.
    int SelectedIndex = 0;
    int SelectedDeviceNo = 0;

    RecordingSettings recording;

    /// Decimal places and unit text of the selected device.
    int DecimalPlaces = 0;
    QString UnitText;
};
