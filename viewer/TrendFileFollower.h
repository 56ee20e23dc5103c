#pragma once

#include "TrendData.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

/// Follows the trend file the viewer shows while the monitor appends to it: what is appended
/// is read (only that) and its complete lines become samples. A file-system watch tells of
/// changes at once; a slow poll stands in where the watch does not work (a network folder).
/// A file that shrinks, whose beginning changes, or that grew by more than is sensible to read
/// here, asks for a fresh load.
class TrendFileFollower : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollMs = 2000;
    /// More appended at once than this is loaded afresh in the background.
    static constexpr qint64 MaxAppend = 4 << 20;

    explicit TrendFileFollower(QObject *parent = nullptr);

    /// Starts following path, whose first `size` bytes have been read into samples (which
    /// must outlive the following, or stop() be called first).
    void follow(const QString &path, qint64 size, TrendData *samples);
    void stop();
    bool isFollowing() const { return m_samples != nullptr; }

    /// Reads what was appended since the last look (the watch and the poll call it).
    void check();

signals:
    /// count samples were appended to the samples.
    void appended(qsizetype count);
    /// The file is no longer what was read: it must be loaded afresh.
    void replaced();

private:
    bool sameBeginning(QIODevice &file) const;
    void readAppended(QIODevice &file, qint64 size);

    QFileSystemWatcher m_watch;
    QTimer m_poll;
    QString m_path;
    TrendData *m_samples = nullptr;
    /// Bytes read as complete lines.
    qint64 m_end = 0;
    /// The file's last line as first read when it had no line end yet (it may be a record the
    /// monitor was writing): skipped when it comes back complete and unchanged.
    QByteArray m_openLine;
    /// The file's first bytes, which stay the same while it only grows.
    QByteArray m_beginning;
};
