#include "ChartStatistics.h"

#include "ChartCursors.h"
#include "ChartTable.h"
#include "CursorReadout.h"
#include "NumberText.h"
#include "RunAlignment.h"
#include "TrendChart.h"

namespace {

/// Room between the table and the readout table or the plot's edge, in pixels.
constexpr int TableInset = 8;
const QColor TextColor(20, 20, 20);

/// A limit as typed: its shortest form ("50", "36.5").
QString limitText(double limit)
{
    return QString::number(limit, 'g', 7);
}

} // namespace

ChartStatistics::ChartStatistics(QCustomPlot *plot, const TrendChart &chart)
    : QCPLayerable(plot, QStringLiteral("overlay")), m_chart(chart)
{}

std::pair<qsizetype, qsizetype> ChartStatistics::range() const
{
    const TrendData &data = m_chart.data();
    const std::optional<qsizetype> a = m_chart.cursors().cursor(ChartCursors::A);
    const std::optional<qsizetype> b = m_chart.cursors().cursor(ChartCursors::B);
    if (a && b)
        return {std::min(*a, *b), std::max(*a, *b) + 1};
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::ceil(m_chart.xFirst())));
    const qsizetype last = std::min(data.size(), qsizetype(std::floor(m_chart.xLast())) + 1);
    return {first, std::max(first, last)};
}

QList<QStringList> ChartStatistics::rows() const
{
    const auto [first, last] = range();
    const TrendData *compared = m_chart.comparison();
    if (first >= last && !compared)
        return {};
    QList<QStringList> rows = {header()};
    const TrendStatistics::All figures =
        TrendStatistics::over(m_chart.data(), first, last, m_limit);
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (m_chart.isSeriesVisible(s))
            rows << row(m_chart.seriesName(s), m_chart.data(), figures[size_t(s)]);
    }
    const RunAlignment *alignment = m_chart.alignment();
    if (!compared || !alignment || !alignment->isValid())
        return rows;
    // The compared run over the same elapsed time: between the cursors, or all it shows.
    const auto [from, to] = elapsedRange();
    const auto samples = alignment->secondBetween(from, to);
    const TrendStatistics::All secondFigures =
        samples ? TrendStatistics::over(*compared, samples->first, samples->second, m_limit)
                : TrendStatistics::All{};
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (m_chart.isSeriesVisible(s))
            rows << row(ChartTable::comparedName(m_chart.seriesName(s)), *compared,
                        secondFigures[size_t(s)]);
    }
    return rows;
}

std::pair<double, double> ChartStatistics::elapsedRange() const
{
    const RunAlignment &alignment = *m_chart.alignment();
    const std::optional<qsizetype> a = m_chart.cursors().cursor(ChartCursors::A);
    const std::optional<qsizetype> b = m_chart.cursors().cursor(ChartCursors::B);
    if (a && b)
        return {alignment.elapsedAt(double(std::min(*a, *b))),
                alignment.elapsedAt(double(std::max(*a, *b)))};
    return {alignment.elapsedAt(std::max(0.0, m_chart.xFirst())),
            alignment.elapsedAt(m_chart.xLast())};
}

QStringList ChartStatistics::header() const
{
    const bool betweenCursors =
        m_chart.cursors().cursor(ChartCursors::A) && m_chart.cursors().cursor(ChartCursors::B);
    QStringList header = {betweenCursors ? QStringLiteral("통계 A~B")
                                         : QStringLiteral("통계 (화면)"),
                          QStringLiteral("개수"),
                          QStringLiteral("최소"),
                          QStringLiteral("시각"),
                          QStringLiteral("최대"),
                          QStringLiteral("시각"),
                          QStringLiteral("평균"),
                          QStringLiteral("표준편차")};
    if (m_limit)
        header << QStringLiteral("%1 초과").arg(limitText(*m_limit))
               << QStringLiteral("%1 미만").arg(limitText(*m_limit));
    return header;
}

QStringList ChartStatistics::row(const QString &name, const TrendData &data,
                                 const SeriesStatistics &s) const
{
    if (s.count == 0)
        return {name, QStringLiteral("0")};
    QStringList row = {name,
                       QString::number(s.count),
                       NumberText::recorded(double(s.min)),
                       data.stamp(s.minIndex),
                       NumberText::recorded(double(s.max)),
                       data.stamp(s.maxIndex),
                       QString::number(s.mean, 'f', 2),
                       QString::number(s.stddev, 'f', 2)};
    if (m_limit)
        row << CursorReadout::durationText(qint64(s.secondsAbove))
            << CursorReadout::durationText(qint64(s.secondsBelow));
    return row;
}

void ChartStatistics::applyDefaultAntialiasingHint(QCPPainter *painter) const
{
    applyAntialiasingHint(painter, false, QCP::aeOther);
}

/// Right of the cursors' readout when both fit across the plot, else below it.
void ChartStatistics::draw(QCPPainter *painter)
{
    const QList<QStringList> table = rows();
    if (table.size() < 2)
        return;
    const ChartCursors &cursors = m_chart.cursors();
    const QSize readout = cursors.tableSize();
    const QFont font = mParentPlot->legend->font();
    const QSize size = ChartTable::sizeOf(font, table);
    const QRect plot = mParentPlot->axisRect()->rect();
    QPoint origin = cursors.tableOrigin();
    if (!readout.isEmpty()) {
        if (origin.x() + readout.width() + TableInset + size.width() <= plot.right())
            origin.rx() += readout.width() + TableInset;
        else
            origin.ry() += readout.height() + TableInset;
    }
    ChartTable::draw(painter, origin, font, table, 1,
                     [this](int row, int column) { return color(row, column); });
}

/// Series names in the series' colours; the rest is dark.
QColor ChartStatistics::color(int row, int column) const
{
    if (row == 0 || column != 0)
        return TextColor;
    int shown = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int s = 0; s < TrendData::SeriesCount; ++s) {
            if (m_chart.isSeriesVisible(s) && ++shown == row)
                return m_chart.seriesColor(s);
        }
    }
    return TextColor;
}
