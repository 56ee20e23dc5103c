#pragma once

#include "TrendData.h"

#include <QFont>
#include <memory>
#include <qcustomplot.h>

class RunAlignment;

/// Ticks on round times (1, 2, 5, 10, 15, 30 s; 1, 2, 5, 10, 15, 30 min; 1, 2, 3, 6, 12 h; days)
/// found from the samples' own times: each tick stands where its time is, at the sample of that
/// time or between the two samples around it, so a label always names the time of the place it
/// marks. A round time inside a gap of the recording gets no tick of its own (the axis counts
/// samples, so a gap takes no room: the line breaks there instead); when the recording resumes
/// before the next round time, the first record after the gap gets a tick with its own time. The
/// step is chosen for the time the samples cover, gaps left out. Labels read "HH:MM:SS", or "HH:MM"
/// for whole-minute steps; when the visible range crosses midnight the first tick and the first
/// tick of each new day carry "MM-DD" on a second line. A tick never stands left of the one before,
/// and no two labels overlap: of two that would, the one naming a gap's own time stays, else the
/// earlier one.
class TimeTicker : public QCPAxisTicker
{
public:
    /// alignment is the chart's: while it holds a valid alignment of two runs, the ticks count
    /// the time elapsed since their first records.
    TimeTicker(const TrendData &data, const std::unique_ptr<RunAlignment> &alignment);

    /// The room the labels share: the axis' length in pixels and the labels' font. With no
    /// room (0 pixels) every tick keeps its label.
    void setRoom(int pixels, const QFont &font);
    int roomPixels() const { return m_pixels; }
    const QFont &roomFont() const { return m_font; }

    void generate(const QCPRange &range, const QLocale &locale, QChar formatChar, int precision,
                  QVector<double> &ticks, QVector<double> *subTicks,
                  QVector<QString> *tickLabels) override;

private:
    struct Tick
    {
        double x = 0;
        qint32 time = TrendData::NoTime;
        QString label;
        /// The first record after a gap, at its own time: it wins a collision.
        bool resumesRecording = false;
    };

    /// crossesMidnight: the samples in the range lie on more than one day.
    std::vector<Tick> clockTicks(const QCPRange &range, bool &crossesMidnight) const;
    std::vector<Tick> elapsedTicks(const QCPRange &range) const;
    /// The ticks whose labels fit beside each other over the range.
    std::vector<Tick> keepApart(std::vector<Tick> ticks, const QCPRange &range,
                                bool withDates) const;
    /// The first tick and each new day's first carry the date on a second line.
    static void addDates(std::vector<Tick> &ticks);

    qsizetype timedIndex(qsizetype start, qsizetype end, int direction) const;
    std::optional<double> placeOf(qint32 t, qsizetype from, qsizetype to,
                                  const std::vector<qsizetype> &gaps) const;
    std::optional<qsizetype> resumptionAfter(qint32 t, qsizetype from, qsizetype to,
                                             const std::vector<qsizetype> &gaps) const;
    qint64 recordedSeconds(qint32 t0, qint32 t1, const std::vector<qsizetype> &gaps) const;
    qsizetype firstAtOrAfter(qint32 t, qsizetype from, qsizetype to) const;
    qint64 stepFor(qint64 span) const;

    const TrendData &m_data;
    const std::unique_ptr<RunAlignment> &m_alignment;
    int m_pixels = 0;
    QFont m_font;
};
