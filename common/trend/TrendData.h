#pragma once

#include "SummaryPyramid.h"
#include "TrendChunk.h"
#include "TrendSummaries.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>
#include <optional>
#include <vector>

/// The samples of a trend chart: per sample its date and time and one value for each of the three
/// series, the X value being the sample's index. Kept compactly in fixed chunks (about 12 bytes a
/// sample, the summaries included, when the values are whole tenths as the monitor records them),
/// with pyramids of summaries per series (smallest and largest value; count, sum and sum of
/// squares; the time above and below the last limit asked) so that these figures of any run of
/// samples cost O(log n), whatever the length of the run. The pyramid is brought up to date when it
/// is next asked, so appending costs O(1) and a bulk load builds it in one pass.
class TrendData
{
public:
    static constexpr int SeriesCount = TrendChunk::SeriesCount;
    /// Time of a sample that has none to show.
    static constexpr qint32 NoTime = std::numeric_limits<qint32>::min();
    static constexpr qint32 SecondsPerDay = 86400;

    TrendData();
    ~TrendData();
    TrendData(const TrendData &) = delete;
    TrendData &operator=(const TrendData &) = delete;
    TrendData(TrendData &&) noexcept;
    TrendData &operator=(TrendData &&) noexcept;

    void clear();
    void append(qint32 time, const std::array<float, SeriesCount> &values);
    /// Appends a sample whose values are given in tenths (453 for 45.3): the same as appending
    /// the floats the texts "45.3" read as, without the arithmetic.
    void appendTenths(qint32 time, const std::array<qint16, SeriesCount> &tenths);
    /// Appends every sample of tail (labels included) and leaves tail empty; tail's storage is
    /// given back as it is copied, so the two never take twice the room.
    void append(TrendData &&tail);

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    float value(int series, qsizetype index) const;
    /// The sample's time as timeOf gives it, or NoTime.
    qint32 time(qsizetype index) const;
    /// The sample's label on the time axis: its time as "HH:MM:SS", or the text it was given.
    QString label(qsizetype index) const;
    /// The first and the last sample's times lie on different days (NoTime at either end: no).
    bool spansDays() const;
    /// The label as tables and file names give it: with its date ("03-02 12:00:00") while the
    /// samples span more than one day, so that A and B a day apart never read as B before A.
    QString stamp(qsizetype index) const;
    /// Stamps carry their date also while these samples lie on one day: a run compared with one
    /// that spans days.
    void setDatedStamps(bool on) { m_datedStamps = on; }
    /// Gives the last sample a label that is not a time of day (kept apart: such labels are rare).
    /// Only the first MaxLabels are kept, so a file of lines without times cannot fill memory
    /// with labels; later such samples show none.
    void setLastLabel(const QString &text);
    static constexpr qsizetype MaxLabels = 10000;
    /// Samples without a time of day (NoTime).
    qsizetype untimedCount() const { return m_untimed; }

    /// The first sample whose time is at or after `time` (samples without a time count as
    /// earlier; the times rise with the index); size() when none is.
    qsizetype firstAtOrAfter(qint32 time) const;

    /// Samples i in (first, last) with a gap in the recording between sample i - 1 and i: the
    /// time goes back, or it jumps by more than twice the steps on either side (and by more than
    /// two seconds), as when the controller stopped or the monitor was closed. In index order.
    std::vector<qsizetype> gapsIn(qsizetype first, qsizetype last) const;

    /// Smallest and largest value of the series over samples [first, last).
    MinMax range(int series, qsizetype first, qsizetype last) const;

    /// The value a sample was written as: a whole number of tenths exactly (36.9, not the float
    /// 36.900002), any other value as its float.
    double exactValue(int series, qsizetype index) const;
    /// The origin the moments of a series are taken from: its first value, in whole tenths.
    double origin(int series) const;
    /// Count, sum and sum of squares of (value - origin) * 10 over samples [first, last).
    Moments moments(int series, qsizetype first, qsizetype last) const;
    /// The first sample of [first, last) whose value is exactly `value`; -1 when none is.
    qsizetype firstIndexOf(int series, qsizetype first, qsizetype last, float value) const;
    /// Seconds the samples [first, last) held values above and below the limit: each sample
    /// holds its value until the next sample; nothing is counted across a gap in the recording,
    /// for a sample without a time or for the last sample; a value on the limit is neither.
    /// Asking with another limit than the last summarises the whole data once again.
    LimitSeconds limitSeconds(int series, qsizetype first, qsizetype last, double limit) const;

