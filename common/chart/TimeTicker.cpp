#include "TimeTicker.h"

#include "RunAlignment.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace {

qint64 ceilTo(qint64 value, qint64 step)
{
    const qint64 down = value >= 0 ? value / step * step : -((-value + step - 1) / step) * step;
    return down == value ? value : down + step;
}

} // namespace

TimeTicker::TimeTicker(const TrendData &data, const std::unique_ptr<RunAlignment> &alignment)
    : m_data(data), m_alignment(alignment)
{
    setTickCount(6);
}

void TimeTicker::setRoom(int pixels, const QFont &font)
{
    m_pixels = pixels;
    m_font = font;
}

void TimeTicker::generate(const QCPRange &range, const QLocale &, QChar, int,
                          QVector<double> &ticks, QVector<double> *subTicks,
                          QVector<QString> *tickLabels)
{
    ticks.clear();
    if (subTicks)
        subTicks->clear();
    if (tickLabels)
        tickLabels->clear();
    bool withDates = false;
    std::vector<Tick> kept =
        m_alignment && m_alignment->isValid() ? elapsedTicks(range) : clockTicks(range, withDates);
    kept = keepApart(std::move(kept), range, withDates);
    if (withDates)
        addDates(kept);
    for (const Tick &tick : kept) {
        ticks.append(tick.x);
        if (tickLabels)
            tickLabels->append(tick.label);
    }
}

std::vector<TimeTicker::Tick> TimeTicker::clockTicks(const QCPRange &range,
                                                     bool &crossesMidnight) const
{
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::ceil(range.lower)));
    const qsizetype last = std::min(m_data.size() - 1, qsizetype(std::floor(range.upper)));
    const qsizetype from = timedIndex(first, last, +1);
    const qsizetype to = timedIndex(last, first, -1);
    if (from < 0 || to < 0 || from > to)
        return {};
    const qint32 t0 = m_data.time(from);
    const qint32 t1 = std::max(t0, m_data.time(to));
    const std::vector<qsizetype> gaps = m_data.gapsIn(from, to + 1);
    const qint64 step = stepFor(recordedSeconds(t0, t1, gaps));
    crossesMidnight = TrendData::dayOf(t0) != TrendData::dayOf(t1);
    std::vector<Tick> ticks;
    double previous = -1;
    for (qint64 round = ceilTo(t0, step); round <= t1; round += step) {
        Tick tick{0, qint32(round), {}, false};
        if (const std::optional<double> x = placeOf(tick.time, from, to, gaps)) {
            tick.x = *x;
        } else {
            // In a gap that ends before the next round time: the tick goes to the first record
            // after the gap, with that record's own time.
            const std::optional<qsizetype> resumed = resumptionAfter(tick.time, from, to, gaps);
            if (!resumed || m_data.time(*resumed) - round >= step)
                continue;
            tick = {double(*resumed), m_data.time(*resumed), {}, true};
        }
        if (tick.x <= previous)
            continue;
        previous = tick.x;
        const bool whole = step % 60 == 0 && TrendData::secondOfDay(tick.time) % 60 == 0;
        tick.label =
            whole ? TrendData::timeText(tick.time).left(5) : TrendData::timeText(tick.time);
        ticks.push_back(tick);
    }
    return ticks;
}

/// Two runs compared: round spans of time since their first records, as "h:mm" (with seconds
/// when the step is shorter than a minute).
std::vector<TimeTicker::Tick> TimeTicker::elapsedTicks(const QCPRange &range) const
{
    const double from = std::max(0.0, m_alignment->elapsedAt(range.lower));
    const double to = m_alignment->elapsedAt(range.upper);
    if (to < from)
        return {};
    const qint64 step = stepFor(qint64(to - from));
    std::vector<Tick> ticks;
    for (qint64 seconds = ceilTo(qint64(std::ceil(from)), step); seconds <= to; seconds += step) {
        QString label = QStringLiteral("%1:%2")
                            .arg(seconds / 3600)
                            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
        if (step < 60)
            label += QStringLiteral(":%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
        ticks.push_back({m_alignment->positionOf(double(seconds)), qint32(seconds), label, false});
    }
    return ticks;
}

/// Ticks that name a gap's own time are placed first, then the rest from left to right; a tick
/// whose label would touch one already placed is dropped.
std::vector<TimeTicker::Tick> TimeTicker::keepApart(std::vector<Tick> ticks, const QCPRange &range,
                                                    bool withDates) const
{
    if (m_pixels <= 0 || range.size() <= 0 || ticks.size() < 2)
        return ticks;
    const QFontMetricsF metrics(m_font);
    const double pixelsPerUnit = m_pixels / range.size();
    const double spacing = metrics.horizontalAdvance(QStringLiteral("  "));
    const double dateWidth = withDates ? metrics.horizontalAdvance(QStringLiteral("00-00")) : 0;
    auto halfWidth = [&](const Tick &tick) {
        return std::max(metrics.horizontalAdvance(tick.label), dateWidth) / 2;
    };
    std::vector<size_t> order(ticks.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&ticks](size_t a, size_t b) {
        return ticks[a].resumesRecording && !ticks[b].resumesRecording;
    });
    std::vector<size_t> placed;
    for (size_t i : order) {
        const bool clear = std::none_of(placed.cbegin(), placed.cend(), [&](size_t j) {
            const double apart = std::abs(ticks[i].x - ticks[j].x) * pixelsPerUnit;
            return apart < halfWidth(ticks[i]) + halfWidth(ticks[j]) + spacing;
        });
        if (clear)
            placed.push_back(i);
    }
    std::sort(placed.begin(), placed.end());
    std::vector<Tick> kept;
    kept.reserve(placed.size());
    for (size_t i : placed)
        kept.push_back(ticks[i]);
    return kept;
}

