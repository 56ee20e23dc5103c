#include "TwoRowHeader.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QTableView>

TwoRowHeader::TwoRowHeader(const QList<Group> &groups, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent), m_groups(groups)
{
    setSectionsClickable(false);
}

void TwoRowHeader::install(QTableView &table, const QString &corner)
{
    table.setHorizontalHeader(this);
    m_corner = corner;
    // QTableView's corner is a button without a caption: paint one on it.
    m_cornerButton = table.findChild<QAbstractButton *>();
    if (m_cornerButton)
        m_cornerButton->installEventFilter(this);
}

const TwoRowHeader::Group *TwoRowHeader::groupOf(int column) const
{
    for (const Group &group : m_groups) {
        if (column >= group.firstColumn && column <= group.lastColumn)
            return &group;
    }
    return nullptr;
}

QSize TwoRowHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(2 * fontMetrics().height() + 12);
    return size;
}

/// Wide enough for the column's own caption; the group's caption is shared by its columns.
QSize TwoRowHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    size.setHeight(sizeHint().height());
    return size;
}

void TwoRowHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const QString caption =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const Group *group = groupOf(logicalIndex);
    if (!group) {
        drawCell(painter, rect, caption);
        return;
    }
    const int half = rect.height() / 2;
    // The group's cell spans all its columns; each column paints its own slice of it.
    const int left = sectionViewportPosition(group->firstColumn);
    const int right = sectionViewportPosition(group->lastColumn) + sectionSize(group->lastColumn);
    painter->save();
    painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), half));
    drawCell(painter, QRect(left, rect.top(), right - left, half), group->text);
    painter->restore();
    drawCell(painter, QRect(rect.left(), rect.top() + half, rect.width(), rect.height() - half),
             caption);
}

void TwoRowHeader::drawCell(QPainter *painter, const QRect &rect, const QString &text) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.text = text;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::Middle;
    option.state = QStyle::State_Enabled | QStyle::State_Raised;
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
}

bool TwoRowHeader::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_cornerButton || event->type() != QEvent::Paint)
        return QHeaderView::eventFilter(watched, event);
    QPainter painter(m_cornerButton);
    QStyleOptionHeader option;
    option.initFrom(m_cornerButton);
    option.rect = m_cornerButton->rect();
    option.text = m_corner;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state = QStyle::State_Enabled | QStyle::State_Raised;
    m_cornerButton->style()->drawControl(QStyle::CE_Header, &option, &painter, m_cornerButton);
    return true;
}
