#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QFile;

/// Text files as both programs keep them: code page 949, one line per CR LF.
class TextFile
{
public:
    /// A settings or table file larger than this is not one: it is not read.
    static constexpr qint64 MaxReadBytes = 1 << 20;

    /// All lines of the file, without their line ends; nullopt when it cannot be opened, is not
    /// a regular file or holds more than MaxReadBytes. A line ends at CR LF or at a lone LF; a
    /// last line without a line end still counts.
    static std::optional<QStringList> readLines(const QString &path);

    /// The lines of a file's bytes, as readLines reads them.
    static QStringList linesOf(const QByteArray &bytes);
    /// The bytes replaceLines writes for the lines.
    static QByteArray bytesOf(const QStringList &lines);

    /// Replaces the file with the lines, each followed by CR LF. The old file stays intact until
    /// the new one is complete on disk, so a crash or a full disk never leaves a torn file. False,
    /// and nothing written, when something other than a regular file stands at the path.
    static bool replaceLines(const QString &path, const QStringList &lines);

    /// Appends one line (CR LF added) and closes the file again, creating it when missing (false
    /// for anything but a regular file in its place). The
    /// line is written whole or not at all: after a short write (full disk) the file is cut back
    /// to its old length. A file whose last line lacks its line end gets one first.
    static bool appendLine(const QString &path, const QString &line);
    /// As appendLine, for a line already in the file's bytes (CR LF added).
    static bool appendLine(const QString &path, const QByteArray &encodedLine);

    /// The open file is empty or its last byte is an LF.
    static bool endsWithLineEnd(QFile &file);

    /// Creates the folder (and its parents) when it does not exist.
    static bool ensureFolder(const QString &path);
};
