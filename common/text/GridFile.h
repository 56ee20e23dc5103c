#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

/// The file a grid's cells are saved to: a signature line, then one line per row with its cells
/// separated by TABs, CR LF, code page 949. A TAB, a line break or a backslash inside a cell is
/// escaped (\t, \n, \r, \\). A file without the signature is refused whole.
class GridFile
{
public:
    static bool save(const QString &path, const QList<QStringList> &rows);
    static std::optional<QList<QStringList>> load(const QString &path);

    /// The file's lines for the rows, and the rows of its lines (nullopt without the signature).
    static QStringList linesOf(const QList<QStringList> &rows);
    static std::optional<QList<QStringList>> rowsOf(const QStringList &lines);
};
