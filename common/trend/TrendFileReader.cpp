#include "TrendFileReader.h"

#include "Cp949.h"
#include "NumberText.h"
#include "RegularFile.h"
#include "TextLines.h"

#include <QFile>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

/// A label that is not a time is kept, up to this many bytes.
constexpr qsizetype MaxLabel = 64;
constexpr int FieldCount = 5;
/// Files from this size on are read in two halves at once.
constexpr qint64 SplitSize = 4 << 20;
/// How far past the middle a line end is looked for; a file without one is read in one piece.
constexpr qint64 SplitSearch = 1 << 20;

int twoDigits(QByteArrayView text, qsizetype at)
{
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return -1;
    return (a - '0') * 10 + (b - '0');
}

/// A number field of at most 15 digits with at most one '.' and an optional leading '-': all
/// the monitor writes. Its value is exactly NumberText::leadingNumber's, found faster: both the
/// digits and the power of ten are exact doubles, so their quotient is correctly rounded.
struct PlainNumber
{
    quint64 digits = 0;
    int decimals = 0;
    bool negative = false;

    double value() const
    {
        static constexpr double Powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double magnitude = double(digits) / Powers[decimals];
        return negative ? -magnitude : magnitude;
    }
    /// The number in tenths when it has at most one decimal and fits 16 bits.
    std::optional<qint16> tenths() const
    {
        const quint64 t = decimals == 0 ? digits * 10 : digits;
        if (decimals > 1 || t > 32767)
            return std::nullopt;
        return qint16(negative ? -qint64(t) : qint64(t));
    }
};

std::optional<PlainNumber> plainNumber(QByteArrayView field)
{
    const char *p = field.data();
    const char *const end = p + field.size();
    PlainNumber number;
    number.negative = p < end && *p == '-';
    if (number.negative)
        ++p;
    int count = 0;
    bool point = false;
    for (; p < end; ++p) {
        if (*p >= '0' && *p <= '9') {
            number.digits = number.digits * 10 + quint64(*p - '0');
            ++count;
            number.decimals += point ? 1 : 0;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
        if (count > 15)
            return std::nullopt;
    }
    if (count == 0)
        return std::nullopt;
    return number;
}

/// A record in the monitor's own layout: "YYYY-MM-DD", TAB, "HH:MM:SS", TAB and three numbers
/// of one decimal (an optional '-', up to four digits, '.', one digit) separated by TABs, and
/// nothing after them. Checked with a few byte comparisons and converted in place; any other
/// line is left to the general reading, which gives the same samples for these.
struct MonitorRecord
{
    QByteArrayView date;
    qint32 second = 0;
    std::array<qint16, TrendData::SeriesCount> tenths{};
};

/// One number of one decimal at p, in tenths, and where it ends; nullopt when it is not one.
std::optional<qint16> tenthsAt(const char *&p, const char *end)
{
    const bool negative = p < end && *p == '-';
    p += negative ? 1 : 0;
    int value = 0;
    int digits = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (++digits > 4)
            return std::nullopt;
    }
    if (digits == 0 || end - p < 2 || p[0] != '.' || p[1] < '0' || p[1] > '9')
        return std::nullopt;
    value = value * 10 + (p[1] - '0');
    p += 2;
    if (value > 32767)
        return std::nullopt;
    return qint16(negative ? -value : value);
}

