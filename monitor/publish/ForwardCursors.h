#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

/// CFG/MqttCursor.INI: for each controller, where the last trend record the broker acknowledged
/// ends in its trend file, and that record's time (so a file replaced since is noticed). The
/// file is written whole through a temporary file, so a crash leaves the old one or the new one.
class ForwardCursors
{
public:
    struct Cursor
    {
        qint64 position = 0;
        QDateTime time;

        bool operator==(const Cursor &) const = default;
    };

    /// The alarm events': the last acknowledged event's time and how many events of that
    /// second were acknowledged.
    struct AlarmCursor
    {
        QDateTime time;
        int sameSecond = 0;

        bool operator==(const AlarmCursor &) const = default;
    };

    explicit ForwardCursors(const QString &programFolder);

    QString path() const;
    /// The cursors the file holds; none for a missing or unreadable file.
    QHash<int, Cursor> load() const;
    AlarmCursor loadAlarms() const;
    /// Writes the records' cursors and the alarms' together.
    bool save(const QHash<int, Cursor> &cursors) const;
    void setAlarms(const AlarmCursor &cursor) { m_alarms = cursor; }

private:
    QString m_programFolder;
    AlarmCursor m_alarms;
};
