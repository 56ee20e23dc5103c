#include "AlarmForwarder.h"

#include "AlarmJournal.h"
#include "ControllerTopics.h"
#include "MqttConnection.h"

AlarmForwarder::AlarmForwarder(MqttConnection &connection, ForwardCursors &cursors, NameOf nameOf,
                               std::function<void()> saveSoon, QObject *parent)
    : QObject(parent), m_connection(connection), m_cursors(cursors), m_nameOf(std::move(nameOf)),
      m_saveSoon(std::move(saveSoon))
{
    connect(&m_connection, &MqttConnection::delivered, this, &AlarmForwarder::onDelivered);
}

void AlarmForwarder::start(const QString &topic, const QString &folder, int horizonDays)
{
    m_topic = topic;
    m_folder = folder;
    m_horizonDays = horizonDays;
    m_cursor = m_cursors.loadAlarms();
    m_cursors.setAlarms(m_cursor);
    m_running = true;
}

void AlarmForwarder::stop()
{
    m_running = false;
    m_pending.clear();
    m_bySequence.clear();
}

/// Whether the transition was acknowledged already; sameSecond counts the transitions of the
/// cursor's second met so far.
bool AlarmForwarder::beforeCursor(const AlarmTransition &transition, int &sameSecond) const
{
    if (!m_cursor.time.isValid() || transition.time > m_cursor.time)
        return false;
    if (transition.time < m_cursor.time)
        return true;
    return ++sameSecond <= m_cursor.sameSecond;
}

/// After a (re)connection: the journal's transitions after the cursor, oldest first.
void AlarmForwarder::replay(const QDateTime &now)
{
    if (!m_running)
        return;
    m_pending.clear();
    m_bySequence.clear();
    const QDate horizon = now.date().addDays(-m_horizonDays);
    const QDate first = m_cursor.time.isValid() ? std::max(m_cursor.time.date(), horizon) : horizon;
    int sameSecond = 0;
    for (const AlarmTransition &transition : AlarmJournal::read(m_folder, first, now.date())) {
        if (!beforeCursor(transition, sameSecond))
            send(transition, true);
    }
}

void AlarmForwarder::live(const AlarmTransition &transition)
{
    if (m_running)
        send(transition, false);
}

void AlarmForwarder::send(const AlarmTransition &transition, bool historical)
{
    const int mid = m_connection.publishTracked(
        m_topic,
        ControllerTopics::alarmEvent(transition, m_nameOf(transition.deviceNo), historical));
    if (mid < 0)
        return; // not connected: the journal keeps it for the next connection
    m_pending[++m_sequence] = {transition.time, false};
    m_bySequence.insert(mid, m_sequence);
}

void AlarmForwarder::onDelivered(int mid)
{
    const auto it = m_bySequence.constFind(mid);
    if (it == m_bySequence.cend())
        return;
    const auto pending = m_pending.find(*it);
    m_bySequence.erase(it);
    if (pending == m_pending.end())
        return;
    pending->second.done = true;
    advance();
}

/// The cursor moves over the events acknowledged without a gap before them.
void AlarmForwarder::advance()
{
    bool moved = false;
    while (!m_pending.empty() && m_pending.begin()->second.done) {
        const QDateTime time = m_pending.begin()->second.time;
        m_cursor.sameSecond = time == m_cursor.time ? m_cursor.sameSecond + 1 : 1;
        m_cursor.time = time;
        m_pending.erase(m_pending.begin());
        moved = true;
    }
    if (!moved)
        return;
    m_cursors.setAlarms(m_cursor);
    m_saveSoon();
}
