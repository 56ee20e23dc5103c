#pragma once

#include "Alarm.h"

#include <QDate>
#include <QList>
#include <QString>

/// The alarm journal: ALARM_YYYYMMDD.LOG in the data folder, one line per transition (date,
/// time, controller number, channel name, kind, 발생/확인/해제, value, limit; TAB-separated,
/// code page 949, CR LF), each appended whole or not at all, as trend records are.
class AlarmJournal
{
public:
    /// Days read back at start-up to restore the alarms not yet normal.
    static constexpr int RestoreDays = 7;

    static QString fileName(const QDate &day);
    static QString lineOf(const AlarmTransition &transition, const QString &channelName);
    /// A journal line's transition; nullopt for a line that is not one.
    static std::optional<AlarmTransition> transitionOf(const QString &line);

    /// Appends the transition to its day's file in the folder; false when it could not be
    /// written (the line is then not in the file at all).
    static bool append(const QString &folder, const AlarmTransition &transition,
                       const QString &channelName);
    /// The transitions of the days from first to last, in the order written.
    static QList<AlarmTransition> read(const QString &folder, const QDate &first,
                                       const QDate &last);
};
