#pragma once

#include "TrendData.h"

#include <optional>
#include <utility>

/// Two recorded runs laid over each other from their first records. The chart's axis counts the
/// first run's samples; a position on it stands for the time elapsed since the first run's first
/// record, and each sample of the second run stands at the position of its own elapsed time.
/// Past either end of the first run, positions go on at its mean step.
class RunAlignment
{
public:
    RunAlignment(const TrendData &first, const TrendData &second);

    /// Both runs have a first record with a time.
    bool isValid() const { return m_valid; }

    /// Seconds since the first run's first record at axis position x.
    double elapsedAt(double x) const;
    /// The axis position `seconds` after the first run's first record.
    double positionOf(double seconds) const;
    /// The axis position of the second run's sample `index` (a fraction lies between samples).
    double positionOfSecond(double index) const;
    /// The second run's samples [first, last) from `from` to `to` seconds after its first
    /// record, with one more on each side so that a line drawn through them reaches the ends.
    std::pair<qsizetype, qsizetype> secondAround(double from, double to) const;
    /// The second run's samples [first, last) from `from` to `to` seconds after its first
    /// record, both included; nullopt when none is.
    std::optional<std::pair<qsizetype, qsizetype>> secondBetween(double from, double to) const;
    /// The second run's sample nearest in elapsed time to axis position x; nullopt before its
    /// first record or after its last.
    std::optional<qsizetype> secondAt(double x) const;
    /// The axis position of the second run's last sample.
    double secondEnd() const;

private:
    /// Index of the first sample with a time; -1 when none has one.
    static qsizetype firstTimed(const TrendData &data);
    /// Seconds after the start of the second run of its sample index (fractions between).
    double secondElapsed(double index) const;

    const TrendData &m_first;
    const TrendData &m_second;
    bool m_valid = false;
    qint32 m_firstStart = 0;
    qint32 m_secondStart = 0;
    /// Seconds per sample of the first run, on average (at least a second).
    double m_step = 1;
};
