#include "DevicePickerModel.h"

#include "AlarmEngine.h"
#include "AlarmMarks.h"
#include "DeviceTable.h"
#include "LinkColours.h"

DevicePickerModel::DevicePickerModel(const DeviceTable &table, QObject *parent)
    : DeviceTableProxy(table, parent)
{}

void DevicePickerModel::showAlarms(const AlarmEngine &alarms)
{
    m_alarms = &alarms;
    connect(&alarms, &AlarmEngine::transitioned, this, [this] { columnChanged(DeviceNoColumn); });
}

std::pair<int, int> DevicePickerModel::columnsShowing(int firstSource, int lastSource) const
{
    if (firstSource > DeviceTable::PickerColumn || lastSource < DeviceTable::PickerColumn)
        return {1, 0};
    return {LinkColumn, LinkColumn};
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
        const int deviceNo = table().deviceNo(index.row());
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
    const LinkState state = table().pickerState(index.row());
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
