#pragma once

#include "Alarm.h"

#include <QObject>
#include <QTimer>
#include <functional>

class AlarmEngine;

/// Makes alarms heard and seen outside the window: a sound that repeats while an alarm is
/// unacknowledged (when Alarm.INI's Sound is on), and a desktop notification for each alarm
/// raised, where the session bus offers the freedesktop notification service. Without a sound
/// device or a notification service nothing happens, and nothing is reported.
class AlarmAnnouncer : public QObject
{
    Q_OBJECT

public:
    static constexpr int RepeatMs = 3000;

    explicit AlarmAnnouncer(const AlarmEngine &alarms, QObject *parent = nullptr);

    /// How often the sound repeats (tests shorten it).
    void setRepeatInterval(int ms) { m_repeat.setInterval(ms); }
    /// What plays the sound and what shows a notification (tests hear and see them).
    void setSound(std::function<void()> sound) { m_sound = std::move(sound); }
    void setNotifier(std::function<void(const QString &title, const QString &body)> notifier)
    {
        m_notify = std::move(notifier);
    }

private:
    void onTransition(const AlarmTransition &transition);
    void ring();

    const AlarmEngine &m_alarms;
    QTimer m_repeat;
    std::function<void()> m_sound;
    std::function<void(const QString &, const QString &)> m_notify;
};
