// The trend file reader on arbitrary bytes, with small blocks and lines so a run allocates
// little. Invariants: one sample per line holding at least four TABs, the same samples whether
// a line takes the fast path or the general one, and every range query equal to a scan of the
// samples.

#include "FuzzCheck.h"
#include "TextLines.h"
#include "TrendData.h"
#include "TrendFileReader.h"

#include <QBuffer>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    static TrendData samples; // cleared, not rebuilt: its first chunk is 640 KiB
    static TrendData general;
    samples.clear();
    general.clear();
    qsizetype expected = 0;
    constexpr qsizetype MaxLine = 256;
    TextLines::forEach(
        input,
        [&](QByteArrayView line) {
            check(line.size() <= MaxLine);
            expected += line.count('\t') >= 4;
            TrendFileReader::addLine(line, samples);
            TrendFileReader::addFieldsLine(line, general);
        },
        {}, 64, MaxLine);
    check(samples.size() == expected && general.size() == expected);
    for (qsizetype i = 0; i < samples.size(); ++i) {
        check(samples.time(i) == general.time(i));
        for (int s = 0; s < TrendData::SeriesCount; ++s) {
            const float a = samples.value(s, i);
            const float b = general.value(s, i);
            check(std::memcmp(&a, &b, sizeof a) == 0);
        }
    }
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        for (qsizetype first = 0; first < samples.size(); first += 1 + samples.size() / 7) {
            const qsizetype last = std::min(samples.size(), first + 1 + qsizetype(size % 53));
            MinMax scan;
            for (qsizetype i = first; i < last; ++i)
                scan.include(samples.value(s, i));
            const MinMax range = samples.range(s, first, last);
            check(scan.isEmpty() == range.isEmpty());
            if (!scan.isEmpty() && scan.min == scan.min && scan.max == scan.max)
                check(range.min == scan.min && range.max == scan.max);
        }
    }
    return 0;
}
