#include "DevicePickerModel.h"

#include "AlarmEngine.h"
#include "AlarmMarks.h"
#include "DeviceTable.h"
#include "LinkColours.h"

DevicePickerModel::DevicePickerModel(const DeviceTable &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    connect(&table, &QAbstractItemModel::modelAboutToBeReset, this,
            &DevicePickerModel::beginResetModel);
    connect(&table, &QAbstractItemModel::modelReset, this, &DevicePickerModel::endResetModel);
    connect(&table, &QAbstractItemModel::dataChanged, this, &DevicePickerModel::onTableChanged);
}

void DevicePickerModel::showAlarms(const AlarmEngine &alarms)
{
    m_alarms = &alarms;
    connect(&alarms, &AlarmEngine::transitioned, this, [this] {
        if (rowCount() > 0)
            emit dataChanged(index(0, DeviceNoColumn), index(rowCount() - 1, DeviceNoColumn));
    });
}

void DevicePickerModel::onTableChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (topLeft.column() > DeviceTable::PickerColumn ||
        bottomRight.column() < DeviceTable::PickerColumn)
        return;
    emit dataChanged(index(topLeft.row(), LinkColumn), index(bottomRight.row(), LinkColumn));
}

int DevicePickerModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.rowCount();
}

int DevicePickerModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DevicePickerModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (index.column() == DeviceNoColumn) {
        const int deviceNo = m_table.deviceNo(index.row());
        switch (role) {
        case Qt::DisplayRole:
            return deviceNo;
        case Qt::BackgroundRole:
            return AlarmMarks::background(m_alarms, deviceNo);
        case Qt::ForegroundRole:
            return AlarmMarks::foreground(m_alarms, deviceNo);
        case Qt::ToolTipRole:
            return AlarmMarks::toolTip(m_alarms, deviceNo);
        default:
            return {};
        }
    }
    const LinkState state = m_table.pickerState(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return DeviceTable::textOf(state);
    case Qt::BackgroundRole:
        return LinkColours::background(state);
    case Qt::ForegroundRole:
        return LinkColours::foreground(state);
    default:
        return {};
    }
}

QVariant DevicePickerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return section == DeviceNoColumn ? QStringLiteral("기기번호") : QStringLiteral("연결상태");
}
