#pragma once

#include "SharedState.h"

#include <QList>
#include <QString>

/// The monitor's four settings files. Comm.CFG lies in the program folder, SaveData.INI,
/// SetMulti.INI and LogSaveF.INI in its subfolder CFG. All are code page 949 text with CR LF.
class SettingsFiles
{
public:
    explicit SettingsFiles(const QString &programFolder);

    QString commPath() const;
    QString cfgFolder() const;
    QString saveDataPath() const;
    QString setMultiPath() const;
    QString logSwitchPath() const;

    /// Six lines into the port settings. A missing or short file gives the defaults for all six,
    /// which are written back so that the file exists from then on.
    PortSettings LoadPortSettings() const;
    bool SavePortSettings(const PortSettings &settings) const;

    /// Five lines into the recording settings. A missing or short file gives the defaults for all
    /// five (not written back) and creates the default data folder.
    RecordingSettings LoadRecordingSettings(const QString &defaultDataFolder) const;
    bool SaveRecordingSettings(const RecordingSettings &settings) const;

    /// The device numbers in use: line n marked "O" (exactly, before the first TAB) puts device n
    /// in use. An empty line ends the list; lines past line 99 are ignored.
    QList<int> LoadDeviceList() const;
    /// The list's lines as the device list window shows them, from line 1 on: the mark and the
    /// channel name. Reading stops at a missing file, an empty line, or after a line without a
    /// TAB (whose mark is kept, its name not).
    QList<DeviceListRow> LoadDeviceListRows() const;
    /// Writes one line per row (mark, TAB, name), rows 1 to 99.
    bool SaveDeviceList(const QList<DeviceListRow> &rows) const;

    /// True when the first line of LogSaveF.INI starts with a number greater than 0.
    bool LoadTraceSwitch() const;

private:
    QString m_programFolder;
};
