#include "TrendData.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

TrendData::TrendData() = default;
TrendData::~TrendData() = default;
TrendData::TrendData(TrendData &&) noexcept = default;
TrendData &TrendData::operator=(TrendData &&) noexcept = default;

/// The first chunk is kept for the next samples: a live chart is cleared at every new run.
void TrendData::clear()
{
    m_chunks.resize(std::min<size_t>(m_chunks.size(), 1));
    if (!m_chunks.empty())
        m_chunks.front()->reset();
    m_runs.clear();
    m_labels.clear();
    m_longSteps.clear();
    m_lastTime = NoTime;
    m_size = 0;
    m_untimed = 0;
    m_summarised = 0;
    m_momentsSummarised = 0;
    for (int s = 0; s < SeriesCount; ++s) {
        m_extremes[s].clear();
        m_moments[s].clear();
    }
    m_limit = LimitPyramids();
}

/// Where the next sample goes, its time stored there; its chunk is made when it starts one.
std::pair<TrendData::Chunk &, qsizetype> TrendData::storeNextTime(qint32 time)
{
    if (m_runs.empty())
        m_runs.push_back({0, 0});
    const Run &run = m_runs.back();
    const size_t chunkIndex = run.chunk + size_t((m_size - run.first) / ChunkSize);
    if (chunkIndex == m_chunks.size())
        m_chunks.push_back(std::make_unique<Chunk>());
    Chunk &chunk = *m_chunks[chunkIndex];
    const qsizetype offset = (m_size - run.first) % ChunkSize;
    noteStep(m_lastTime, time, m_size);
    m_lastTime = time;
    chunk.times[offset] = time;
    ++m_size;
    m_untimed += time == NoTime;
    return {chunk, offset};
}

void TrendData::append(qint32 time, const std::array<float, SeriesCount> &values)
{
    const auto [chunk, offset] = storeNextTime(time);
    for (int s = 0; s < SeriesCount; ++s)
        chunk.columns[s].set(offset, values[s]);
}

void TrendData::appendTenths(qint32 time, const std::array<qint16, SeriesCount> &tenths)
{
    const auto [chunk, offset] = storeNextTime(time);
    for (int s = 0; s < SeriesCount; ++s)
        chunk.columns[s].setTenths(offset, tenths[s]);
}

/// Tail's chunks are taken over as they are, each of its runs becoming one of ours: nothing is
/// copied, whatever the size.
void TrendData::append(TrendData &&tail)
{
    for (auto it = tail.m_labels.cbegin();
         it != tail.m_labels.cend() && m_labels.size() < MaxLabels; ++it)
        m_labels.insert(m_size + it.key(), it.value());
    m_untimed += tail.m_untimed;
    if (tail.m_size > 0) {
        noteStep(m_lastTime, tail.time(0), m_size);
        m_lastTime = tail.m_lastTime;
    }
    for (qsizetype index : tail.m_longSteps)
        m_longSteps.push_back(m_size + index);
    for (const Run &run : tail.m_runs)
        m_runs.push_back({m_size + run.first, m_chunks.size() + run.chunk});
    for (auto &chunk : tail.m_chunks)
        m_chunks.push_back(std::move(chunk));
    m_size += tail.m_size;
    tail = TrendData();
}

/// Remembers index when the step to it from the sample before is one a gap may be.
void TrendData::noteStep(qint32 from, qint32 to, qsizetype index)
{
    if (from != NoTime && to != NoTime && (qint64(to) - from >= 2 || to < from))
        m_longSteps.push_back(index);
}

std::optional<qint64> TrendData::stepBefore(qsizetype index) const
{
    if (index < 1 || index >= m_size)
        return std::nullopt;
    const qint32 from = time(index - 1);
    const qint32 to = time(index);
    if (from == NoTime || to == NoTime)
        return std::nullopt;
    return qint64(to) - from;
}

