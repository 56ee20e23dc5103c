#include "TrendFileFollower.h"

#include "RegularFile.h"
#include "TextLines.h"
#include "TrendFileReader.h"

#include <QBuffer>
#include <QFile>

namespace {

/// Bytes compared to tell a replaced file from a grown one.
constexpr qint64 BeginningBytes = 64;
/// How far back from the end the last line end is looked for when following starts.
constexpr qint64 TailBytes = 64 * 1024;

} // namespace

TrendFileFollower::TrendFileFollower(QObject *parent) : QObject(parent)
{
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &TrendFileFollower::check);
    connect(&m_watch, &QFileSystemWatcher::fileChanged, this, &TrendFileFollower::check);
}

void TrendFileFollower::follow(const QString &path, qint64 size, TrendData *samples)
{
    stop();
    QFile file(path);
    if (!RegularFile::open(file, QIODevice::ReadOnly))
        return;
    m_path = path;
    m_samples = samples;
    m_beginning = file.read(std::min(size, BeginningBytes));
    // Where the last complete line ends: an unfinished last line is kept to be recognised.
    const qint64 tailStart = std::max<qint64>(0, size - TailBytes);
    file.seek(tailStart);
    const QByteArray tail = file.read(size - tailStart);
    const qsizetype newline = tail.lastIndexOf('\n');
    if (newline >= 0)
        m_end = tailStart + newline + 1;
    else
        m_end = tailStart == 0 ? 0 : size; // a last line longer than any record is left alone
    m_openLine = tail.sliced(std::min<qsizetype>(tail.size(), m_end - tailStart));
    m_watch.addPath(path);
    m_poll.start();
}

void TrendFileFollower::stop()
{
    if (!m_watch.files().isEmpty())
        m_watch.removePaths(m_watch.files());
    m_poll.stop();
    m_samples = nullptr;
    m_openLine.clear();
}

void TrendFileFollower::check()
{
    if (!m_samples)
        return;
    // A file replaced by renaming is a new file to the watch.
    if (!m_watch.files().contains(m_path))
        m_watch.addPath(m_path);
    QFile file(m_path);
    if (!RegularFile::open(file, QIODevice::ReadOnly))
        return; // gone for now: the chart keeps what it shows
    const qint64 size = file.size();
    const qint64 known = m_end + m_openLine.size();
    if (size == known && sameBeginning(file))
        return;
    if (size < known || !sameBeginning(file) || size - m_end > MaxAppend) {
        emit replaced();
        return;
    }
    readAppended(file, size);
}

bool TrendFileFollower::sameBeginning(QIODevice &file) const
{
    return file.seek(0) && file.read(m_beginning.size()) == m_beginning;
}

/// The complete lines after m_end become samples; an unfinished line waits for its line end.
void TrendFileFollower::readAppended(QIODevice &file, qint64 size)
{
    if (!file.seek(m_end))
        return;
    const QByteArray bytes = file.read(size - m_end);
    const qsizetype newline = bytes.lastIndexOf('\n');
    if (newline < 0) {
        if (!bytes.startsWith(m_openLine))
            emit replaced();
        return;
    }
    QByteArray complete = bytes.first(newline + 1);
    QBuffer lines(&complete);
    lines.open(QIODevice::ReadOnly);
    bool first = true;
    bool changed = false;
    qsizetype count = 0;
    TextLines::forEach(lines, [&](QByteArrayView line) {
        if (first && !m_openLine.isEmpty()) {
            // The line read unfinished must come back as it was read.
            QByteArrayView open(m_openLine);
            if (open.endsWith('\r'))
                open.chop(1);
            changed = line != open;
        } else if (!changed && TrendFileReader::addLine(line, *m_samples)) {
            ++count;
        }
        first = false;
    });
    if (changed) {
        emit replaced();
        return;
    }
    m_end += newline + 1;
    m_openLine.clear();
    if (count > 0)
        emit appended(count);
}
