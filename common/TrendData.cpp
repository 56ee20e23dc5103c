#include "TrendData.h"

#include <QString>

TrendData::TrendData() = default;
TrendData::~TrendData() = default;
TrendData::TrendData(TrendData &&) noexcept = default;
TrendData &TrendData::operator=(TrendData &&) noexcept = default;

/// The first chunk is kept for the next samples: a live chart is cleared at every new run.
void TrendData::clear()
{
    m_chunks.resize(std::min<size_t>(m_chunks.size(), 1));
    m_labels.clear();
    m_size = 0;
    for (auto &levels : m_levels)
        levels.clear();
}

void TrendData::append(qint32 time, const std::array<float, SeriesCount> &values)
{
    const qsizetype offset = m_size % ChunkSize;
    const size_t chunkIndex = size_t(m_size / ChunkSize);
    if (chunkIndex == m_chunks.size())
        m_chunks.push_back(std::make_unique<Chunk>());
    Chunk &chunk = *m_chunks[chunkIndex];
    chunk.times[offset] = time;
    for (int s = 0; s < SeriesCount; ++s) {
        chunk.values[s][offset] = values[s];
        // Each level's last node covers the new sample: widen it (creating it when the sample
        // starts a new node), up to the single node at the top.
        auto &levels = m_levels[s];
        if (levels.empty())
            levels.emplace_back();
        qsizetype node = m_size / BlockSize;
        for (size_t level = 0;; ++level) {
            auto &nodes = levels[level];
            if (qsizetype(nodes.size()) <= node)
                nodes.emplace_back();
            nodes[node].include(values[s]);
            if (nodes.size() < 2)
                break;
            if (levels.size() == level + 1) {
                std::vector<MinMax> parent((nodes.size() + FanOut - 1) / FanOut);
                for (size_t i = 0; i < nodes.size(); ++i)
                    parent[i / FanOut].include(nodes[i]);
                levels.push_back(std::move(parent));
                break;
            }
            node /= FanOut;
        }
    }
    ++m_size;
}

float TrendData::value(int series, qsizetype index) const
{
    return m_chunks[index / ChunkSize]->values[series][index % ChunkSize];
}

qint32 TrendData::time(qsizetype index) const
{
    return m_chunks[index / ChunkSize]->times[index % ChunkSize];
}

QString TrendData::label(qsizetype index) const
{
    const auto it = m_labels.constFind(index);
    return it != m_labels.constEnd() ? it.value() : timeText(time(index));
}

void TrendData::setLastLabel(const QString &text)
{
    if (m_size > 0)
        m_labels.insert(m_size - 1, text);
}

MinMax TrendData::range(int series, qsizetype first, qsizetype last) const
{
    MinMax result;
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_size);
    if (first >= last)
        return result;
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
    for (qsizetype i = first; i < last; ++i)
        result.include(value(series, i));
}

/// Nodes [first, last) of a level: loose nodes at both ends, whole groups one level up.
void TrendData::includeLevel(int series, size_t level, qsizetype first, qsizetype last,
                             MinMax &result) const
{
    const auto &nodes = m_levels[series][level];
    while (first < last && first % FanOut != 0)
        result.include(nodes[first++]);
    while (last > first && last % FanOut != 0)
        result.include(nodes[--last]);
    if (first >= last)
        return;
    if (level + 1 >= m_levels[series].size()) {
        for (qsizetype i = first; i < last; ++i)
            result.include(nodes[i]);
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
        xs.reserve(count);
        ys.reserve(count);
        for (qsizetype i = first; i < last; ++i) {
            xs.push_back(double(i));
            ys.push_back(value(series, i));
        }
        return;
    }
    xs.reserve(2 * columns);
    ys.reserve(2 * columns);
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
    qsizetype bytes = qsizetype(m_chunks.size() * sizeof(Chunk));
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
