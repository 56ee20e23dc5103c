#pragma once

#include "ChartTable.h"
#include "CursorReadout.h"
#include "TrendData.h"

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTimer>
#include <array>
#include <optional>

class QCPGraph;
class RunAlignment;
class QCPItemStraightLine;
class QCPItemText;
class QCPLayer;
class QCustomPlot;
class QMouseEvent;

/// The readout cursors of a trend chart. While the mouse is over the plot, a vertical line
/// stands at the nearest record with its time and values (read from the samples, not from the
/// drawn points). A click places cursor A, the next B, a further click moves the nearer one; a
/// right-click removes the nearer one. A table of both records and B - A (time, each series'
/// difference, degrees per minute) stands in the chart's table panel. Cursors keep to their
/// records through zoom and scroll and print with the chart; the hover line does not print.
class ChartCursors : public QObject
{
    Q_OBJECT

public:
    enum Which { A = 0, B = 1 };

    ChartCursors(QCustomPlot *plot, const TrendData &data,
                 const std::array<QCPGraph *, TrendData::SeriesCount> &graphs);

    /// A second run compared with the chart's: the hover line and the table also read its
    /// records at the same elapsed time. nullptr data ends the comparison.
    void setComparison(const TrendData *data, const RunAlignment *alignment,
                       const std::array<QCPGraph *, TrendData::SeriesCount> &graphs);

    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    std::optional<qsizetype> cursor(Which which) const { return m_cursors[which]; }
    void setCursor(Which which, std::optional<qsizetype> index);
    /// Removes both cursors (a new file is shown).
    void clear();
    CursorReadout readout() const;
    /// Takes the hover line away (before printing, or when the mouse leaves).
    void hideHover();
    /// Puts the cursor items where their records are drawn now (after the data or range changed).
    void update();

    /// The readout table as it is drawn: a header row, then A, B, B-A and the rate per minute.
    QList<QStringList> tableRows() const;
    /// The readout table with its colours, as the chart's table panel draws it.
    ChartTable::Table table() const;

signals:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onMove(QMouseEvent *event);
    void onPress(QMouseEvent *event);
    void onRelease(QMouseEvent *event);
    void onDoubleClick();
    /// The record drawn nearest to pixel column x; nullopt without records.
    std::optional<qsizetype> recordAt(double x) const;
    void place(qsizetype index);
    void removeNearest(qsizetype index);
    QString valuesText(const CursorReadout::Record &record) const;
    QColor tableColor(int row, int column) const;
    /// The shown series: first the chart's run's (0-2), then the compared run's (3-5).
    QList<int> shownSeries() const;
    QCPGraph *graphOf(int shownSeries) const;
    /// A shown series' name in the table and the hover line.
    QString seriesTitle(int shownSeries) const;
    /// The compared run's readout at the records at the elapsed times of the cursors'.
    CursorReadout comparedReadout() const;

    QCustomPlot *m_plot;
    const TrendData &m_data;
    const std::array<QCPGraph *, TrendData::SeriesCount> m_graphs;
    const TrendData *m_compared = nullptr;
    const RunAlignment *m_alignment = nullptr;
    std::array<QCPGraph *, TrendData::SeriesCount> m_comparedGraphs{};
    QCPLayer *m_hoverLayer = nullptr;
    QCPItemStraightLine *m_hoverLine = nullptr;
    QCPItemText *m_hoverText = nullptr;
    std::array<QCPItemStraightLine *, 2> m_lines{};
    std::array<QCPItemText *, 2> m_labels{};
    std::array<std::optional<qsizetype>, 2> m_cursors;
    bool m_enabled = false;
    QPoint m_pressPos;
    /// A click places a cursor once it is clear it is not the first half of a double click
    /// (which shows the whole time span).
    QTimer m_clickDelay;
    qsizetype m_clickedRecord = 0;
    /// The release that ends a double click places nothing.
    bool m_afterDoubleClick = false;
};
