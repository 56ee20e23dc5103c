#pragma once

#include "ChartTable.h"

#include <QObject>
#include <QPointF>
#include <QRect>
#include <functional>
#include <optional>
#include <vector>

class QCustomPlot;
class QMouseEvent;

/// The tables over a chart's plot (the cursors' readout, the range statistics) as one panel:
/// side by side, or one below the other when both do not fit across. The panel stands in the
/// corner of the plot that the drawn lines cross least, or where the operator dragged it (kept
/// as a share of the plot, so it stands in the same place on paper); a double-click on it puts
/// it back in its corner. A small button at its top right folds the tables to their header rows.
/// Presses on the panel move or fold it and place no cursor and start no zoom.
class ChartTablePanel : public QObject
{
    Q_OBJECT

public:
    /// tables gives the tables to draw, first to last; an empty table is left out.
    ChartTablePanel(QCustomPlot *plot, std::function<std::vector<ChartTable::Table>()> tables);

    void setFolded(bool folded);
    bool isFolded() const { return m_folded; }
    /// Where the operator put the panel, as a share of the plot from its top left corner;
    /// nullopt: in the corner the lines cross least.
    std::optional<QPointF> placement() const { return m_placement; }
    void setPlacement(std::optional<QPointF> placement);

    /// Where the panel and its fold button stood when last drawn on screen (empty: not drawn).
    QRect panelRect() const { return m_panel; }
    QRect foldButtonRect() const { return m_foldButton; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Layer;
    struct Layout
    {
        std::vector<ChartTable::Table> tables;
        std::vector<QPoint> origins;
        QRect panel;
        QRect foldButton;
    };
    /// The panel laid out on the plot as it now stands.
    Layout layout() const;
    /// The panel's size at (0, 0): tables, then the fold button at the right of the first.
    Layout layoutAtOrigin() const;
    QPoint topLeftFor(const QSize &size) const;
    /// How many segments of the visible lines pass through rect.
    int linesThrough(const QRectF &rect) const;
    bool press(QMouseEvent *event);
    bool move(QMouseEvent *event);
    void showPointer(const QPoint &at);

    QCustomPlot *m_plot;
    std::function<std::vector<ChartTable::Table>()> m_tables;
    bool m_folded = false;
    std::optional<QPointF> m_placement;
    QRect m_panel;
    QRect m_foldButton;
    /// While dragging: the press position inside the panel.
    std::optional<QPoint> m_grab;
    /// The press was on the fold button, or a double-click: the panel does not move.
    bool m_holdStill = false;
};
