#pragma once

#include <QAbstractTableModel>

class DeviceTable;

/// The device picker's view of the device table: per controller its number and its picker link
/// cell ("양호" on green, "불량" on black, empty while unknown).
class DevicePickerModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { DeviceNoColumn, LinkColumn, ColumnCount };

    explicit DevicePickerModel(const DeviceTable &table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void onTableChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);

    const DeviceTable &m_table;
};
