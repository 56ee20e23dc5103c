#pragma once

#include <QString>
#include <QStringList>
#include <optional>

/// Text files as both programs keep them: code page 949, one line per CR LF.
class TextFile
{
public:
    /// All lines of the file, without their line ends; nullopt when it cannot be opened.
    /// A line ends at CR LF or at a lone LF; a last line without a line end still counts.
    static std::optional<QStringList> readLines(const QString &path);

    /// Replaces the file with the lines, each followed by CR LF. The old file stays intact until
    /// the new one is complete on disk, so a crash or a full disk never leaves a torn file.
    static bool replaceLines(const QString &path, const QStringList &lines);

    /// Appends one line (CR LF added) and closes the file again, creating it when missing.
    static bool appendLine(const QString &path, const QString &line);
    /// As appendLine, for a line already in the file's bytes (CR LF added).
    static bool appendLine(const QString &path, const QByteArray &encodedLine);

    /// Creates the folder (and its parents) when it does not exist.
    static bool ensureFolder(const QString &path);
};
