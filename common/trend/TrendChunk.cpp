#include "TrendChunk.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

TrendLimit TrendLimit::of(double value)
{
    TrendLimit limit{value, float(value), false};
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text - 1, limit.asFloat).ptr;
    *end = '\0';
    limit.isFloat = std::isfinite(limit.asFloat) && std::strtod(text, nullptr) == value;
    return limit;
}

void TrendColumn::holdFloats(qsizetype i)
{
    m_floats.reset(new float[TrendChunk::Size]);
    for (qsizetype k = 0; k < i; ++k)
        m_floats[k] = fromTenths(m_tenths[k]);
    m_tenths = nullptr;
}

const std::array<float, 1 << 16> &TrendColumn::tenthsTable()
{
    static const auto table = [] {
        std::array<float, 1 << 16> t{};
        for (int i = 0; i < 1 << 16; ++i)
            t[size_t(i)] = float(qint16(quint16(i)) / 10.0);
        return t;
    }();
    return table;
}

void TrendColumn::include(qsizetype first, qsizetype last, MinMax &result) const
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

int TrendColumn::compare(qsizetype i, const TrendLimit &limit) const
{
    if (m_tenths) {
        const double value = m_tenths[i] / 10.0;
        return value > limit.value ? 1 : value < limit.value ? -1 : 0;
    }
    const float value = m_floats[i];
    if (limit.isFloat)
        return value > limit.asFloat ? 1 : value < limit.asFloat ? -1 : 0;
    return double(value) > limit.value ? 1 : double(value) < limit.value ? -1 : 0;
}

void TrendColumn::includeMoments(qsizetype first, qsizetype last, qint32 originTenths,
                                 Moments &result) const
{
    if (m_tenths) {
        qint64 sum = 0;
        qint64 squares = 0;
        for (qsizetype i = first; i < last; ++i) {
            const qint64 d = qint64(m_tenths[i]) - originTenths;
            sum += d;
            squares += d * d;
        }
        result.count += last - first;
        result.sum += double(sum);
        result.squares += double(squares);
        return;
    }
    for (qsizetype i = first; i < last; ++i) {
        if (std::isnan(m_floats[i]))
            continue;
        const double d = exactAt(i) * 10.0 - originTenths;
        ++result.count;
        result.sum += d;
        result.squares += d * d;
    }
}

qsizetype TrendColumn::extraBytes() const
{
    return m_floats ? TrendChunk::Size * qsizetype(sizeof(float)) : 0;
}

TrendChunk::TrendChunk()
    : memory(::mmap(nullptr, Bytes, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0))
{
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    times = static_cast<qint32 *>(memory);
    reset();
}

TrendChunk::~TrendChunk()
{
    ::munmap(memory, Bytes);
}

void TrendChunk::reset()
{
    auto *tenths = reinterpret_cast<qint16 *>(times + Size);
    for (int s = 0; s < SeriesCount; ++s) {
        columns[s].m_tenths = tenths + s * Size;
        columns[s].m_floats.reset();
    }
}
