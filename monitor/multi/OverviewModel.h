#pragma once

#include "DeviceTable.h"
#include "DeviceTableProxy.h"

#include <optional>

class AlarmEngine;

/// The overview's view of the device table: per controller its link state, its temperatures,
/// its eight command buttons lit by STATUS and LED1, its rest time, outputs, currents and memory
/// number. Every cell follows the table as the polling fills it.
class OverviewModel : public DeviceTableProxy
{
    Q_OBJECT

public:
    /// The overview's columns 1 to 18.
    enum Column {
        LinkColumn = 0,
        PvColumn,
        AuxColumn,
        SvColumn,
        FirstButtonColumn,
        LastButtonColumn = FirstButtonColumn + 7,
        RestTimeColumn,
        HeatColumn,
        CoolColumn,
        CurrentRColumn,
        CurrentSColumn,
        MemoryColumn,
        ColumnCount
    };

    enum Role {
        /// On a button cell: whether its command is on; invalid before the first status block.
        LitRole = Qt::UserRole + 1,
    };

    static bool isButton(int column)
    {
        return column >= FirstButtonColumn && column <= LastButtonColumn;
    }
    /// The device table field a text column shows; nullopt for the link and button columns.
    static std::optional<DeviceTable::Field> fieldOf(int column);

    explicit OverviewModel(const DeviceTable &table, QObject *parent = nullptr);
    /// Marks the control temperature of controllers with alarms, following the alarm engine.
    void showAlarms(const AlarmEngine &alarms);

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant linkData(int row, int role) const;
    QVariant buttonData(int row, int button, int role) const;
    std::optional<bool> lit(int row, int button) const;
    const AlarmEngine *m_alarms = nullptr;
};
