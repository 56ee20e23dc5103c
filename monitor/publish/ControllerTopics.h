#pragma once

#include "Alarm.h"
#include "DeviceTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <utility>

/// The topics and payloads of one line under its prefix P: P/status, P/NN/<value> with the
/// bare number as the controller shows it, P/NN/run, P/NN/link, P/NN/state (JSON) and Home
/// Assistant's discovery configurations.
class ControllerTopics
{
public:
    using Payloads = QList<std::pair<QString, QByteArray>>;

    /// Link states as published.
    static inline const QByteArray LinkOk = QByteArrayLiteral("ok");
    static inline const QByteArray LinkLost = QByteArrayLiteral("lost");
    static inline const QByteArray LinkUnknown = QByteArrayLiteral("unknown");

    explicit ControllerTopics(const QString &prefix);

    QString prefix() const { return m_prefix; }
    QString status() const;
    /// P/NN/suffix, NN the controller number in two digits.
    QString of(int deviceNo, const QString &suffix) const;

    /// The row's values that have been read and its run state, by topic suffix.
    static Payloads plainPayloads(const DeviceTable &table, int row);
    /// One object with the values, the channel name, the unit, the link and the time of the
    /// status block (ISO 8601 with the UTC offset).
    static QByteArray stateJson(const DeviceTable &table, int row, const QString &name,
                                const QByteArray &link, const QDateTime &time);
    /// P/NN/alarm: the controller's alarms that are not normal, as a JSON list.
    static QByteArray alarmList(const QList<Alarm> &alarms);
    /// P/alarms: one transition as a JSON object.
    /// historical: sent again from the journal after an outage.
    static QByteArray alarmEvent(const AlarmTransition &transition, const QString &name,
                                 bool historical = false);
    QString alarms() const;
    /// ISO 8601 with the offset from UTC always written out (+09:00, +00:00).
    static QString isoWithOffset(const QDateTime &time);

    /// Home Assistant's discovery configurations of one controller, by topic: one sensor per
    /// value, run and link, all available while P/status says "online".
    Payloads discovery(int deviceNo, const QString &name, bool fahrenheit) const;

private:
    QString m_prefix;
};