bool TrendData::isGapBefore(qsizetype index) const
{
    const std::optional<qint64> step = stepBefore(index);
    if (!step)
        return false;
    if (*step < 0)
        return true;
    qint64 usual = 1;
    for (const std::optional<qint64> &beside : {stepBefore(index - 1), stepBefore(index + 1)}) {
        if (beside && *beside > 0)
            usual = std::max(usual, *beside);
    }
    return *step > 2 * usual && *step > 2;
}

std::vector<qsizetype> TrendData::gapsIn(qsizetype first, qsizetype last) const
{
    std::vector<qsizetype> gaps;
    auto it = std::upper_bound(m_longSteps.cbegin(), m_longSteps.cend(), first);
    for (; it != m_longSteps.cend() && *it < last; ++it) {
        if (isGapBefore(*it))
            gaps.push_back(*it);
    }
    return gaps;
}

qsizetype TrendData::firstAtOrAfter(qint32 time) const
{
    qsizetype low = 0;
    qsizetype high = m_size;
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        const qint32 t = this->time(middle);
        if (t == NoTime || t < time)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

TrendData::Place TrendData::locate(qsizetype index) const
{
    auto run = m_runs.end() - 1;
    while (run->first > index)
        --run;
    const qsizetype inRun = index - run->first;
    return {m_chunks[run->chunk + size_t(inRun / ChunkSize)].get(), inRun % ChunkSize,
            std::min(m_size, run + 1 == m_runs.end() ? m_size : (run + 1)->first) - index};
}

float TrendData::value(int series, qsizetype index) const
{
    const Place place = locate(index);
    return place.chunk->columns[series].at(place.offset);
}

qint32 TrendData::time(qsizetype index) const
{
    const Place place = locate(index);
    return place.chunk->times[place.offset];
}

QString TrendData::label(qsizetype index) const
{
    const auto it = m_labels.constFind(index);
    return it != m_labels.constEnd() ? it.value() : timeText(time(index));
}

bool TrendData::spansDays() const
{
    if (m_size < 2)
        return false;
    const qint32 first = time(0);
    const qint32 last = time(m_size - 1);
    return first != NoTime && last != NoTime && dayOf(first) != dayOf(last);
}

QString TrendData::stamp(qsizetype index) const
{
    const QString text = label(index);
    const qint32 at = time(index);
    if (!(m_datedStamps || spansDays()) || at == NoTime || m_labels.contains(index))
        return text;
    return dateText(at) + QLatin1Char(' ') + text;
}

void TrendData::setLastLabel(const QString &text)
{
    if (m_size > 0 && m_labels.size() < MaxLabels)
        m_labels.insert(m_size - 1, text);
}

double TrendData::exactValue(int series, qsizetype index) const
{
    const Place place = locate(index);
    return place.chunk->columns[series].exactAt(place.offset);
}

double TrendData::origin(int series) const
{
    summarise();
    return m_originTenths[series] / 10.0;
}

/// Brings each series' min/max pyramid up to the last sample, from the first node with new
/// samples on (the moments follow when first asked): a bulk load builds it in one pass; a live
/// chart redoes one short path per redraw.
void TrendData::summarise() const
{
    if (m_summarised == m_size)
        return;
    if (m_summarised == 0) {
        for (int s = 0; s < SeriesCount; ++s) {
            const double first = exactValue(s, 0);
            m_originTenths[s] = std::isfinite(first) && std::abs(first) < 1e8
                                    ? qint32(std::lround(first * 10.0))
                                    : 0;
        }
    }
    const auto summariseSeries = [this](int s) {
        m_extremes[s].update(m_summarised, m_size, [this, s](qsizetype first, qsizetype last) {
            MinMax m;
            includeRaw(s, first, last, m);
            return m;
        });
    };
    // A large load's pyramids are built on two cores, a series on one beside the others; each
    // series' pyramid is its own.
    std::thread helper;
    if (m_size - m_summarised >= ParallelSummaryFrom)
        helper = std::thread(summariseSeries, 1);
    for (int s = 0; s < SeriesCount; ++s) {
        if (s != 1 || !helper.joinable())
            summariseSeries(s);
    }
    if (helper.joinable())
        helper.join();
    m_summarised = m_size;
}

MinMax TrendData::range(int series, qsizetype first, qsizetype last) const
{
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_size);
    if (first >= last)
        return MinMax();
    summarise();
    return m_extremes[series].summary(
        first, last,
        [this, series](qsizetype a, qsizetype b, MinMax &m) { includeRaw(series, a, b, m); });
}

