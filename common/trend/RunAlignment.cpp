#include "RunAlignment.h"

#include "TrendStatistics.h"

#include <algorithm>
#include <cmath>

RunAlignment::RunAlignment(const TrendData &first, const TrendData &second)
    : m_first(first), m_second(second)
{
    const qsizetype a = firstTimed(first);
    const qsizetype b = firstTimed(second);
    m_valid = a >= 0 && b >= 0;
    if (!m_valid)
        return;
    m_firstStart = first.time(a);
    m_secondStart = second.time(b);
    const qint32 end = first.time(first.size() - 1);
    if (end != TrendData::NoTime && first.size() > 1 && end > m_firstStart)
        m_step = std::max(1.0, double(end - m_firstStart) / double(first.size() - 1));
}

qsizetype RunAlignment::firstTimed(const TrendData &data)
{
    // Untimed records are rare: a short look covers them.
    for (qsizetype i = 0; i < std::min<qsizetype>(data.size(), 1000); ++i) {
        if (data.time(i) != TrendData::NoTime)
            return i;
    }
    return -1;
}

double RunAlignment::elapsedAt(double x) const
{
    const qsizetype last = m_first.size() - 1;
    if (!m_valid || x <= 0 || last < 1)
        return x * m_step;
    if (x >= double(last)) {
        const qint32 end = m_first.time(last);
        const double atEnd = end == TrendData::NoTime ? double(last) * m_step : end - m_firstStart;
        return atEnd + (x - double(last)) * m_step;
    }
    const auto i = qsizetype(std::floor(x));
    const qint32 t0 = m_first.time(i);
    const qint32 t1 = m_first.time(i + 1);
    if (t0 == TrendData::NoTime || t1 == TrendData::NoTime || t1 < t0)
        return x * m_step;
    return double(t0 - m_firstStart) + (x - double(i)) * double(t1 - t0);
}

double RunAlignment::positionOf(double seconds) const
{
    const qsizetype last = m_first.size() - 1;
    if (!m_valid || seconds <= 0 || last < 1)
        return seconds / m_step;
    const double end = elapsedAt(double(last));
    if (seconds >= end)
        return double(last) + (seconds - end) / m_step;
    const double t = double(m_firstStart) + seconds;
    const qsizetype after = m_first.firstAtOrAfter(qint32(std::ceil(t)));
    if (after <= 0 || after > last)
        return std::clamp(seconds / m_step, 0.0, double(last));
    const qint32 t1 = m_first.time(after);
    const qint32 t0 = m_first.time(after - 1);
    if (t0 == TrendData::NoTime || t1 <= t0)
        return double(after);
    return double(after - 1) + std::clamp((t - t0) / double(t1 - t0), 0.0, 1.0);
}

double RunAlignment::secondElapsed(double index) const
{
    const qsizetype last = m_second.size() - 1;
    const qsizetype i = std::clamp<qsizetype>(qsizetype(std::floor(index)), 0, last);
    const qint32 t0 = m_second.time(i);
    if (t0 == TrendData::NoTime)
        return index * m_step;
    double seconds = t0 - m_secondStart;
    if (i < last && index > double(i)) {
        const qint32 t1 = m_second.time(i + 1);
        if (t1 != TrendData::NoTime && t1 >= t0)
            seconds += (index - double(i)) * double(t1 - t0);
    }
    return seconds;
}

double RunAlignment::positionOfSecond(double index) const
{
    return positionOf(secondElapsed(index));
}

std::pair<qsizetype, qsizetype> RunAlignment::secondAround(double from, double to) const
{
    if (!m_valid || m_second.isEmpty())
        return {0, 0};
    const qsizetype first = m_second.firstAtOrAfter(qint32(std::floor(m_secondStart + from)));
    const qsizetype last = m_second.firstAtOrAfter(qint32(std::ceil(m_secondStart + to)) + 1);
    return {std::max<qsizetype>(first - 1, 0), std::min(last + 1, m_second.size())};
}

std::optional<std::pair<qsizetype, qsizetype>> RunAlignment::secondBetween(double from,
                                                                           double to) const
{
    if (!m_valid)
        return std::nullopt;
    return TrendStatistics::samplesBetween(m_second, qint32(std::ceil(m_secondStart + from)),
                                           qint32(std::floor(m_secondStart + to)));
}

std::optional<qsizetype> RunAlignment::secondAt(double x) const
{
    if (!m_valid || m_second.isEmpty())
        return std::nullopt;
    const double t = m_secondStart + elapsedAt(x);
    const qsizetype after = m_second.firstAtOrAfter(qint32(std::ceil(t)));
    if (t < m_secondStart - m_step / 2)
        return std::nullopt;
    if (after >= m_second.size()) {
        const qsizetype last = m_second.size() - 1;
        const qint32 end = m_second.time(last);
        return end != TrendData::NoTime && t <= end + m_step / 2 ? std::optional(last)
                                                                 : std::nullopt;
    }
    if (after == 0)
        return qsizetype(0);
    const qint32 before = m_second.time(after - 1);
    return before != TrendData::NoTime && t - before < m_second.time(after) - t ? after - 1 : after;
}

double RunAlignment::secondEnd() const
{
    return m_second.isEmpty() ? 0 : positionOfSecond(double(m_second.size() - 1));
}
