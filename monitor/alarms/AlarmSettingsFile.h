#pragma once

#include "AlarmSettings.h"

/// CFG/Alarm.INI of a program folder: the alarm limits and sound read and written.
class AlarmSettingsFile
{
public:
    explicit AlarmSettingsFile(const QString &programFolder);

    QString path() const;
    /// A missing file gives no limits and the sound on, without an error.
    AlarmSettings::Read load() const;
    bool save(const AlarmSettings &settings) const;

private:
    QString m_programFolder;
};