Moments TrendData::moments(int series, qsizetype first, qsizetype last) const
{
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_size);
    if (first >= last)
        return Moments();
    summarise();
    if (m_momentsSummarised != m_size) {
        for (int s = 0; s < SeriesCount; ++s) {
            m_moments[s].update(m_momentsSummarised, m_size, [this, s](qsizetype a, qsizetype b) {
                Moments m;
                includeMoments(s, a, b, m);
                return m;
            });
        }
        m_momentsSummarised = m_size;
    }
    return m_moments[series].summary(
        first, last,
        [this, series](qsizetype a, qsizetype b, Moments &m) { includeMoments(series, a, b, m); });
}

qsizetype TrendData::firstIndexOf(int series, qsizetype first, qsizetype last, float value) const
{
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_size);
    if (first >= last)
        return -1;
    summarise();
    return m_extremes[series].findFirst(
        first, last, [value](const MinMax &m) { return m.min <= value && value <= m.max; },
        [this, series, value](qsizetype i) { return this->value(series, i) == value; });
}

LimitSeconds TrendData::limitSeconds(int series, qsizetype first, qsizetype last,
                                     double limit) const
{
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_size);
    if (first >= last)
        return LimitSeconds();
    if (m_limit.limit != limit) {
        m_limit = LimitPyramids();
        m_limit.limit = limit;
        m_limit.test = TrendLimit::of(limit);
    }
    if (m_limit.summarised != m_size) {
        // A new sample gives the one before it its end, and may make the step before that
        // one a gap: the last two samples summarised are summarised again.
        const qsizetype from = std::max<qsizetype>(m_limit.summarised - 2, 0);
        for (int s = 0; s < SeriesCount; ++s) {
            m_limit.seconds[s].update(from, m_size, [this, s](qsizetype a, qsizetype b) {
                LimitSeconds seconds;
                includeLimitSeconds(s, a, b, seconds);
                return seconds;
            });
        }
        m_limit.summarised = m_size;
    }
    return m_limit.seconds[series].summary(
        first, last, [this, series](qsizetype a, qsizetype b, LimitSeconds &seconds) {
            includeLimitSeconds(series, a, b, seconds);
        });
}

/// Walks the samples chunk by chunk: a step shorter than 2 s is never a gap, so only the rare
/// longer ones are looked at closely.
void TrendData::includeLimitSeconds(int series, qsizetype first, qsizetype last,
                                    LimitSeconds &result) const
{
    const TrendLimit &limit = m_limit.test;
    while (first < last) {
        const Place place = locate(first);
        const qsizetype count = std::min({last - first, ChunkSize - place.offset, place.leftInRun});
        const qint32 *times = place.chunk->times + place.offset;
        const TrendColumn &column = place.chunk->columns[series];
        for (qsizetype k = 0; k < count; ++k) {
            qint64 held = 0;
            if (k + 1 < count) {
                const qint32 now = times[k];
                const qint32 next = times[k + 1];
                if (now != NoTime && next != NoTime)
                    held = qint64(next) - now;
                if (held >= 2)
                    held = heldSeconds(first + k);
            } else {
                held = heldSeconds(first + k);
            }
            if (held <= 0)
                continue;
            const int side = column.compare(place.offset + k, limit);
            if (side > 0)
                result.above += held;
            else if (side < 0)
                result.below += held;
        }
        first += count;
    }
}

qint64 TrendData::heldSeconds(qsizetype index) const
{
    const std::optional<qint64> step = stepBefore(index + 1);
    if (!step || *step <= 0)
        return 0;
    // Only a step of 2 s or more can be a gap.
    if (*step >= 2 && isGapBefore(index + 1))
        return 0;
    return *step;
}

