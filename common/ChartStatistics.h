#pragma once

#include "TrendStatistics.h"

#include <QStringList>
#include <optional>
#include <qcustomplot.h>

class TrendChart;

/// The figures of a range of a trend chart's samples, per shown series (and per shown series of
/// a compared run): count, extremes with their times, mean, population standard deviation and,
/// given a limit, the time above and below it. The range is the one between cursors A and B
/// when both are set, else the visible one. Drawn as a table over the plot beside the cursors'
/// readout, so it follows zoom, scroll and cursors and prints with the chart. Each figure comes
/// from the samples' pyramids: a redraw costs the same for a range of millions of samples.
class ChartStatistics : public QCPLayerable
{
public:
    ChartStatistics(QCustomPlot *plot, const TrendChart &chart);

    void setLimit(std::optional<double> limit) { m_limit = limit; }
    std::optional<double> limit() const { return m_limit; }

    /// Samples [first, last) of the chart's run the figures are taken over.
    std::pair<qsizetype, qsizetype> range() const;
    /// The table as it is drawn: a header row, then a row per shown series.
    QList<QStringList> rows() const;

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override;
    void draw(QCPPainter *painter) override;

private:
    /// Seconds since the runs' first records the compared run's figures are taken over.
    std::pair<double, double> elapsedRange() const;
    QStringList header() const;
    QStringList row(const QString &name, const TrendData &data, const SeriesStatistics &s) const;
    QColor color(int row, int column) const;

    const TrendChart &m_chart;
    std::optional<double> m_limit;
};
