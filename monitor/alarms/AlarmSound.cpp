#include "AlarmSound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>

AlarmSound::AlarmSound(QObject *parent) : QObject(parent)
{
    m_effect.setSource(QUrl(QStringLiteral("qrc:/alarms/alarm.wav")));
}

void AlarmSound::setVolume(int percent)
{
    m_effect.setVolume(std::clamp(percent, 0, 100) / 100.0);
}

void AlarmSound::play()
{
    if (!hasOutput()) {
        QApplication::beep();
        return;
    }
    // The default output of this moment: a headset plugged in since the start is used.
    m_effect.setAudioDevice(QMediaDevices::defaultAudioOutput());
    m_effect.play();
}

bool AlarmSound::hasOutput() const
{
    return !QMediaDevices::audioOutputs().isEmpty();
}
