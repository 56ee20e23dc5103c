#include "CommandButtonDelegate.h"

#include <QBrush>
#include <QPainter>

/// A flat button: the cell's colour inside a grey frame, its caption centred.
void CommandButtonDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const QRect face = option.rect.adjusted(2, 2, -3, -3);
    painter->save();
    painter->fillRect(face, index.data(Qt::BackgroundRole).value<QBrush>());
    painter->setPen(Qt::gray);
    painter->drawRect(face);
    painter->setPen(option.palette.color(QPalette::ButtonText));
    painter->setFont(option.font);
    painter->drawText(face, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}
