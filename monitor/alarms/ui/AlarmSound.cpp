#include "AlarmSound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>

namespace {

const QUrl Sample(QStringLiteral("qrc:/alarms/alarm.wav"));

} // namespace

AlarmSound::AlarmSound(QObject *parent) : QObject(parent)
{
    // Loaded once here; the plays share the decoded sample through Qt's sample cache.
    m_effect.setSource(Sample);
}

void AlarmSound::setVolume(int percent)
{
    m_volume = std::clamp(percent, 0, 100) / 100.0f;
}

/// Each play has an effect of its own on the output that is the default at that moment (a
/// headset plugged in since the start is used). One effect played again and again loses plays:
/// on PulseAudio two of every six stayed silent, while fresh effects were all heard.
void AlarmSound::play()
{
    if (!hasOutput()) {
        QApplication::beep();
        return;
    }
    auto *effect = new QSoundEffect(QMediaDevices::defaultAudioOutput(), this);
    effect->setSource(Sample);
    effect->setVolume(m_volume);
    connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
    });
    effect->play();
}

bool AlarmSound::hasOutput() const
{
    return !QMediaDevices::audioOutputs().isEmpty();
}
