#pragma once

#include "TrendData.h"

#include <array>
#include <optional>
#include <utility>

/// Figures of a range of a trend: per series the count, the extremes with where they are, the
/// mean, the population standard deviation and, given a limit, the time spent above and below
/// it (each sample holds its value until the next one; a gap in the recording counts for
/// nothing, nor does the range's last sample).
struct SeriesStatistics
{
    qsizetype count = 0;
    float min = 0;
    float max = 0;
    qsizetype minIndex = -1;
    qsizetype maxIndex = -1;
    double mean = 0;
    double stddev = 0;
    double secondsAbove = 0;
    double secondsBelow = 0;
};

namespace TrendStatistics {

using All = std::array<SeriesStatistics, TrendData::SeriesCount>;

/// Over samples [first, last) of the data.
All over(const TrendData &data, qsizetype first, qsizetype last, std::optional<double> limit);
/// The samples [first, last) whose times lie from `from` to `to`, both included (the samples
/// ascend in time); nullopt when none does.
std::optional<std::pair<qsizetype, qsizetype>> samplesBetween(const TrendData &data, qint32 from,
                                                              qint32 to);

} // namespace TrendStatistics
