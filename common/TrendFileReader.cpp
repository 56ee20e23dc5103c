#include "TrendFileReader.h"

#include "Cp949.h"
#include "NumberText.h"
#include "TextLines.h"

#include <QFile>

namespace {

/// A label that is not a time is kept, up to this many bytes.
constexpr qsizetype MaxLabel = 64;
constexpr int FieldCount = 5;

int twoDigits(QByteArrayView text, qsizetype at)
{
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return -1;
    return (a - '0') * 10 + (b - '0');
}

} // namespace

qint32 TrendFileReader::parseTime(QByteArrayView text)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return TrendData::NoTime;
    const int h = twoDigits(text, 0);
    const int m = twoDigits(text, 3);
    const int s = twoDigits(text, 6);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return TrendData::NoTime;
    return h * 3600 + m * 60 + s;
}

std::optional<int> TrendFileReader::parseDate(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int century = twoDigits(text, 0);
    const int year = twoDigits(text, 2);
    const int month = twoDigits(text, 5);
    const int day = twoDigits(text, 8);
    const QDate date(century * 100 + year, month, day);
    if (century < 0 || year < 0 || !date.isValid())
        return std::nullopt;
    return int(QDate(2000, 1, 1).daysTo(date));
}

bool TrendFileReader::addLine(QByteArrayView line, TrendData &data)
{
    std::array<QByteArrayView, FieldCount> fields;
    qsizetype start = 0;
    for (int f = 0; f < FieldCount; ++f) {
        qsizetype end = line.indexOf('\t', start);
        if (end < 0) {
            if (f < FieldCount - 1)
                return false;
            end = line.size();
        }
        fields[f] = line.sliced(start, end - start);
        start = end + 1;
    }
    const std::array<float, TrendData::SeriesCount> values = {
        float(NumberText::leadingNumber(fields[2])), float(NumberText::leadingNumber(fields[3])),
        float(NumberText::leadingNumber(fields[4]))};
    // A record without a readable date keeps its time of day on day 0. Consecutive records
    // share their date: it is parsed once per change.
    thread_local QByteArray lastDate;
    thread_local int lastDays = 0;
    if (fields[0] != QByteArrayView(lastDate)) {
        lastDate = fields[0].toByteArray();
        lastDays = parseDate(fields[0]).value_or(0);
    }
    const qint32 second = parseTime(fields[1]);
    const qint32 time =
        second == TrendData::NoTime ? TrendData::NoTime : TrendData::timeOf(lastDays, second);
    data.append(time, values);
    if (second == TrendData::NoTime && !fields[1].isEmpty())
        data.setLastLabel(
            Cp949::toUnicode(fields[1].first(std::min(fields[1].size(), MaxLabel)).toByteArray()));
    return true;
}

std::optional<TrendData> TrendFileReader::read(const QString &path, const Progress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    TrendData data;
    TextLines::forEach(
        file, [&data](QByteArrayView line) { addLine(line, data); }, progress);
    return data;
}
