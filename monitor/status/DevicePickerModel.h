#pragma once

#include "DeviceTableProxy.h"

class AlarmEngine;

/// The device picker's view of the device table: per controller its number (red while it has an
/// alarm that is not normal) and its picker link cell ("양호" on green, "불량" on black, empty
/// while unknown).
class DevicePickerModel : public DeviceTableProxy
{
    Q_OBJECT

public:
    enum Column { DeviceNoColumn, LinkColumn, ColumnCount };

    explicit DevicePickerModel(const DeviceTable &table, QObject *parent = nullptr);
    /// Marks the controllers with alarms, following the alarm engine.
    void showAlarms(const AlarmEngine &alarms);

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    /// Only the table's picker cell shows here, in the link column.
    std::pair<int, int> columnsShowing(int firstSource, int lastSource) const override;

private:
    const AlarmEngine *m_alarms = nullptr;
};
