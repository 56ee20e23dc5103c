#pragma once

#include <QObject>
#include <QSoundEffect>

/// The alarm sound: a clear two-tone of about a second shipped in the program, played through
/// the desktop's sound server (PulseAudio or PipeWire). Where the session has no audio output
/// at all the X bell rings as well, so a PC without speakers still makes itself heard through
/// its own beeper where it has one.
class AlarmSound : public QObject
{
    Q_OBJECT

public:
    explicit AlarmSound(QObject *parent = nullptr);

    /// 0 to 100 percent, for the plays from now on.
    void setVolume(int percent);
    float volume() const { return m_volume; }
    void play();
    /// An audio output exists to play the sound on.
    bool hasOutput() const;
    /// The shipped sample, loaded at the start.
    const QSoundEffect &effect() const { return m_effect; }

private:
    QSoundEffect m_effect;
    float m_volume = 0.8f;
};
