#pragma once

#include "SharedState.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

/// The monitor's settings files. Comm.CFG and the Timer.NNN files lie in the program folder,
/// SaveData.INI, SetMulti.INI and LogSaveF.INI in its subfolder CFG. All are code page 949 text
/// with CR LF.
class SettingsFiles
{
public:
    /// Everything the monitor reads at start-up.
    struct StartSettings
    {
        bool trace = false;
        RecordingSettings recording;
        QList<int> devices;
        PortSettings port;
    };

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
    /// What the operator is told when settings applied to this run could not be saved.
    static QString notSavedMessage(const QString &what, const QString &path);

    /// Five lines into the recording settings. A missing or short file gives the defaults for all
    /// five (not written back) and creates the default data folder.
    RecordingSettings LoadRecordingSettings(const QString &defaultDataFolder) const;
    bool SaveRecordingSettings(const RecordingSettings &settings) const;
    /// What SaveData.INI holds now; nullopt when it is missing or short.
    std::optional<RecordingSettings> StoredRecordingSettings() const;

    /// The device numbers in use: line n marked "O" (exactly, before the first TAB) puts device n
    /// in use. An empty line ends the list; lines past line 99 are ignored.
    QList<int> LoadDeviceList() const;
    /// The list's lines as the device list window shows them, from line 1 on: the mark and the
    /// channel name. Reading stops at a missing file, an empty line, or after a line without a
    /// TAB (whose mark is kept, its name not).
    QList<DeviceListRow> LoadDeviceListRows() const;
    /// Writes one line per row (mark, TAB, name), rows 1 to 99.
    bool SaveDeviceList(const QList<DeviceListRow> &rows) const;

    /// Timer.NNN in the program folder: the parameter window's three rows of timer descriptions
    /// for controller NNN. Nullopt for a missing or foreign file.
    QString timerPath(int deviceNo) const;
    std::optional<QList<QStringList>> LoadTimerDescriptions(int deviceNo) const;
    bool SaveTimerDescriptions(int deviceNo, const QList<QStringList> &rows) const;

    /// True when the first line of LogSaveF.INI starts with a number greater than 0.
    bool LoadTraceSwitch() const;

    /// The four files in the order start-up reads them.
    StartSettings LoadStartSettings(const QString &defaultDataFolder) const;

    /// What the files' lines mean and the lines that say it, without the files: nullopt for
    /// too few lines.
    static std::optional<PortSettings> portSettingsOf(const QStringList &lines);
    static QStringList linesOf(const PortSettings &settings);
    static std::optional<RecordingSettings> recordingSettingsOf(const QStringList &lines);
    static QStringList linesOf(const RecordingSettings &settings);
    static QList<DeviceListRow> deviceListRowsOf(const QStringList &lines);
    static QStringList linesOf(const QList<DeviceListRow> &rows);
    static QList<int> devicesOf(const QStringList &lines);

private:
    QString m_programFolder;
};
