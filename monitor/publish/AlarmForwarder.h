#pragma once

#include "Alarm.h"
#include "ForwardCursors.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <map>

class MqttConnection;

/// The alarm events (P/alarms) through outages, as the trend records: the journal is the
/// store. Each transition goes out at least once (QoS 1); the cursor (the time of the last
/// event the broker acknowledged, and how many events of that second it had) is kept beside the
/// records' cursors. After each (re)connection the journal's transitions after it, within the
/// horizon, go out again with "historical": true, before the live ones.
class AlarmForwarder : public QObject
{
    Q_OBJECT

public:
    using NameOf = std::function<QString(int deviceNo)>;

    /// saveSoon: the cursors are to be written (at most once a second).
    AlarmForwarder(MqttConnection &connection, ForwardCursors &cursors, NameOf nameOf,
                   std::function<void()> saveSoon, QObject *parent = nullptr);

    /// topic: P/alarms; folder: where the journal is (the data folder).
    void start(const QString &topic, const QString &folder, int horizonDays);
    void stop();
    /// now: the clock's time, for the horizon.
    void replay(const QDateTime &now);
    /// A transition as it happens (journaled already).
    void live(const AlarmTransition &transition);

private:
    void send(const AlarmTransition &transition, bool historical);
    void onDelivered(int mid);
    void advance();
    bool beforeCursor(const AlarmTransition &transition, int &sameSecond) const;

    MqttConnection &m_connection;
    ForwardCursors &m_cursors;
    NameOf m_nameOf;
    std::function<void()> m_saveSoon;
    QString m_topic;
    QString m_folder;
    int m_horizonDays = 7;
    bool m_running = false;
    ForwardCursors::AlarmCursor m_cursor;
    struct Pending
    {
        QDateTime time;
        bool done = false;
    };
    /// Events sent and not yet acknowledged, in the order sent (their sequence numbers).
    std::map<qint64, Pending> m_pending;
    QHash<int, qint64> m_bySequence;
    qint64 m_sequence = 0;
};
