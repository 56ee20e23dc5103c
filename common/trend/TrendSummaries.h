#pragma once

#include <QtGlobal>
#include <algorithm>
#include <limits>

/// The smallest and largest value of a run of samples; empty when min > max.
struct MinMax
{
    float min = std::numeric_limits<float>::infinity();
    float max = -std::numeric_limits<float>::infinity();

    bool isEmpty() const { return min > max; }
    void include(float v)
    {
        min = std::min(min, v);
        max = std::max(max, v);
    }
    void include(const MinMax &other)
    {
        min = std::min(min, other.min);
        max = std::max(max, other.max);
    }
};

/// Count, sum and sum of squares of a run of values, each value taken in tenths from an origin
/// (so whole tenths add up exactly).
struct Moments
{
    qsizetype count = 0;
    double sum = 0;
    double squares = 0;

    void include(const Moments &other)
    {
        count += other.count;
        sum += other.sum;
        squares += other.squares;
    }
};

/// Seconds a run of samples held values above and below a limit.
struct LimitSeconds
{
    qint64 above = 0;
    qint64 below = 0;

    void include(const LimitSeconds &other)
    {
        above += other.above;
        below += other.below;
    }
};
