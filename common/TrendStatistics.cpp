#include "TrendStatistics.h"

#include <cmath>
#include <limits>

namespace TrendStatistics {

namespace {

/// The first sample at or after `time` (samples without a time are passed over).
qsizetype firstAtOrAfter(const TrendData &data, qint32 time)
{
    qsizetype low = 0;
    qsizetype high = data.size();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        const qint32 t = data.time(middle);
        if (t == TrendData::NoTime || t < time)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

/// The value as the file wrote it: a float that stands for a whole number of tenths (all the
/// monitor writes) is taken as exactly that many tenths, so 36.9 counts as 36.9, not 36.900002.
double written(float value)
{
    const double tenths = std::round(double(value) * 10.0);
    return std::abs(double(value) * 10.0 - tenths) < 1e-3 ? tenths / 10.0 : double(value);
}

} // namespace

All over(const TrendData &data, qsizetype first, qsizetype last, std::optional<double> limit)
{
    All all;
    const std::vector<qsizetype> gaps = data.gapsIn(first, last);
    for (int series = 0; series < TrendData::SeriesCount; ++series) {
        SeriesStatistics &s = all[size_t(series)];
        // Sums around the first value keep the variance exact for values far from zero.
        double shift = 0;
        double sum = 0;
        double squares = 0;
        size_t nextGap = 0;
        for (qsizetype i = first; i < last; ++i) {
            const float value = data.value(series, i);
            if (std::isnan(value))
                continue;
            if (s.count == 0) {
                shift = written(value);
                s.min = s.max = value;
                s.minIndex = s.maxIndex = i;
            }
            ++s.count;
            const double d = written(value) - shift;
            sum += d;
            squares += d * d;
            if (value < s.min) {
                s.min = value;
                s.minIndex = i;
            }
            if (value > s.max) {
                s.max = value;
                s.maxIndex = i;
            }
            if (!limit || i + 1 >= last)
                continue;
            while (nextGap < gaps.size() && gaps[nextGap] <= i)
                ++nextGap;
            const bool gapAfter = nextGap < gaps.size() && gaps[nextGap] == i + 1;
            const qint32 now = data.time(i);
            const qint32 next = data.time(i + 1);
            if (gapAfter || now == TrendData::NoTime || next == TrendData::NoTime || next < now)
                continue;
            // A value on the limit is neither above nor below it.
            if (value > *limit)
                s.secondsAbove += next - now;
            else if (value < *limit)
                s.secondsBelow += next - now;
        }
        if (s.count > 0) {
            const double meanShifted = sum / double(s.count);
            s.mean = shift + meanShifted;
            s.stddev =
                std::sqrt(std::max(0.0, squares / double(s.count) - meanShifted * meanShifted));
        }
    }
    return all;
}

std::optional<std::pair<qsizetype, qsizetype>> samplesBetween(const TrendData &data, qint32 from,
                                                              qint32 to)
{
    const qsizetype first = firstAtOrAfter(data, from);
    const qsizetype last =
        to == std::numeric_limits<qint32>::max() ? data.size() : firstAtOrAfter(data, to + 1);
    if (first >= last)
        return std::nullopt;
    return std::pair{first, last};
}

} // namespace TrendStatistics
