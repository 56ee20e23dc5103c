#pragma once

#include <QStyledItemDelegate>

/// Paints a cell as a push button: the cell's text as its caption on the cell's background
/// colour. Clicks reach the view's clicked() signal like any other cell's.
class CommandButtonDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
