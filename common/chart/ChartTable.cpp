#include "ChartTable.h"

#include <QFontMetrics>
#include <qcustomplot.h>

namespace ChartTable {

namespace {

QList<int> columnWidths(const QFontMetrics &metrics, const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows) {
        if (widths.size() < row.size())
            widths.resize(row.size(), 0);
        for (int c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(row[c]) + 2 * CellPadding);
    }
    return widths;
}

} // namespace

QString comparedName(const QString &seriesName)
{
    return QStringLiteral("%1 (비교)").arg(seriesName);
}

QSize sizeOf(const QFont &font, const QList<QStringList> &rows)
{
    const QFontMetrics metrics(font);
    int width = 0;
    for (int w : columnWidths(metrics, rows))
        width += w;
    return {width, (metrics.height() + CellPadding) * int(rows.size())};
}

void draw(QCPPainter *painter, const QPoint &origin, const QFont &font,
          const QList<QStringList> &rows, int leftColumns,
          const std::function<QColor(int, int)> &color)
{
    const QFontMetrics metrics(font);
    const QList<int> widths = columnWidths(metrics, rows);
    const int rowHeight = metrics.height() + CellPadding;
    painter->setFont(font);
    painter->setPen(QPen(QColor(160, 160, 160), 1));
    painter->setBrush(QColor(255, 255, 255, 235));
    painter->drawRect(QRect(origin, sizeOf(font, rows)));
    for (int r = 0; r < rows.size(); ++r) {
        int x = origin.x();
        for (int c = 0; c < rows[r].size(); ++c) {
            const QRect cell(x + CellPadding, origin.y() + r * rowHeight,
                             widths[c] - 2 * CellPadding, rowHeight);
            painter->setPen(color(r, c));
            painter->drawText(cell,
                              (c < leftColumns ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                              rows[r][c]);
            x += widths[c];
        }
    }
}

} // namespace ChartTable
