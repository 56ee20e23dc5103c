#pragma once

#include "MqttSettings.h"

/// CFG/Mqtt.INI of a program folder: the broker settings read, checked and written.
class MqttSettingsFile
{
public:
    explicit MqttSettingsFile(const QString &programFolder);

    QString path() const;
    /// A missing file gives the defaults (publishing off) without an error.
    MqttSettings::Read load() const;
    /// Why the settings cannot be used (empty when they can): MqttSettings::problem, and with
    /// TLS on a CA file (relative names from the program folder) that cannot be read.
    QString problem(const MqttSettings &settings) const;
    /// A warning when the file holds a password that other users may read (a file written by
    /// hand), naming the file and its rights; empty otherwise.
    QString passwordWarning() const;
    /// Writes the file readable and writable by its owner only: it holds the broker's password.
    bool save(const MqttSettings &settings) const;

private:
    QString m_programFolder;
};
