#include "ChartFeed.h"

#include "RunAlignment.h"

#include <cmath>
#include <limits>
#include <qcustomplot.h>

ChartFeed::ChartFeed(QCustomPlot &plot, const TrendData &data, const Graphs &graphs,
                     const Graphs &comparisonGraphs)
    : m_plot(plot), m_data(data), m_graphs(graphs), m_comparisonGraphs(comparisonGraphs)
{}

void ChartFeed::setComparison(const TrendData *data, const RunAlignment *alignment)
{
    m_comparison = data;
    m_alignment = alignment;
}

bool ChartFeed::comparing() const
{
    return m_comparison && m_alignment && m_alignment->isValid();
}

/// The samples at the visible axis positions, one more on each side so lines run to the edges.
std::pair<qsizetype, qsizetype> ChartFeed::visibleRange() const
{
    const QCPRange range = m_plot.xAxis->range();
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::floor(range.lower)));
    const qsizetype last = std::min(m_data.size(), qsizetype(std::ceil(range.upper)) + 1);
    return {first, last};
}

void ChartFeed::feed()
{
    const auto [first, last] = visibleRange();
    const int columns = std::max(1, m_plot.axisRect()->width());
    m_visibleGaps = m_data.gapsIn(first, last);
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_data.decimate(s, first, last, columns, m_xs, m_ys);
        breakAtGaps(m_visibleGaps, m_xs, m_ys);
        m_graphs[s]->setData(QVector<double>(m_xs.begin(), m_xs.end()),
                             QVector<double>(m_ys.begin(), m_ys.end()), true);
    }
    feedComparison(columns);
}

/// The compared run's samples over the same elapsed time, thinned like the first run's and put
/// at the positions of their elapsed times.
void ChartFeed::feedComparison(int columns)
{
    if (!comparing())
        return;
    const QCPRange range = m_plot.xAxis->range();
    const auto [first, last] = m_alignment->secondAround(m_alignment->elapsedAt(range.lower),
                                                         m_alignment->elapsedAt(range.upper));
    const std::vector<qsizetype> gaps = m_comparison->gapsIn(first, last);
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (!m_comparisonGraphs[s]->visible())
            continue;
        m_comparison->decimate(s, first, last, columns, m_xs, m_ys);
        breakAtGaps(gaps, m_xs, m_ys);
        for (double &x : m_xs)
            x = m_alignment->positionOfSecond(x);
        m_comparisonGraphs[s]->setData(QVector<double>(m_xs.begin(), m_xs.end()),
                                       QVector<double>(m_ys.begin(), m_ys.end()), true);
    }
}

MinMax ChartFeed::visibleValues() const
{
    const auto [first, last] = visibleRange();
    MinMax all;
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (m_graphs[s]->visible())
            all.include(m_data.range(s, first, last));
    }
    if (!comparing())
        return all;
    const QCPRange range = m_plot.xAxis->range();
    const auto [a, b] = m_alignment->secondAround(m_alignment->elapsedAt(range.lower),
                                                  m_alignment->elapsedAt(range.upper));
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (m_comparisonGraphs[s]->visible())
            all.include(m_comparison->range(s, a, b));
    }
    return all;
}

void ChartFeed::breakAtGaps(const std::vector<qsizetype> &gaps, std::vector<double> &xs,
                            std::vector<double> &ys)
{
    if (gaps.empty())
        return;
    std::vector<double> brokenXs;
    std::vector<double> brokenYs;
    brokenXs.reserve(xs.size() + gaps.size());
    brokenYs.reserve(ys.size() + gaps.size());
    auto gap = gaps.cbegin();
    for (size_t i = 0; i < xs.size(); ++i) {
        for (; gap != gaps.cend() && double(*gap) - 0.5 < xs[i]; ++gap) {
            brokenXs.push_back(double(*gap) - 0.5);
            brokenYs.push_back(std::numeric_limits<double>::quiet_NaN());
        }
        brokenXs.push_back(xs[i]);
        brokenYs.push_back(ys[i]);
    }
    xs.swap(brokenXs);
    ys.swap(brokenYs);
}
