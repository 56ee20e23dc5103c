#pragma once

#include "ChartTable.h"
#include "TrendStatistics.h"

#include <QStringList>
#include <array>
#include <optional>

class RunAlignment;

/// The figures of a range of a trend chart's samples, per shown series (and per shown series of
/// a compared run): count, extremes with their times, mean, population standard deviation and,
/// given a limit, the time above and below it. The range is the one between cursors A and B
/// when both are set, else the visible one. Each figure comes from the samples' pyramids: a
/// redraw costs the same for a range of millions of samples.
namespace ChartStatistics {

/// What the figures are taken from, as the chart stands.
struct Input
{
    const TrendData *data = nullptr;
    std::optional<qsizetype> cursorA;
    std::optional<qsizetype> cursorB;
    /// The visible range on the axis.
    double xFirst = 0;
    double xLast = 0;
    std::array<bool, TrendData::SeriesCount> shown{};
    std::array<QString, TrendData::SeriesCount> names;
    std::array<QColor, TrendData::SeriesCount> colors;
    /// The compared run and how it lies over the chart's; nullptr without a comparison.
    const TrendData *compared = nullptr;
    const RunAlignment *alignment = nullptr;
    std::optional<double> limit;
};

/// Samples [first, last) of the chart's run the figures are taken over.
std::pair<qsizetype, qsizetype> range(const Input &input);
/// The table: a header row, then a row per shown series (and per shown compared series); empty
/// when there is nothing to take figures of.
QList<QStringList> rows(const Input &input);
/// The table with its colours: series names in the series' colours.
ChartTable::Table table(const Input &input);

} // namespace ChartStatistics
