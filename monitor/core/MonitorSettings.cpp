#include "MonitorSettings.h"

#include "PollingEngine.h"

MonitorSettings::MonitorSettings(PollingEngine &engine, const QString &programFolder,
                                 const QString &defaultDataFolder)
    : m_engine(engine), m_files(programFolder), m_defaultDataFolder(defaultDataFolder)
{}

void MonitorSettings::load()
{
    m_engine.startUp(m_files.LoadStartSettings(m_defaultDataFolder));
}

bool MonitorSettings::applyPortSettings(const PortSettings &settings)
{
    const bool saved = m_files.SavePortSettings(settings);
    m_engine.usePortSettings(settings);
    return saved;
}

bool MonitorSettings::applyRecordingSettings(const RecordingSettings &settings)
{
    const bool saved = m_files.SaveRecordingSettings(settings);
    m_engine.useRecordingSettings(settings);
    return saved;
}

bool MonitorSettings::applyDeviceList(const QList<DeviceListRow> &rows)
{
    const bool saved = m_files.SaveDeviceList(rows);
    QList<int> devices;
    for (int n = 1; n <= int(rows.size()); ++n) {
        if (rows.at(n - 1).inUse())
            devices.append(n);
    }
    m_engine.setDeviceList(devices);
    return saved;
}
