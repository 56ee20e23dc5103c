#pragma once

#include "TrendSummaries.h"

#include <QtGlobal>
#include <array>
#include <cmath>
#include <memory>
#include <optional>

/// A limit as values are compared with it: as typed, and the float whose shortest decimal it is
/// (45.35 typed: the float read from "45.35" is on it).
struct TrendLimit
{
    double value = 0;
    float asFloat = 0;
    bool isFloat = false;
    static TrendLimit of(double value);
};

/// One series' values in a chunk: tenths in 16 bits while every value so far is a whole number of
/// tenths within +-3276.7 (all that the monitor records), floats from the first value that is
/// not. A tenth reads back as the float the text "45.3" reads as: float(453 / 10.0).
class TrendColumn
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
            holdFloats(i);
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

    void include(qsizetype first, qsizetype last, MinMax &result) const;
    /// The value as written for whole tenths (36.9 exactly, not the float 36.900002); any other
    /// value as its float.
    double exactAt(qsizetype i) const
    {
        return m_tenths ? m_tenths[i] / 10.0 : double(m_floats[i]);
    }
    /// -1, 0 or 1 as the value at i is below, on or above the limit.
    int compare(qsizetype i, const TrendLimit &limit) const;
    /// Adds the values [first, last) in tenths from the origin (NaN left out).
    void includeMoments(qsizetype first, qsizetype last, qint32 originTenths,
                        Moments &result) const;
    /// Bytes held besides the chunk's memory.
    qsizetype extraBytes() const;

private:
    /// From the tenths in the chunk's memory to floats of its own, the samples before i kept.
    void holdFloats(qsizetype i);
    /// Every tenth's float, so reading and checking a value costs no division.
    static const std::array<float, 1 << 16> &tenthsTable();
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

    friend struct TrendChunk;
};

/// Size samples of a trend: their times and one column per series. The times and tenths lie in
/// one anonymous mapping whose pages are made present when it is made (MAP_POPULATE): a load of
/// millions of samples then spends a fraction of the time in page faults that writing each page
/// first would, and a freed chunk goes straight back to the system.
struct TrendChunk
{
    static constexpr qsizetype Size = 1 << 16;
    static constexpr int SeriesCount = 3;
    static constexpr size_t Bytes = Size * (sizeof(qint32) + SeriesCount * sizeof(qint16));

    TrendChunk();
    ~TrendChunk();
    TrendChunk(const TrendChunk &) = delete;
    TrendChunk &operator=(const TrendChunk &) = delete;

    /// Empty again, every column back to tenths.
    void reset();

    void *memory;
    qint32 *times;
    std::array<TrendColumn, SeriesCount> columns;
};