void TrendData::includeRaw(int series, qsizetype first, qsizetype last, MinMax &result) const
{
    while (first < last) {
        const Place place = locate(first);
        const qsizetype count = std::min({last - first, ChunkSize - place.offset, place.leftInRun});
        place.chunk->columns[series].include(place.offset, place.offset + count, result);
        first += count;
    }
}

void TrendData::includeMoments(int series, qsizetype first, qsizetype last, Moments &result) const
{
    while (first < last) {
        const Place place = locate(first);
        const qsizetype count = std::min({last - first, ChunkSize - place.offset, place.leftInRun});
        place.chunk->columns[series].includeMoments(place.offset, place.offset + count,
                                                    m_originTenths[series], result);
        first += count;
    }
}

void TrendData::decimate(int series, qsizetype first, qsizetype last, int columns,
                         std::vector<double> &xs, std::vector<double> &ys) const
{
    xs.clear();
    ys.clear();
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_size);
    if (first >= last || columns < 1)
        return;
    const qsizetype count = last - first;
    if (count <= 2 * qsizetype(columns)) {
        xs.reserve(size_t(count));
        ys.reserve(size_t(count));
        for (qsizetype i = first; i < last; ++i) {
            xs.push_back(double(i));
            ys.push_back(value(series, i));
        }
        return;
    }
    xs.reserve(2 * size_t(columns));
    ys.reserve(2 * size_t(columns));
    for (int c = 0; c < columns; ++c) {
        const qsizetype a = first + count * c / columns;
        const qsizetype b = first + count * (c + 1) / columns;
        if (a >= b)
            continue;
        const MinMax m = range(series, a, b);
        const double x = (double(a) + double(b - 1)) / 2;
        // Keep the order in which the line passes the extremes: enter the column from the side
        // nearer the previous point.
        const bool minFirst =
            ys.empty() || std::abs(ys.back() - m.min) <= std::abs(ys.back() - m.max);
        xs.push_back(x);
        ys.push_back(minFirst ? m.min : m.max);
        xs.push_back(x);
        ys.push_back(minFirst ? m.max : m.min);
    }
}

qsizetype TrendData::memoryBytes() const
{
    summarise();
    qsizetype bytes = 0;
    for (const auto &chunk : m_chunks) {
        bytes += qsizetype(sizeof(Chunk) + Chunk::Bytes);
        for (const TrendColumn &column : chunk->columns)
            bytes += column.extraBytes();
    }
    for (int s = 0; s < SeriesCount; ++s)
        bytes += m_extremes[s].bytes() + m_moments[s].bytes() + m_limit.seconds[s].bytes();
    return bytes;
}

namespace {

const QDate Epoch(2000, 1, 1);

} // namespace

qint32 TrendData::timeOf(const QDateTime &dateTime)
{
    return timeOf(int(Epoch.daysTo(dateTime.date())),
                  dateTime.time().msecsSinceStartOfDay() / 1000);
}

qint32 TrendData::timeOf(int daysSince2000, int secondOfDay)
{
    return qint32(qint64(daysSince2000) * SecondsPerDay + secondOfDay);
}

int TrendData::dayOf(qint32 time)
{
    const qint64 t = time;
    return int(t >= 0 ? t / SecondsPerDay : -((-t + SecondsPerDay - 1) / SecondsPerDay));
}

int TrendData::secondOfDay(qint32 time)
{
    return int(qint64(time) - qint64(dayOf(time)) * SecondsPerDay);
}

QString TrendData::timeText(qint32 time)
{
    if (time == NoTime)
        return QString();
    const int second = secondOfDay(time);
    return QStringLiteral("%1:%2:%3")
        .arg(second / 3600, 2, 10, QLatin1Char('0'))
        .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(second % 60, 2, 10, QLatin1Char('0'));
}

QString TrendData::dateText(qint32 time)
{
    if (time == NoTime)
        return QString();
    return Epoch.addDays(dayOf(time)).toString(QStringLiteral("MM-dd"));
}