    /// The points that draw the series over samples [first, last) on `columns` pixel columns
    /// without losing any column's extremes: every sample when there are no more samples than
    /// columns, otherwise a minimum and a maximum per column. xs and ys are replaced.
    void decimate(int series, qsizetype first, qsizetype last, int columns, std::vector<double> &xs,
                  std::vector<double> &ys) const;

    /// Bytes held, summaries (brought up to date) and unused chunk room included.
    qsizetype memoryBytes() const;

    /// A wall-clock date and time as the samples keep it: seconds since 2000-01-01 00:00:00,
    /// without time zone (the files hold local times), for 1932 to 2068.
    static qint32 timeOf(const QDateTime &dateTime);
    static qint32 timeOf(int daysSince2000, int secondOfDay);
    /// Days since 2000-01-01 of a time (floor), and its second of the day.
    static int dayOf(qint32 time);
    static int secondOfDay(qint32 time);
    /// "HH:MM:SS" of a time's time of day; empty for NoTime.
    static QString timeText(qint32 time);
    /// "MM-DD" of a time's date; empty for NoTime.
    static QString dateText(qint32 time);

private:
    static constexpr qsizetype ChunkSize = TrendChunk::Size;
    static constexpr qsizetype BlockSize = 16; ///< samples per node of the min/max pyramid
    /// Samples per node of the moment and limit pyramids (fewer nodes: they are larger).
    static constexpr qsizetype MomentBlockSize = 64;
    /// Samples not yet summarised from which the pyramids are built on two cores.
    static constexpr qsizetype ParallelSummaryFrom = 1 << 20;

    using Chunk = TrendChunk;
    /// Samples from `first` on lie in chunks from `chunk` on, ChunkSize to a chunk; the last
    /// chunk before a run may hold fewer (the end of a part appended whole).
    struct Run
    {
        qsizetype first;
        size_t chunk;
    };
    struct Place
    {
        const Chunk *chunk;
        qsizetype offset;
        qsizetype leftInRun; ///< samples from this one to the end of its run
    };

    Place locate(qsizetype index) const;
    std::pair<Chunk &, qsizetype> storeNextTime(qint32 time);

    void summarise() const;
    void includeRaw(int series, qsizetype first, qsizetype last, MinMax &result) const;
    void includeMoments(int series, qsizetype first, qsizetype last, Moments &result) const;
    void includeLimitSeconds(int series, qsizetype first, qsizetype last,
                             LimitSeconds &result) const;
    /// Seconds sample index holds its value: to the next sample; 0 across a gap, without times
    /// or for the last sample.
    qint64 heldSeconds(qsizetype index) const;

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::vector<Run> m_runs;
    void noteStep(qint32 from, qint32 to, qsizetype index);
    bool isGapBefore(qsizetype index) const;
    /// Seconds from the timed sample before index to index; nullopt when either has no time.
    std::optional<qint64> stepBefore(qsizetype index) const;

    QHash<qsizetype, QString> m_labels;
    /// Samples whose step from the sample before is 2 s or more, or negative: the only places a
    /// gap can be, so finding the gaps of a range never scans its samples.
    std::vector<qsizetype> m_longSteps;
    qint32 m_lastTime = NoTime;
    bool m_datedStamps = false;
    qsizetype m_size = 0;
    qsizetype m_untimed = 0;
    /// Samples the pyramids cover; the rest are summarised when a range is next asked.
    mutable qsizetype m_summarised = 0;
    /// Samples the moment pyramids cover: they are built when moments are first asked.
    mutable qsizetype m_momentsSummarised = 0;
    mutable std::array<qint32, SeriesCount> m_originTenths{};
    mutable std::array<SummaryPyramid<MinMax>, SeriesCount> m_extremes = {
        SummaryPyramid<MinMax>(BlockSize), SummaryPyramid<MinMax>(BlockSize),
        SummaryPyramid<MinMax>(BlockSize)};
    mutable std::array<SummaryPyramid<Moments>, SeriesCount> m_moments = {
        SummaryPyramid<Moments>(MomentBlockSize), SummaryPyramid<Moments>(MomentBlockSize),
        SummaryPyramid<Moments>(MomentBlockSize)};
    /// The seconds above and below m_limit, per series, built when first asked for a limit.
    struct LimitPyramids
    {
        std::optional<double> limit;
        TrendLimit test;
        qsizetype summarised = 0;
        std::array<SummaryPyramid<LimitSeconds>, SeriesCount> seconds = {
            SummaryPyramid<LimitSeconds>(MomentBlockSize),
            SummaryPyramid<LimitSeconds>(MomentBlockSize),
            SummaryPyramid<LimitSeconds>(MomentBlockSize)};
    };
    mutable LimitPyramids m_limit;
};
