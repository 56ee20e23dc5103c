#pragma once

#include "SettingsFiles.h"

class PollingEngine;

/// The settings files the monitor runs on, between the operator and the engine: read in
/// start-up order and handed to the engine, and each change the operator makes stored in its
/// file and then taken by the engine. A change applies to this run whether or not its file could
/// be written; each apply returns false when the file was not written (the caller says so: the
/// change is then lost at the next start).
class MonitorSettings
{
public:
    MonitorSettings(PollingEngine &engine, const QString &programFolder,
                    const QString &defaultDataFolder);

    /// Reads the trace switch, the recording settings, the device list and the port settings
    /// and starts the engine on them. The port stays closed.
    void load();
    const SettingsFiles &files() const { return m_files; }

    /// Comm.CFG: the protocol applies to the next frame, the rest at the next opening of the port.
    bool applyPortSettings(const PortSettings &settings);
    /// SaveData.INI: taken at the next display tick.
    bool applyRecordingSettings(const RecordingSettings &settings);
    /// SetMulti.INI: the device list and the table are rebuilt from the rows marked "O".
    bool applyDeviceList(const QList<DeviceListRow> &rows);

private:
    PollingEngine &m_engine;
    SettingsFiles m_files;
    QString m_defaultDataFolder;
};
