#include "SettingsFiles.h"

#include "GridFile.h"
#include "NumberText.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    if (const auto settings = lines ? portSettingsOf(*lines) : std::nullopt)
        return *settings;
    const PortSettings defaults;
    SavePortSettings(defaults);
    return defaults;
}

bool SettingsFiles::SavePortSettings(const PortSettings &settings) const
{
    return TextFile::replaceLines(commPath(), linesOf(settings));
}

QString SettingsFiles::notSavedMessage(const QString &what, const QString &path)
{
    return QStringLiteral("%1을(를) 파일에 저장하지 못했습니다.\n%2\n지금은 바꾼 설정으로 "
                          "동작하지만, 프로그램을 다시 시작하면 이전 설정으로 돌아갑니다. 폴더의 "
                          "쓰기 권한과 디스크 공간을 확인하십시오.")
        .arg(what, QDir::toNativeSeparators(path));
}

RecordingSettings SettingsFiles::LoadRecordingSettings(const QString &defaultDataFolder) const
{
    TextFile::ensureFolder(cfgFolder());
    const auto lines = TextFile::readLines(saveDataPath());
    if (const auto settings = lines ? recordingSettingsOf(*lines) : std::nullopt)
        return *settings;
    RecordingSettings defaults;
    defaults.DataFolder = defaultDataFolder;
    TextFile::ensureFolder(defaultDataFolder);
    return defaults;
}

bool SettingsFiles::SaveRecordingSettings(const RecordingSettings &settings) const
{
    TextFile::ensureFolder(cfgFolder());
    return TextFile::replaceLines(saveDataPath(), linesOf(settings));
}

std::optional<RecordingSettings> SettingsFiles::StoredRecordingSettings() const
{
    TextFile::ensureFolder(cfgFolder());
    const auto lines = TextFile::readLines(saveDataPath());
    return lines ? recordingSettingsOf(*lines) : std::nullopt;
}

QString SettingsFiles::timerPath(int deviceNo) const
{
    return QDir(m_programFolder)
        .filePath(QStringLiteral("Timer.%1").arg(deviceNo, 3, 10, QLatin1Char('0')));
}

std::optional<QList<QStringList>> SettingsFiles::LoadTimerDescriptions(int deviceNo) const
{
    return GridFile::load(timerPath(deviceNo));
}

bool SettingsFiles::SaveTimerDescriptions(int deviceNo, const QList<QStringList> &rows) const
{
    return GridFile::save(timerPath(deviceNo), rows);
}

QList<DeviceListRow> SettingsFiles::LoadDeviceListRows() const
{
    TextFile::ensureFolder(cfgFolder());
    return deviceListRowsOf(TextFile::readLines(setMultiPath()).value_or(QStringList()));
}

bool SettingsFiles::SaveDeviceList(const QList<DeviceListRow> &rows) const
{
    TextFile::ensureFolder(cfgFolder());
    return TextFile::replaceLines(setMultiPath(), linesOf(rows));
}

QList<int> SettingsFiles::LoadDeviceList() const
{
    TextFile::ensureFolder(cfgFolder());
    return devicesOf(TextFile::readLines(setMultiPath()).value_or(QStringList()));
}

bool SettingsFiles::LoadTraceSwitch() const
{
    TextFile::ensureFolder(cfgFolder());
    const auto lines = TextFile::readLines(logSwitchPath());
    if (!lines || lines->isEmpty())
        return false;
    return NumberText::leadingNumber(lines->first()) > 0;
}

SettingsFiles::StartSettings
SettingsFiles::LoadStartSettings(const QString &defaultDataFolder) const
{
    StartSettings settings;
    settings.trace = LoadTraceSwitch();
    settings.recording = LoadRecordingSettings(defaultDataFolder);
    settings.devices = LoadDeviceList();
    settings.port = LoadPortSettings();
    return settings;
}

std::optional<PortSettings> SettingsFiles::portSettingsOf(const QStringList &lines)
{
    if (lines.size() < PortLines)
        return std::nullopt;
    PortSettings settings;
    settings.PortName = lines.at(0);
    settings.BaudRate = lines.at(1);
    settings.ParityBit = lines.at(2);
    settings.DataBit = lines.at(3);
    settings.StopBit = lines.at(4);
    settings.Protocol = lines.at(5);
    return settings;
}

QStringList SettingsFiles::linesOf(const PortSettings &settings)
{
    return {settings.PortName, settings.BaudRate, settings.ParityBit,
            settings.DataBit,  settings.StopBit,  settings.Protocol};
}

std::optional<RecordingSettings> SettingsFiles::recordingSettingsOf(const QStringList &lines)
{
    if (lines.size() < RecordingLines)
        return std::nullopt;
    RecordingSettings settings;
    settings.RecordSwitch = lines.at(0);
    settings.RecordInterval = NumberText::roundHalfEven(NumberText::leadingNumber(lines.at(1)));
    settings.RecordUnit = lines.at(2);
    settings.DataFolder = lines.at(3);
    settings.DataFilePrefix = lines.at(4);
    return settings;
}

QStringList SettingsFiles::linesOf(const RecordingSettings &settings)
{
    return {settings.RecordSwitch, QString::number(settings.RecordInterval), settings.RecordUnit,
            settings.DataFolder, settings.DataFilePrefix};
}

QList<DeviceListRow> SettingsFiles::deviceListRowsOf(const QStringList &lines)
{
    QList<DeviceListRow> rows;
    for (int n = 1; n <= std::min<int>(MaxDeviceNo, int(lines.size())); ++n) {
        const QString &line = lines.at(n - 1);
        if (line.isEmpty())
            break;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            rows.append({line, QString()});
            break;
        }
        // The name ends at the next TAB, if any.
        const QStringView rest = QStringView(line).sliced(tab + 1);
        const qsizetype end = rest.indexOf(QLatin1Char('\t'));
        rows.append({line.first(tab), (end < 0 ? rest : rest.first(end)).toString()});
    }
    return rows;
}

QStringList SettingsFiles::linesOf(const QList<DeviceListRow> &rows)
{
    QStringList lines;
    lines.reserve(MaxDeviceNo);
    // A TAB or a line break typed into a cell would split or break the line: blanks instead.
    const auto appendField = [](QString &line, const QString &text) {
        const qsizetype from = line.size();
        line += text;
        for (qsizetype i = from; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                line[i] = QLatin1Char(' ');
        }
    };
    static const QString emptyRow = QStringLiteral("\t");
    for (int n = 0; n < MaxDeviceNo; ++n) {
        const DeviceListRow row = rows.value(n);
        if (row.mark.isEmpty() && row.name.isEmpty()) {
            lines.append(emptyRow); // most of the 99 rows: one shared string
            continue;
        }
        QString line;
        appendField(line, row.mark);
        line += QLatin1Char('\t');
        appendField(line, row.name);
        lines.append(line);
    }
    return lines;
}

QList<int> SettingsFiles::devicesOf(const QStringList &lines)
{
    QList<int> devices;
    for (int n = 1; n <= std::min<int>(MaxDeviceNo, int(lines.size())); ++n) {
        const QString &line = lines.at(n - 1);
        if (line.isEmpty())
            break;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (QStringView(line).first(tab < 0 ? line.size() : tab) == u"O")
            devices.append(n);
    }
    return devices;
}
