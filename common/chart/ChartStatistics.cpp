#include "ChartStatistics.h"

#include "CursorReadout.h"
#include "NumberText.h"
#include "RunAlignment.h"

namespace ChartStatistics {

namespace {

const QColor TextColor(20, 20, 20);

/// A limit as typed: its shortest form ("50", "36.5").
QString limitText(double limit)
{
    return QString::number(limit, 'g', 7);
}

bool betweenCursors(const Input &input)
{
    return input.cursorA && input.cursorB;
}

const RunAlignment *validAlignment(const Input &input)
{
    return input.compared && input.alignment && input.alignment->isValid() ? input.alignment
                                                                           : nullptr;
}

/// Seconds since the runs' first records the compared run's figures are taken over.
std::pair<double, double> elapsedRange(const Input &input, const RunAlignment &alignment)
{
    if (betweenCursors(input))
        return {alignment.elapsedAt(double(std::min(*input.cursorA, *input.cursorB))),
                alignment.elapsedAt(double(std::max(*input.cursorA, *input.cursorB)))};
    return {alignment.elapsedAt(std::max(0.0, input.xFirst)), alignment.elapsedAt(input.xLast)};
}

QStringList header(const Input &input)
{
    QStringList header = {betweenCursors(input) ? QStringLiteral("통계 A~B")
                                                : QStringLiteral("통계 (화면)"),
                          QStringLiteral("개수"),
                          QStringLiteral("최소"),
                          QStringLiteral("시각"),
                          QStringLiteral("최대"),
                          QStringLiteral("시각"),
                          QStringLiteral("평균"),
                          QStringLiteral("표준편차")};
    if (input.limit)
        header << QStringLiteral("%1 초과").arg(limitText(*input.limit))
               << QStringLiteral("%1 미만").arg(limitText(*input.limit));
    return header;
}

QStringList row(const Input &input, const QString &name, const TrendData &data,
                const SeriesStatistics &s)
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
    if (input.limit)
        row << CursorReadout::durationText(qint64(s.secondsAbove))
            << CursorReadout::durationText(qint64(s.secondsBelow));
    return row;
}

} // namespace

std::pair<qsizetype, qsizetype> range(const Input &input)
{
    if (betweenCursors(input))
        return {std::min(*input.cursorA, *input.cursorB),
                std::max(*input.cursorA, *input.cursorB) + 1};
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::ceil(input.xFirst)));
    const qsizetype last = std::min(input.data->size(), qsizetype(std::floor(input.xLast)) + 1);
    return {first, std::max(first, last)};
}

QList<QStringList> rows(const Input &input)
{
    const auto [first, last] = range(input);
    if (first >= last && !input.compared)
        return {};
    QList<QStringList> rows = {header(input)};
    const TrendStatistics::All figures =
        TrendStatistics::over(*input.data, first, last, input.limit);
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (input.shown[size_t(s)])
            rows << row(input, input.names[size_t(s)], *input.data, figures[size_t(s)]);
    }
    const RunAlignment *alignment = validAlignment(input);
    if (!alignment)
        return rows;
    // The compared run over the same elapsed time: between the cursors, or all it shows.
    const auto [from, to] = elapsedRange(input, *alignment);
    const auto samples = alignment->secondBetween(from, to);
    const TrendStatistics::All secondFigures =
        samples
            ? TrendStatistics::over(*input.compared, samples->first, samples->second, input.limit)
            : TrendStatistics::All{};
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (input.shown[size_t(s)])
            rows << row(input, ChartTable::comparedName(input.names[size_t(s)]), *input.compared,
                        secondFigures[size_t(s)]);
    }
    return rows;
}

ChartTable::Table table(const Input &input)
{
    // Row r > 0 names the r-th shown series, the chart's run first, then the compared run's.
    std::vector<QColor> rowColors = {TextColor};
    for (int pass = 0; pass < 2; ++pass) {
        for (int s = 0; s < TrendData::SeriesCount; ++s) {
            if (input.shown[size_t(s)])
                rowColors.push_back(input.colors[size_t(s)]);
        }
    }
    return {rows(input), 1, [rowColors](int row, int column) {
                return column == 0 && size_t(row) < rowColors.size() ? rowColors[size_t(row)]
                                                                     : TextColor;
            }};
}

} // namespace ChartStatistics
