#include "GroupHeader.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTableView>

GroupHeader::GroupHeader(QTableView &table, const QList<Group> &groups, const QString &corner,
                         QWidget *parent)
    : QWidget(parent), m_table(table), m_groups(groups), m_corner(corner)
{
    connect(table.horizontalHeader(), &QHeaderView::sectionResized, this,
            qOverload<>(&QWidget::update));
    connect(table.horizontalScrollBar(), &QScrollBar::valueChanged, this,
            qOverload<>(&QWidget::update));
}

QSize GroupHeader::sizeHint() const
{
    return {m_table.width(), m_table.horizontalHeader()->sizeHint().height()};
}

/// Each group, and the corner over the row numbers, drawn as the header sections are.
void GroupHeader::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QHeaderView *header = m_table.horizontalHeader();
    const int left = m_table.verticalHeader()->isVisible() ? m_table.verticalHeader()->width() : 0;
    const int frame = m_table.frameWidth();
    const auto draw = [&](const QRect &rect, const QString &text) {
        QStyleOptionHeader option;
        option.initFrom(this);
        option.rect = rect;
        option.text = text;
        option.textAlignment = Qt::AlignCenter;
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    };
    if (left > 0)
        draw(QRect(0, 0, left + frame, height()), m_corner);
    painter.setClipRect(QRect(left + frame, 0, width() - left - frame, height()));
    // Columns outside every group get an empty section: their title stands in the row below.
    for (int column = 0; column < header->count(); ++column) {
        Group span{column, column, QString()};
        for (const Group &group : m_groups) {
            if (column >= group.firstColumn && column <= group.lastColumn)
                span = group;
        }
        if (column != span.firstColumn)
            continue;
        const int x = header->sectionViewportPosition(span.firstColumn);
        const int end =
            header->sectionViewportPosition(span.lastColumn) + header->sectionSize(span.lastColumn);
        draw(QRect(left + frame + x, 0, end - x, height()), span.text);
    }
}
