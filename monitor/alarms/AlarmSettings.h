#pragma once

#include <QMap>
#include <QString>
#include <optional>

class QSettings;

/// One controller's alarm limits, in the controller's unit. An empty limit is off.
struct AlarmLimits
{
    std::optional<double> High;
    std::optional<double> Low;
    /// |PV - SV| above this while the controller runs.
    std::optional<double> Deviation;
    /// How far back inside the limit a value must come before its alarm clears.
    double Deadband = 1.0;
    /// How long a limit must stay crossed before its alarm is raised, in seconds.
    int OnDelay = 10;

    bool isEmpty() const { return !High && !Low && !Deviation; }
    bool operator==(const AlarmLimits &) const = default;
};

/// The alarm settings of CFG/Alarm.INI (QSettings' INI form): a group per controller named by
/// its two-digit number ([01]) with High, Low, Deviation, Deadband and OnDelay, and in
/// [General] the alarm sound: its switch, its volume and how often it repeats.
struct AlarmSettings
{
    static constexpr int MaxOnDelay = 3600;
    static constexpr int MaxRepeatSeconds = 600;

    bool Sound = true;
    /// Loudness of the alarm sound, 0 to 100 percent.
    int Volume = 80;
    /// The sound repeats this often while an alarm is unacknowledged, 1 to 600 seconds.
    int RepeatSeconds = 3;
    /// By controller number; a controller without an entry has no limits.
    QMap<int, AlarmLimits> limits;

    AlarmLimits of(int deviceNo) const { return limits.value(deviceNo); }
    /// Some controller has a limit: the line is watched for more than its links.
    bool anyLimits() const;
    bool operator==(const AlarmSettings &) const = default;

    struct Read;
    /// What the file says. A value that cannot be taken keeps its default and is named, with
    /// its controller and key, in the error (empty when all is well).
    static Read read(QSettings &file);
    void write(QSettings &file) const;
    /// Why these settings cannot be used (empty when they can), naming controller and key.
    QString problem() const;
};

struct AlarmSettings::Read
{
    AlarmSettings settings;
    QString error;
};
