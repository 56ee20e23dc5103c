#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <functional>

/// Reads a text file line by line in blocks of 1 MiB, whatever its size or content: each line
/// (CR LF, or a lone LF, removed) is handed over as bytes; a last line without its line end still
/// counts; a line longer than 1 MiB is handed over from its beginning and the rest up to its line
/// end is dropped, so no line can make the reader grow without bound.
class TextLines
{
public:
    using Line = std::function<void(QByteArrayView line)>;
    /// The share of the input read so far, 0 to 1.
    using Progress = std::function<void(double)>;

    static constexpr qsizetype MaxLine = 1 << 20;
    static constexpr qsizetype BlockSize = 1 << 20;

    /// False when reading fails midway (the lines before it have been handed over). The block
    /// and line sizes are the reader's usual ones; a fuzz run makes them small. With a length,
    /// at most that many bytes are read from the input's current position (a part of a file).
    static bool forEach(QIODevice &input, const Line &line, const Progress &progress = {},
                        qsizetype blockSize = BlockSize, qsizetype maxLine = MaxLine,
                        qint64 length = -1);
};
