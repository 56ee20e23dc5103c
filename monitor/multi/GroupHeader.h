#pragma once

#include <QList>
#include <QWidget>

class QTableView;

/// A band above a table's column header naming groups of columns ("PV" over two columns,
/// "CONTROL" over eight): the first of two header rows. It follows the columns' widths and the
/// table's horizontal scrolling.
class GroupHeader : public QWidget
{
    Q_OBJECT

public:
    struct Group
    {
        int firstColumn;
        int lastColumn;
        QString text;
    };

    GroupHeader(QTableView &table, const QList<Group> &groups, const QString &corner,
                QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTableView &m_table;
    QList<Group> m_groups;
    QString m_corner;
};
