#pragma once

#include "TrendData.h"

#include <array>
#include <vector>

class QCPGraph;
class QCustomPlot;
class RunAlignment;

/// What the plot's graphs are handed at each redraw: the samples of the visible time range,
/// thinned to the plot's width in pixels and broken at the recording's gaps, for the chart's
/// run and for a compared run placed at its elapsed times; and the values those visible samples
/// span, for a value axis that follows them.
class ChartFeed
{
public:
    using Graphs = std::array<QCPGraph *, TrendData::SeriesCount>;

    /// The graphs of each run are the chart's; a hidden graph is neither fed nor measured.
    ChartFeed(QCustomPlot &plot, const TrendData &data, const Graphs &graphs,
              const Graphs &comparisonGraphs);

    /// The compared run and its alignment with the chart's (none: nullptr).
    void setComparison(const TrendData *data, const RunAlignment *alignment);

    /// Hands every visible graph the points of the plot's current time range.
    void feed();
    /// The smallest and largest visible value of the visible graphs of both runs.
    MinMax visibleValues() const;
    /// The chart's gaps in the range last fed.
    const std::vector<qsizetype> &visibleGaps() const { return m_visibleGaps; }

private:
    /// Inserts a point without a value halfway between the samples on either side of each gap
    /// (positions of the sample after it), so the plot draws no line across it.
    static void breakAtGaps(const std::vector<qsizetype> &gaps, std::vector<double> &xs,
                            std::vector<double> &ys);
    void feedComparison(int columns);
    bool comparing() const;
    std::pair<qsizetype, qsizetype> visibleRange() const;

    QCustomPlot &m_plot;
    const TrendData &m_data;
    const Graphs &m_graphs;
    const Graphs &m_comparisonGraphs;
    const TrendData *m_comparison = nullptr;
    const RunAlignment *m_alignment = nullptr;
    std::vector<qsizetype> m_visibleGaps;
    std::vector<double> m_xs;
    std::vector<double> m_ys;
};