std::optional<MonitorRecord> monitorRecord(QByteArrayView line)
{
    constexpr qsizetype ValuesStart = 20; // after "YYYY-MM-DD\tHH:MM:SS\t"
    const char *const text = line.data();
    if (line.size() < ValuesStart + 11 || text[10] != '\t' || text[19] != '\t' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    const int h = twoDigits(line, 11);
    const int m = twoDigits(line, 14);
    const int s = twoDigits(line, 17);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return std::nullopt;
    MonitorRecord record{line.first(10), h * 3600 + m * 60 + s, {}};
    const char *p = text + ValuesStart;
    const char *const end = text + line.size();
    for (int series = 0; series < TrendData::SeriesCount; ++series) {
        if (series > 0 && (p >= end || *p++ != '\t'))
            return std::nullopt;
        const std::optional<qint16> tenths = tenthsAt(p, end);
        if (!tenths)
            return std::nullopt;
        record.tenths[size_t(series)] = *tenths;
    }
    return p == end ? std::optional<MonitorRecord>(record) : std::nullopt;
}

/// Days since 2000-01-01 of a date field (0 when it is none). Consecutive records share their
/// date: it is parsed once per change, in each reading thread.
int daysOf(QByteArrayView date)
{
    thread_local QByteArray lastDate;
    thread_local int lastDays = 0;
    if (date != QByteArrayView(lastDate)) {
        lastDate = date.toByteArray();
        lastDays = TrendFileReader::parseDate(date).value_or(0);
    }
    return lastDays;
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

/// A value no controller can report (beyond a 16-bit register without decimals, or not finite,
/// as 1e39 is as a float) counts as unreadable, 0, so it cannot stretch the chart over
/// everything else.
static float reportable(double value)
{
    constexpr double MaxReportable = 32768;
    return std::isfinite(value) && std::abs(value) <= MaxReportable ? float(value) : 0.0f;
}

bool TrendFileReader::isRecord(QByteArrayView line)
{
    return line.count('\t') >= FieldCount - 1;
}

bool TrendFileReader::addLine(QByteArrayView line, TrendData &data)
{
    if (const std::optional<MonitorRecord> record = monitorRecord(line)) {
        data.appendTenths(TrendData::timeOf(daysOf(record->date), record->second), record->tenths);
        return true;
    }
    return addFieldsLine(line, data);
}

bool TrendFileReader::addFieldsLine(QByteArrayView line, TrendData &data)
{
    // One pass for the first four tabs; fields 1 to 4 end at them, field 5 at the next tab.
    std::array<qsizetype, FieldCount> ends{};
    int tabs = 0;
    const char *const bytes = line.data();
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (bytes[i] == '\t') {
            ends[size_t(tabs++)] = i;
            if (tabs == FieldCount - 1)
                break;
        }
    }
    if (tabs < FieldCount - 1)
        return false;
    const qsizetype lastStart = ends[FieldCount - 2] + 1;
    const qsizetype lastEnd = line.sliced(lastStart).indexOf('\t');
    ends[FieldCount - 1] = lastEnd < 0 ? line.size() : lastStart + lastEnd;
    std::array<QByteArrayView, FieldCount> fields;
    qsizetype start = 0;
    for (int f = 0; f < FieldCount; ++f) {
        fields[size_t(f)] = line.sliced(start, ends[size_t(f)] - start);
        start = ends[size_t(f)] + 1;
    }
    // Values are stored as tenths when all three are (as the monitor writes them).
    std::array<std::optional<PlainNumber>, TrendData::SeriesCount> plain;
    std::array<qint16, TrendData::SeriesCount> tenths{};
    bool allTenths = true;
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        plain[s] = plainNumber(fields[size_t(s) + 2]);
        const std::optional<qint16> t = plain[s] ? plain[s]->tenths() : std::nullopt;
        allTenths = allTenths && t;
        tenths[s] = t.value_or(0);
    }
    // A record without a readable date keeps its time of day on day 0.
    const qint32 second = parseTime(fields[1]);
    const qint32 time = second == TrendData::NoTime ? TrendData::NoTime
                                                    : TrendData::timeOf(daysOf(fields[0]), second);
    if (allTenths) {
        data.appendTenths(time, tenths);
    } else {
        std::array<float, TrendData::SeriesCount> values{};
        for (int s = 0; s < TrendData::SeriesCount; ++s)
            values[s] = reportable(plain[s] ? plain[s]->value()
                                            : NumberText::leadingNumber(fields[size_t(s) + 2]));
        data.append(time, values);
    }
    if (second == TrendData::NoTime && !fields[1].isEmpty() &&
        data.untimedCount() <= TrendData::MaxLabels)
        data.setLastLabel(
            Cp949::toUnicode(fields[1].first(std::min(fields[1].size(), MaxLabel)).toByteArray()));
    return true;
}

namespace {

/// Where the second half of a file starts: just after the first line end past its middle; 0
/// when the file is small or has no line end there.
qint64 splitPoint(QFile &file)
{
    const qint64 size = file.size();
    if (size < SplitSize || !file.seek(size / 2))
        return 0;
    const QByteArray near = file.read(SplitSearch);
    const qsizetype newline = near.indexOf('\n');
    return newline < 0 ? 0 : size / 2 + newline + 1;
}

/// Lines of [start, start + length) of the file (length -1: to its end) into samples; false
/// when the file cannot be read. The bytes read are added to done.
bool readPart(const QString &path, qint64 start, qint64 length, TrendData &samples,
              std::atomic<qint64> &done, const std::function<void()> &report)
{
    QFile file(path);
    if (!RegularFile::open(file, QIODevice::ReadOnly) || !file.seek(start))
        return false;
    qint64 counted = 0;
    const auto progress = [&](double) {
        done += file.pos() - start - counted;
        counted = file.pos() - start;
        if (report)
            report();
    };
    return TextLines::forEach(
        file, [&samples](QByteArrayView line) { TrendFileReader::addLine(line, samples); },
        progress, TextLines::BlockSize, TextLines::MaxLine, length);
}

} // namespace

std::optional<TrendFileReader::Contents> TrendFileReader::read(const QString &path,
                                                               const Progress &progress)
{
    QFile file(path);
    if (!RegularFile::open(file, QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 total = std::max<qint64>(1, file.size());
    const qint64 split = splitPoint(file);
    std::atomic<qint64> done = 0;
    // Both halves report; the caller hears one at a time, and never a smaller share.
    std::mutex reporting;
    double reported = 0;
    std::function<void()> report;
    if (progress) {
        report = [&] {
            const std::lock_guard lock(reporting);
            const double share = std::min(1.0, double(done) / double(total));
            if (share > reported) {
                reported = share;
                progress(share);
            }
        };
    }
    Contents contents;
    TrendData second;
    std::thread secondHalf;
    if (split > 0)
        secondHalf = std::thread([&] { readPart(path, split, -1, second, done, report); });
    readPart(path, 0, split > 0 ? split : -1, contents.samples, done, report);
    if (secondHalf.joinable()) {
        secondHalf.join();
        contents.samples.append(std::move(second));
    }
    contents.size = done;
    return contents;
}
