#include "CursorReadout.h"

CursorReadout::Record CursorReadout::recordAt(const TrendData &data, qsizetype index)
{
    Record record;
    record.index = index;
    record.time = data.time(index);
    record.label = data.stamp(index);
    for (int s = 0; s < TrendData::SeriesCount; ++s)
        record.values[s] = data.value(s, index);
    return record;
}

CursorReadout CursorReadout::of(const TrendData &data, std::optional<qsizetype> a,
                                std::optional<qsizetype> b)
{
    CursorReadout readout;
    if (a && *a >= 0 && *a < data.size())
        readout.a = recordAt(data, *a);
    if (b && *b >= 0 && *b < data.size())
        readout.b = recordAt(data, *b);
    return readout;
}

std::optional<qint64> CursorReadout::seconds() const
{
    if (!a || !b || a->time == TrendData::NoTime || b->time == TrendData::NoTime)
        return std::nullopt;
    return qint64(b->time) - qint64(a->time);
}

std::optional<double> CursorReadout::difference(int series) const
{
    if (!a || !b)
        return std::nullopt;
    return double(b->values[series]) - double(a->values[series]);
}

std::optional<double> CursorReadout::ratePerMinute(int series) const
{
    const std::optional<qint64> span = seconds();
    const std::optional<double> change = difference(series);
    if (!span || *span == 0 || !change)
        return std::nullopt;
    return *change * 60.0 / double(*span);
}

QString CursorReadout::durationText(qint64 seconds)
{
    const qint64 magnitude = seconds < 0 ? -seconds : seconds;
    return QStringLiteral("%1%2:%3:%4")
        .arg(seconds < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 3600)
        .arg(magnitude / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}
