#include "TextFile.h"

#include "Cp949.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

std::optional<QStringList> TextFile::readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        qsizetype length = end - start;
        if (length > 0 && bytes.at(start + length - 1) == '\r')
            --length;
        lines.append(Cp949::toUnicode(bytes.mid(start, length)));
        start = next;
    }
    return lines;
}

bool TextFile::replaceLines(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Cp949::fromUnicode(line) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile::commit() does not notice a failed final flush (a full disk): check it here so
    // the old file survives.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool TextFile::appendLine(const QString &path, const QString &line)
{
    return appendLine(path, Cp949::fromUnicode(line));
}

bool TextFile::appendLine(const QString &path, const QByteArray &encodedLine)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = encodedLine + "\r\n";
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written;
}

bool TextFile::ensureFolder(const QString &path)
{
    return QDir().mkpath(path);
}
