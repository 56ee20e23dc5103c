#include "SettingsFiles.h"

#include "NumberText.h"
#include "TextFile.h"

#include <QDir>

namespace {

constexpr int PortLines = 6;
constexpr int RecordingLines = 5;
constexpr int MaxDeviceNo = 99;

} // namespace

SettingsFiles::SettingsFiles(const QString &programFolder) : m_programFolder(programFolder) {}

QString SettingsFiles::commPath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("Comm.CFG"));
}

QString SettingsFiles::cfgFolder() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("CFG"));
}

QString SettingsFiles::saveDataPath() const
{
    return QDir(cfgFolder()).filePath(QStringLiteral("SaveData.INI"));
}

QString SettingsFiles::setMultiPath() const
{
    return QDir(cfgFolder()).filePath(QStringLiteral("SetMulti.INI"));
}

QString SettingsFiles::logSwitchPath() const
{
    return QDir(cfgFolder()).filePath(QStringLiteral("LogSaveF.INI"));
}

PortSettings SettingsFiles::LoadPortSettings() const
{
    const auto lines = TextFile::readLines(commPath());
    if (!lines || lines->size() < PortLines) {
        const PortSettings defaults;
        SavePortSettings(defaults);
        return defaults;
    }
    PortSettings settings;
    settings.PortName = lines->at(0);
    settings.BaudRate = lines->at(1);
    settings.ParityBit = lines->at(2);
    settings.DataBit = lines->at(3);
    settings.StopBit = lines->at(4);
    settings.Protocol = lines->at(5);
    return settings;
}

bool SettingsFiles::SavePortSettings(const PortSettings &settings) const
{
    return TextFile::replaceLines(commPath(),
                                  {settings.PortName, settings.BaudRate, settings.ParityBit,
                                   settings.DataBit, settings.StopBit, settings.Protocol});
}

RecordingSettings SettingsFiles::LoadRecordingSettings(const QString &defaultDataFolder) const
{
    TextFile::ensureFolder(cfgFolder());
    const auto lines = TextFile::readLines(saveDataPath());
    if (!lines || lines->size() < RecordingLines) {
        RecordingSettings defaults;
        defaults.DataFolder = defaultDataFolder;
        TextFile::ensureFolder(defaultDataFolder);
        return defaults;
    }
    RecordingSettings settings;
    settings.RecordSwitch = lines->at(0);
    settings.RecordInterval = NumberText::roundHalfEven(NumberText::leadingNumber(lines->at(1)));
    settings.RecordUnit = lines->at(2);
    settings.DataFolder = lines->at(3);
    settings.DataFilePrefix = lines->at(4);
    return settings;
}

bool SettingsFiles::SaveRecordingSettings(const RecordingSettings &settings) const
{
    TextFile::ensureFolder(cfgFolder());
    return TextFile::replaceLines(
        saveDataPath(), {settings.RecordSwitch, QString::number(settings.RecordInterval),
                         settings.RecordUnit, settings.DataFolder, settings.DataFilePrefix});
}

QList<DeviceListRow> SettingsFiles::LoadDeviceListRows() const
{
    TextFile::ensureFolder(cfgFolder());
    QList<DeviceListRow> rows;
    const auto lines = TextFile::readLines(setMultiPath());
    if (!lines)
        return rows;
    for (int n = 1; n <= std::min<int>(MaxDeviceNo, int(lines->size())); ++n) {
        const QString &line = lines->at(n - 1);
        if (line.isEmpty())
            break;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            rows.append({line, QString()});
            break;
        }
        rows.append({line.left(tab), line.mid(tab + 1).section(QLatin1Char('\t'), 0, 0)});
    }
    return rows;
}

bool SettingsFiles::SaveDeviceList(const QList<DeviceListRow> &rows) const
{
    TextFile::ensureFolder(cfgFolder());
    QStringList lines;
    // A TAB or a line break typed into a cell would split or break the line: blanks instead.
    const auto oneField = [](QString text) {
        for (QChar &c : text) {
            if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                c = QLatin1Char(' ');
        }
        return text;
    };
    for (int n = 0; n < MaxDeviceNo; ++n) {
        const DeviceListRow row = rows.value(n);
        lines.append(oneField(row.mark) + QLatin1Char('\t') + oneField(row.name));
    }
    return TextFile::replaceLines(setMultiPath(), lines);
}

QList<int> SettingsFiles::LoadDeviceList() const
{
    TextFile::ensureFolder(cfgFolder());
    QList<int> devices;
    const auto lines = TextFile::readLines(setMultiPath());
    if (!lines)
        return devices;
    for (int n = 1; n <= std::min<int>(MaxDeviceNo, int(lines->size())); ++n) {
        const QString &line = lines->at(n - 1);
        if (line.isEmpty())
            break;
        if (line.section(QLatin1Char('\t'), 0, 0) == QLatin1String("O"))
            devices.append(n);
    }
    return devices;
}

bool SettingsFiles::LoadTraceSwitch() const
{
    TextFile::ensureFolder(cfgFolder());
    const auto lines = TextFile::readLines(logSwitchPath());
    if (!lines || lines->isEmpty())
        return false;
    return NumberText::leadingNumber(lines->first()) > 0;
}
