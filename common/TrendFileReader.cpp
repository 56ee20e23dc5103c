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
    const qint32 time = parseTime(fields[1]);
    data.append(time, values);
    if (time == TrendData::NoTime && !fields[1].isEmpty())
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
