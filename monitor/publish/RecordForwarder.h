#pragma once

#include "ForwardCursors.h"
#include "Timer.h"
#include "TrendFile.h"

#include <QHash>
#include <QObject>
#include <map>
#include <memory>

class MqttConnection;
class PollingEngine;

/// Every trend record on the broker, through outages and restarts: the trend files are the
/// store. Each record the recorder writes goes out at once as P/NN/record (QoS 1); per
/// controller a cursor marks where the last record the broker acknowledged ends in its trend
/// file (CFG/MqttCursor.INI, saved at most once a second). After each (re)connection, and so
/// after a restart, the records after the cursor are read from the file and sent again with
/// "historical": true, at most RatePerSecond of them, beside the live ones, which never wait.
/// Records older than the horizon are left to the trend files. Nothing is kept in memory while
/// the broker is away: the files are read from the cursor on, a little at a time.
class RecordForwarder : public QObject
{
    Q_OBJECT

public:
    static constexpr int RatePerSecond = 500;
    static constexpr int TickMs = 100;
    /// Records sent and not yet acknowledged, per controller, at most.
    static constexpr int MaxInFlight = 1000;
    static constexpr int CursorSaveMs = 1000;

    RecordForwarder(PollingEngine &engine, MqttConnection &connection, QObject *parent = nullptr);
    ~RecordForwarder() override;

    /// Starts forwarding under the prefix with this horizon: cursors read, replay at each
    /// connection. Records older than horizonDays are not sent again.
    void start(const QString &prefix, int horizonDays);
    void stop();
    /// The recorder appended records: each goes out now.
    void recordsWritten();
    /// Records written before this connection and not yet acknowledged (those still to be
    /// replayed estimated from their bytes).
    qint64 backlog() const;
    /// CFG/MqttCursor.INI, which the alarm events' cursor shares.
    ForwardCursors &cursors() { return m_cursorFile; }
    /// Writes the cursors within a second (the alarm events' one changed).
    void saveSoon();

signals:
    void backlogChanged(qint64 records);
    /// A line for the log: records left to the trend files, a file replaced.
    void notice(const QString &text);

private:
    struct Stream;

    void onConnected();
    void onDelivered(int mid);
    void onTick();
    void rebuildStreams();
    void resume(Stream &stream);
    /// Reads complete lines from position on (at most maxLines) and hands each record over;
    /// returns where reading stopped.
    qint64 readRecords(Stream &stream, qint64 from, qint64 to, int maxLines, bool historical,
                       int &sent);
    void send(Stream &stream, qint64 start, qint64 end, const TrendFile::Record &record,
              bool historical);
    void settle(Stream &stream, qint64 start, qint64 end, const QDateTime &time);
    void advance(Stream &stream);
    void saveCursors();
    void reportBacklog();
    QString pathOf(int deviceNo) const;

    PollingEngine &m_engine;
    MqttConnection &m_connection;
    ForwardCursors m_cursorFile;
    QString m_prefix;
    int m_horizonDays = 7;
    bool m_running = false;
    /// Connected, as this side has heard (onConnected ran).
    bool m_online = false;
    QHash<int, std::shared_ptr<Stream>> m_streams;
    /// A tracked message's controller and where its record starts.
    QHash<int, std::pair<int, qint64>> m_inFlight;
    QHash<int, ForwardCursors::Cursor> m_saved;
    std::unique_ptr<Timer> m_tick;
    std::unique_ptr<Timer> m_saveTimer;
    qint64 m_reportedBacklog = 0;
    qint64 m_skippedOld = 0;
    bool m_saveDue = false;
};
