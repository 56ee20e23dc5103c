#include "TextFile.h"

#include "Cp949.h"
#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QStringList> TextFile::readLines(const QString &path)
{
    QFile file(path);
    if (!RegularFile::open(file, QIODevice::ReadOnly) || file.size() > MaxReadBytes)
        return std::nullopt;
    return linesOf(file.read(MaxReadBytes));
}

QStringList TextFile::linesOf(const QByteArray &bytes)
{
    QStringList lines;
    lines.reserve(bytes.count('\n') + 1);
    QByteArrayView previous;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        qsizetype length = end - start;
        if (length > 0 && bytes.at(start + length - 1) == '\r')
            --length;
        const QByteArrayView line = QByteArrayView(bytes).sliced(start, length);
        // Files repeat lines (the empty rows of a device list): a repeat shares the string.
        if (!lines.isEmpty() && line == previous)
            lines.append(lines.constLast());
        else
            lines.append(Cp949::toUnicode(line));
        previous = line;
        start = next;
    }
    return lines;
}

QByteArray TextFile::bytesOf(const QStringList &lines)
{
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    bytes.reserve(size); // exact for ASCII; code page 949 takes at most two bytes a character
    for (const QString &line : lines) {
        Cp949::appendFromUnicode(bytes, line);
        bytes += "\r\n";
    }
    return bytes;
}

bool TextFile::replaceLines(const QString &path, const QStringList &lines)
{
    // QSaveFile writes straight into a file that is not a regular one: a FIFO would block it.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return false;
    const QByteArray bytes = bytesOf(lines);
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
    // Unbuffered: a failed write is seen here, not in a later flush that still holds the rest.
    if (!RegularFile::open(file, QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const qint64 previousSize = file.size();
    QByteArray bytes = encodedLine + "\r\n";
    if (!endsWithLineEnd(file))
        bytes.prepend("\r\n"); // a line torn by a crash or power loss stays a line of its own
    if (file.write(bytes) == bytes.size())
        return true;
    // A short write (full disk) would leave half a line for the next one to run into.
    file.resize(previousSize);
    return false;
}

bool TextFile::endsWithLineEnd(QFile &file)
{
    const qint64 size = file.size();
    if (size == 0)
        return true;
    char last = 0;
    return file.seek(size - 1) && file.getChar(&last) && last == '\n';
}

bool TextFile::ensureFolder(const QString &path)
{
    return QDir().mkpath(path);
}
