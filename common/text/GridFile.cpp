#include "GridFile.h"

#include "TextFile.h"

#include <algorithm>

namespace {

const QString Signature = QStringLiteral("ZQ410 GRID 1");

bool special(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}

QString escaped(const QString &cell)
{
    // Most cells hold none of the four characters and are stored as they are, without a copy.
    if (std::none_of(cell.begin(), cell.end(), special))
        return cell;
    QString out;
    out.reserve(cell.size() * 2);
    for (QChar c : cell) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString unescaped(const QString &cell)
{
    if (!cell.contains(QLatin1Char('\\')))
        return cell;
    QString out;
    out.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (cell[i] != QLatin1Char('\\') || i + 1 == cell.size()) {
            out += cell[i];
            continue;
        }
        const QChar next = cell[++i];
        if (next == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else
            out += next;
    }
    return out;
}

} // namespace

bool GridFile::save(const QString &path, const QList<QStringList> &rows)
{
    return TextFile::replaceLines(path, linesOf(rows));
}

std::optional<QList<QStringList>> GridFile::load(const QString &path)
{
    const auto lines = TextFile::readLines(path);
    return lines ? rowsOf(*lines) : std::nullopt;
}

QStringList GridFile::linesOf(const QList<QStringList> &rows)
{
    QStringList lines{Signature};
    for (const QStringList &row : rows) {
        QStringList cells;
        cells.reserve(row.size());
        for (const QString &cell : row)
            cells.append(escaped(cell));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines;
}

std::optional<QList<QStringList>> GridFile::rowsOf(const QStringList &lines)
{
    if (lines.isEmpty() || lines.first() != Signature)
        return std::nullopt;
    QList<QStringList> rows;
    rows.reserve(lines.size() - 1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QStringList row = lines.at(i).split(QLatin1Char('\t'));
        for (QString &cell : row)
            cell = unescaped(cell);
        rows.append(row);
    }
    return rows;
}
