#include "TrendData.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>
#include <sys/mman.h>

/// One series' values in a chunk: tenths in 16 bits while every value so far is a whole number of
/// tenths within +-3276.7 (all that the monitor records), floats from the first value that is
/// not. A tenth reads back as the float the text "45.3" reads as: float(453 / 10.0).
class TrendData::Column
{
public:
    float at(qsizetype i) const { return m_tenths ? fromTenths(m_tenths[i]) : m_floats[i]; }

    /// Stores value at i, the samples before i being set already.
    void set(qsizetype i, float value)
    {
        if (m_tenths) {
            if (const auto tenths = tenthsOf(value)) {
                m_tenths[i] = *tenths;
                return;
            }
            m_floats.reset(new float[ChunkSize]);
            for (qsizetype k = 0; k < i; ++k)
                m_floats[k] = fromTenths(m_tenths[k]);
            m_tenths = nullptr;
        }
        m_floats[i] = value;
    }

    void setTenths(qsizetype i, qint16 tenths)
    {
        if (m_tenths)
            m_tenths[i] = tenths;
        else
            m_floats[i] = fromTenths(tenths);
    }

    void include(qsizetype first, qsizetype last, MinMax &result) const
    {
        if (!m_tenths) {
            for (qsizetype i = first; i < last; ++i)
                result.include(m_floats[i]);
            return;
        }
        if (first >= last)
            return;
        const auto [lo, hi] = std::minmax_element(&m_tenths[first], &m_tenths[last]);
        result.include(fromTenths(*lo));
        result.include(fromTenths(*hi));
    }

    /// Bytes held besides the chunk's memory.
    qsizetype extraBytes() const { return m_floats ? ChunkSize * qsizetype(sizeof(float)) : 0; }

private:
    /// Every tenth's float, so reading and checking a value costs no division.
    static const std::array<float, 1 << 16> &tenthsTable()
    {
        static const auto table = [] {
            std::array<float, 1 << 16> t{};
            for (int i = 0; i < 1 << 16; ++i)
                t[size_t(i)] = float(qint16(quint16(i)) / 10.0);
            return t;
        }();
        return table;
    }
    static float fromTenths(qint16 tenths) { return tenthsTable()[quint16(tenths)]; }
    static std::optional<qint16> tenthsOf(float value)
    {
        const double scaled = double(value) * 10.0;
        if (!(std::abs(scaled) <= 32767.4))
            return std::nullopt;
        const auto tenths = qint16(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
        if (fromTenths(tenths) != value)
            return std::nullopt;
        return tenths;
    }

    qint16 *m_tenths = nullptr; ///< in its chunk's memory; null once the column holds floats
    std::unique_ptr<float[]> m_floats;

    friend struct TrendData::Chunk;
};

/// A chunk's times and tenths lie in one anonymous mapping whose pages are made present when it
/// is made (MAP_POPULATE): a load of millions of samples then spends a fraction of the time in
/// page faults that writing each page first would, and a freed chunk goes straight back to the
/// system.
struct TrendData::Chunk
{
    static constexpr size_t Bytes = ChunkSize * (sizeof(qint32) + SeriesCount * sizeof(qint16));

    Chunk()
        : memory(::mmap(nullptr, Bytes, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0))
    {
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        times = static_cast<qint32 *>(memory);
        reset();
    }
    ~Chunk() { ::munmap(memory, Bytes); }

    /// Empty again, every column back to tenths.
    void reset()
    {
        auto *tenths = reinterpret_cast<qint16 *>(times + ChunkSize);
        for (int s = 0; s < SeriesCount; ++s) {
            columns[s].m_tenths = tenths + s * ChunkSize;
            columns[s].m_floats.reset();
        }
    }
    Chunk(const Chunk &) = delete;
    Chunk &operator=(const Chunk &) = delete;

    void *memory;
    qint32 *times;
    std::array<Column, SeriesCount> columns;
};

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
    for (auto &levels : m_levels)
        levels.clear();
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

void TrendData::setLastLabel(const QString &text)
{
    if (m_size > 0 && m_labels.size() < MaxLabels)
        m_labels.insert(m_size - 1, text);
}

/// Brings each series' pyramid up to the last sample: the level-0 nodes from the first one with
/// new samples are taken from the samples, then each level's nodes from there on from the level
/// below. A bulk load builds it in one pass; a live chart redoes one short path per redraw.
void TrendData::summarise() const
{
    if (m_summarised == m_size)
        return;
    for (int s = 0; s < SeriesCount; ++s)
        summariseSeries(s);
    m_summarised = m_size;
}

void TrendData::summariseSeries(int series) const
{
    auto &levels = m_levels[series];
    if (levels.empty())
        levels.emplace_back();
    qsizetype from = m_summarised / BlockSize;
    levels[0].resize(size_t((m_size + BlockSize - 1) / BlockSize));
    for (qsizetype node = from; node < qsizetype(levels[0].size()); ++node) {
        MinMax m;
        includeRaw(series, node * BlockSize, std::min(m_size, (node + 1) * BlockSize), m);
        levels[0][size_t(node)] = m;
    }
    for (size_t level = 0; levels[level].size() > 1; ++level) {
        if (levels.size() == level + 1)
            levels.emplace_back();
        const auto &children = levels[level];
        auto &parents = levels[level + 1];
        from /= FanOut;
        parents.resize((children.size() + FanOut - 1) / FanOut);
        for (size_t p = size_t(from); p < parents.size(); ++p) {
            MinMax m;
            const size_t end = std::min(children.size(), (p + 1) * size_t(FanOut));
            for (size_t c = p * size_t(FanOut); c < end; ++c)
                m.include(children[c]);
            parents[p] = m;
        }
    }
}

MinMax TrendData::range(int series, qsizetype first, qsizetype last) const
{
    MinMax result;
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_size);
    if (first >= last)
        return result;
    summarise();
    // Loose samples at both ends, then whole blocks through the pyramid.
    const qsizetype blockFirst = (first + BlockSize - 1) / BlockSize;
    const qsizetype blockLast = last / BlockSize;
    if (blockFirst >= blockLast) {
        includeRaw(series, first, last, result);
        return result;
    }
    includeRaw(series, first, blockFirst * BlockSize, result);
    includeRaw(series, blockLast * BlockSize, last, result);
    includeLevel(series, 0, blockFirst, blockLast, result);
    return result;
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

/// Nodes [first, last) of a level: loose nodes at both ends, whole groups one level up.
void TrendData::includeLevel(int series, size_t level, qsizetype first, qsizetype last,
                             MinMax &result) const
{
    const auto &nodes = m_levels[series][level];
    while (first < last && first % FanOut != 0)
        result.include(nodes[size_t(first++)]);
    while (last > first && last % FanOut != 0)
        result.include(nodes[size_t(--last)]);
    if (first >= last)
        return;
    if (level + 1 >= m_levels[series].size()) {
        for (qsizetype i = first; i < last; ++i)
            result.include(nodes[size_t(i)]);
        return;
    }
    includeLevel(series, level + 1, first / FanOut, last / FanOut, result);
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
        for (const Column &column : chunk->columns)
            bytes += column.extraBytes();
    }
    for (const auto &levels : m_levels) {
        for (const auto &nodes : levels)
            bytes += qsizetype(nodes.capacity() * sizeof(MinMax));
    }
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
