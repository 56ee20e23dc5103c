#include "DeviceTableProxy.h"

#include "DeviceTable.h"

DeviceTableProxy::DeviceTableProxy(const DeviceTable &table, QObject *parent)
    : QAbstractProxyModel(parent), m_table(table)
{
    // The view only reads the table; a proxy's source is a model it could write to.
    setSourceModel(const_cast<DeviceTable *>(&table));
    connect(&table, &QAbstractItemModel::modelAboutToBeReset, this,
            &DeviceTableProxy::beginResetModel);
    connect(&table, &QAbstractItemModel::modelReset, this, &DeviceTableProxy::endResetModel);
    connect(&table, &QAbstractItemModel::dataChanged, this, &DeviceTableProxy::onTableChanged);
}

QModelIndex DeviceTableProxy::index(int row, int column, const QModelIndex &parent) const
{
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex DeviceTableProxy::parent(const QModelIndex &) const
{
    return {};
}

int DeviceTableProxy::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.rowCount();
}

QModelIndex DeviceTableProxy::mapToSource(const QModelIndex &proxyIndex) const
{
    return proxyIndex.isValid() ? m_table.index(proxyIndex.row(), 0) : QModelIndex();
}

QModelIndex DeviceTableProxy::mapFromSource(const QModelIndex &sourceIndex) const
{
    return sourceIndex.isValid() ? index(sourceIndex.row(), 0) : QModelIndex();
}

std::pair<int, int> DeviceTableProxy::columnsShowing(int, int) const
{
    return {0, columnCount() - 1};
}

void DeviceTableProxy::columnChanged(int column)
{
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

void DeviceTableProxy::onTableChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    const auto [first, last] = columnsShowing(topLeft.column(), bottomRight.column());
    if (first <= last)
        emit dataChanged(index(topLeft.row(), first), index(bottomRight.row(), last));
}