void TimeTicker::addDates(std::vector<Tick> &ticks)
{
    int previousDay = std::numeric_limits<int>::min();
    for (Tick &tick : ticks) {
        const int day = TrendData::dayOf(tick.time);
        if (day != previousDay)
            tick.label += QLatin1Char('\n') + TrendData::dateText(tick.time);
        previousDay = day;
    }
}

/// The nearest index from start towards end (direction +1 or -1) whose sample has a time.
qsizetype TimeTicker::timedIndex(qsizetype start, qsizetype end, int direction) const
{
    for (qsizetype i = start; direction > 0 ? i <= end : i >= end; i += direction) {
        if (m_data.time(i) != TrendData::NoTime)
            return i;
    }
    return -1;
}

/// Where time t stands on the axis: at the sample of that time, or between the two samples
/// around it in proportion to their times; nowhere inside a gap of the recording.
std::optional<double> TimeTicker::placeOf(qint32 t, qsizetype from, qsizetype to,
                                          const std::vector<qsizetype> &gaps) const
{
    const qsizetype after = firstAtOrAfter(t, from, to);
    const qint32 afterTime = m_data.time(after);
    if (afterTime == t)
        return double(after);
    if (after == from || afterTime < t || std::binary_search(gaps.cbegin(), gaps.cend(), after))
        return std::nullopt;
    const qint32 beforeTime = m_data.time(after - 1);
    if (beforeTime == TrendData::NoTime || afterTime == TrendData::NoTime || beforeTime > t)
        return std::nullopt;
    return double(after - 1) + double(t - beforeTime) / double(afterTime - beforeTime);
}

/// The first record after the gap that time t falls in; nullopt when t is in no gap.
std::optional<qsizetype> TimeTicker::resumptionAfter(qint32 t, qsizetype from, qsizetype to,
                                                     const std::vector<qsizetype> &gaps) const
{
    const qsizetype after = firstAtOrAfter(t, from, to);
    if (m_data.time(after) <= t || !std::binary_search(gaps.cbegin(), gaps.cend(), after))
        return std::nullopt;
    return after;
}

/// The seconds the samples between t0 and t1 cover, the gaps left out.
qint64 TimeTicker::recordedSeconds(qint32 t0, qint32 t1, const std::vector<qsizetype> &gaps) const
{
    qint64 seconds = qint64(t1) - t0;
    for (qsizetype gap : gaps) {
        const qint64 jump = qint64(m_data.time(gap)) - m_data.time(gap - 1);
        if (jump > 0)
            seconds -= jump;
    }
    return std::max<qint64>(seconds, 0);
}

/// The first sample in [from, to] whose time is at or after t (times rise with the index; where
/// they do not, some sample near t).
qsizetype TimeTicker::firstAtOrAfter(qint32 t, qsizetype from, qsizetype to) const
{
    qsizetype lo = from;
    qsizetype hi = to;
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (m_data.time(mid) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

/// The smallest round step that puts at most tickCount() ticks on the span.
qint64 TimeTicker::stepFor(qint64 span) const
{
    static constexpr std::array<qint64, 27> Steps = {
        1,          2,          5,          10,         15,          30,         60,
        120,        300,        600,        900,        1800,        3600,       7200,
        10800,      21600,      43200,      86400,      2 * 86400,   5 * 86400,  7 * 86400,
        14 * 86400, 30 * 86400, 60 * 86400, 91 * 86400, 182 * 86400, 365 * 86400};
    for (qint64 step : Steps) {
        if (span / step < tickCount())
            return step;
    }
    return Steps.back();
}
