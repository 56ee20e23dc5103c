#pragma once

#include "TrendData.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

/// Reads a trend data file whole into TrendData: per line, field 1 is the point's label and
/// fields 2, 3 and 4 the values of "SV", "제어온도" and "보조온도", each read as its leading
/// number. Streams the file (TextLines), so memory does not grow with it beyond the samples;
/// any bytes at all are safe: lines with fewer than five fields are skipped (an empty line, a
/// line the monitor is still writing, junk), and an overlong line is read from its first mebibyte.
/// A large file is read in two halves at once, split at a line end, with the same result.
class TrendFileReader
{
public:
    /// Reports the share of the file read so far, 0 to 1 (from either reading thread).
    using Progress = std::function<void(double)>;

    struct Contents
    {
        TrendData samples;
        /// Bytes read: where reading what is appended later goes on.
        qint64 size = 0;
    };

    /// The file's samples; nullopt when it cannot be opened.
    static std::optional<Contents> read(const QString &path, const Progress &progress = {});

    /// Adds the record of one line (without its line end) to data; false when it has fewer than
    /// five fields. A line in the monitor's own layout is read by a fast path; any other by
    /// addFieldsLine, which gives the same sample for those too.
    static bool addLine(QByteArrayView line, TrendData &data);
    /// The general reading of any line, field by field.
    static bool addFieldsLine(QByteArrayView line, TrendData &data);
    /// Whether addLine takes the line as a record (it has the five fields).
    static bool isRecord(QByteArrayView line);

    /// Seconds since midnight of an "HH:MM:SS" text, or TrendData::NoTime for anything else.
    static qint32 parseTime(QByteArrayView text);
    /// Days since 2000-01-01 of a "YYYY-MM-DD" text, or nullopt for anything else.
    static std::optional<int> parseDate(QByteArrayView text);
};
