#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <functional>

class QCPPainter;

/// A small table drawn over a chart's plot (the cursors' readout, the range statistics): rows of
/// cells in one font, on a white, slightly see-through ground with a thin frame.
namespace ChartTable {

/// Room around each cell's text, in pixels.
constexpr int CellPadding = 4;

/// A table as drawn: its rows (the first is its header), how many columns from the left are
/// aligned left, and each cell's text colour.
struct Table
{
    QList<QStringList> rows;
    int leftColumns = 1;
    std::function<QColor(int, int)> color;
};

/// A compared run's series as the tables name it (the legend names the run's file):
/// "제어온도 (비교)".
QString comparedName(const QString &seriesName);

/// The table's size in the font.
QSize sizeOf(const QFont &font, const QList<QStringList> &rows);
/// Draws the rows with their top left corner at origin; the first `leftColumns` columns are
/// aligned left, the rest right; color(row, column) gives each cell's text colour.
void draw(QCPPainter *painter, const QPoint &origin, const QFont &font,
          const QList<QStringList> &rows, int leftColumns,
          const std::function<QColor(int, int)> &color);

} // namespace ChartTable
