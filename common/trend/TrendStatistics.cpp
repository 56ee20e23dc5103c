#include "TrendStatistics.h"

#include <cmath>
#include <limits>

namespace TrendStatistics {

/// Each figure from the data's pyramids: the cost does not grow with the length of the range.
All over(const TrendData &data, qsizetype first, qsizetype last, std::optional<double> limit)
{
    All all;
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, data.size());
    if (first >= last)
        return all;
    for (int series = 0; series < TrendData::SeriesCount; ++series) {
        SeriesStatistics &s = all[size_t(series)];
        const Moments moments = data.moments(series, first, last);
        if (moments.count == 0)
            continue;
        const MinMax extremes = data.range(series, first, last);
        s.count = moments.count;
        s.min = extremes.min;
        s.max = extremes.max;
        s.minIndex = data.firstIndexOf(series, first, last, extremes.min);
        s.maxIndex = data.firstIndexOf(series, first, last, extremes.max);
        // The moments are in tenths from the series' origin.
        const double meanTenths = moments.sum / double(moments.count);
        s.mean = data.origin(series) + meanTenths / 10.0;
        s.stddev = std::sqrt(std::max(0.0, moments.squares / double(moments.count) -
                                               meanTenths * meanTenths)) /
                   10.0;
        if (limit) {
            // The range's last sample holds its value past the range: it counts nothing.
            const LimitSeconds seconds = data.limitSeconds(series, first, last - 1, *limit);
            s.secondsAbove = double(seconds.above);
            s.secondsBelow = double(seconds.below);
        }
    }
    return all;
}

std::optional<std::pair<qsizetype, qsizetype>> samplesBetween(const TrendData &data, qint32 from,
                                                              qint32 to)
{
    const qsizetype first = data.firstAtOrAfter(from);
    const qsizetype last =
        to == std::numeric_limits<qint32>::max() ? data.size() : data.firstAtOrAfter(to + 1);
    if (first >= last)
        return std::nullopt;
    return std::pair{first, last};
}

} // namespace TrendStatistics
