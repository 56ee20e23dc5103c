#pragma once

#include "Alarm.h"
#include "AlarmSound.h"

#include <QObject>
#include <QTimer>
#include <functional>

class AlarmEngine;

/// Makes alarms heard and seen outside the window: the alarm sound, repeated every
/// RepeatSeconds of Alarm.INI while an alarm is unacknowledged (when its Sound is on, at its
/// Volume), and a desktop notification for each alarm raised, where the session bus offers the
/// freedesktop notification service.
class AlarmAnnouncer : public QObject
{
    Q_OBJECT

public:
    explicit AlarmAnnouncer(const AlarmEngine &alarms, QObject *parent = nullptr);

    /// How often the sound repeats, instead of Alarm.INI's (tests shorten it).
    void setRepeatInterval(int ms) { m_repeatOverrideMs = ms; }
    /// The sound has an audio output to play on (without one the bell rings).
    bool soundHasOutput() const { return m_alarmSound.hasOutput(); }
    const AlarmSound &alarmSound() const { return m_alarmSound; }
    /// What plays the sound and what shows a notification (tests hear and see them).
    void setSound(std::function<void()> sound) { m_sound = std::move(sound); }
    void setNotifier(std::function<void(const QString &title, const QString &body)> notifier)
    {
        m_notify = std::move(notifier);
    }

private:
    void onTransition(const AlarmTransition &transition);
    void ring();
    void startRepeating();

    const AlarmEngine &m_alarms;
    AlarmSound m_alarmSound;
    QTimer m_repeat;
    int m_repeatOverrideMs = 0;
    std::function<void()> m_sound;
    std::function<void(const QString &, const QString &)> m_notify;
};
