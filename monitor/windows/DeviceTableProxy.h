#pragma once

#include <QAbstractProxyModel>
#include <utility>

class DeviceTable;

/// A window's view of the device table with columns of its own: a row per controller, the
/// table's rows. A reset of the table resets the view, and a change anywhere in a controller's
/// row is a change of the view's columns that show it (columnsShowing). Subclasses give their
/// columns, cells and headers; the table is the one source of every view.
class DeviceTableProxy : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit DeviceTableProxy(const DeviceTable &table, QObject *parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    /// A view cell stands for its controller's row of the table.
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;

protected:
    const DeviceTable &table() const { return m_table; }
    /// The view's columns [first, last] that show what the table's columns [firstSource,
    /// lastSource] hold; first > last for none. All of them, unless a view says otherwise.
    virtual std::pair<int, int> columnsShowing(int firstSource, int lastSource) const;
    /// Every row's cell in the view's column changed (an alarm came or went).
    void columnChanged(int column);

private:
    void onTableChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);

    const DeviceTable &m_table;
};
