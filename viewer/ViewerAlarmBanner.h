#pragma once

#include "Alarm.h"
#include "ElidedLabel.h"

#include <QDateTime>
#include <QTimer>
#include <functional>

/// The viewer's banner of the line's unacknowledged alarms, so that working in the viewer hides
/// none: read from the alarm journal the monitor writes in its data folder, as it is written
/// (looked at every second, read again only when today's file changed or the day turned). Red
/// with the count and the newest while any alarm is unacknowledged, hidden otherwise. A click
/// emits clicked(): the window brings the monitor forward.
class ViewerAlarmBanner : public ElidedLabel
{
    Q_OBJECT

public:
    static constexpr int PollMs = 1000;

    explicit ViewerAlarmBanner(QWidget *parent = nullptr);

    /// The folder the journal is written to; read at once.
    void setFolder(const QString &folder);
    /// Today (tests give their own day).
    void setToday(std::function<QDate()> today) { m_today = std::move(today); }
    /// Reads the journal again when it changed and shows what it says.
    void refresh();
    /// The unacknowledged alarms shown, the newest first.
    const QList<Alarm> &alarms() const { return m_alarms; }

private:
    void showAlarms(const QList<Alarm> &unacknowledged);

    QString m_folder;
    QTimer m_poll;
    std::function<QDate()> m_today = [] {
        return QDate::currentDate();
    };
    /// What today's journal was when last read: its day, size and time of change.
    QDate m_readDay;
    qint64 m_readSize = -1;
    QDateTime m_readModified;
    QList<Alarm> m_alarms;
};
