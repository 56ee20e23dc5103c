#pragma once

#include "TrendData.h"

#include <QString>
#include <array>
#include <optional>

/// What the two readout cursors of a trend chart read off its samples: each cursor's record
/// (time and the three values as stored) and B - A: the time between them, each series'
/// difference and its rate in degrees per minute.
struct CursorReadout
{
    struct Record
    {
        qsizetype index = 0;
        qint32 time = TrendData::NoTime;
        QString label; ///< the record's time of day, with its date when the data spans days
        std::array<float, TrendData::SeriesCount> values{};
    };

    std::optional<Record> a;
    std::optional<Record> b;

    static Record recordAt(const TrendData &data, qsizetype index);
    static CursorReadout of(const TrendData &data, std::optional<qsizetype> a,
                            std::optional<qsizetype> b);

    /// B - A in seconds; nullopt unless both cursors are set on records with times.
    std::optional<qint64> seconds() const;
    /// B - A of a series; nullopt unless both cursors are set.
    std::optional<double> difference(int series) const;
    /// The difference per minute of B - A; nullopt without a time between them.
    std::optional<double> ratePerMinute(int series) const;

    /// "h:mm:ss" (hours not limited to a day, "-" before a negative span).
    static QString durationText(qint64 seconds);
};
