#include "SettingsCheck.h"

#include "AlarmSettingsFile.h"
#include "MqttSettingsFile.h"
#include "SettingsFiles.h"
#include "TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString limitText(const std::optional<double> &limit)
{
    return limit ? QString::number(*limit) : QStringLiteral("-");
}

void checkPort(const SettingsFiles &files, QTextStream &out, QStringList &problems)
{
    const auto lines = TextFile::readLines(files.commPath());
    if (!lines) {
        problems.append(QStringLiteral("Comm.CFG: 파일이 없습니다 (통신포트를 모릅니다)"));
        return;
    }
    const auto port = SettingsFiles::portSettingsOf(*lines);
    if (!port) {
        problems.append(QStringLiteral("Comm.CFG: 6줄이 필요한데 %1줄뿐입니다").arg(lines->size()));
        return;
    }
    bool numeric = false;
    port->BaudRate.toInt(&numeric);
    if (!numeric)
        problems.append(QStringLiteral("Comm.CFG 2줄: 통신속도 \"%1\"이(가) 숫자가 아닙니다")
                            .arg(port->BaudRate));
    if (port->Protocol != QLatin1String("STD") && port->Protocol != QLatin1String("SUM"))
        problems.append(QStringLiteral("Comm.CFG 6줄: 프로토콜 \"%1\"은(는) STD나 SUM이 아닙니다")
                            .arg(port->Protocol));
    out << QStringLiteral("통신포트: %1 %2,%3,%4,%5 %6\n")
               .arg(port->PortName, port->BaudRate, port->ParityBit, port->DataBit, port->StopBit,
                    port->Protocol);
}

void checkDevices(const SettingsFiles &files, QTextStream &out, QStringList &problems)
{
    const QList<int> devices = files.LoadDeviceList();
    if (devices.isEmpty()) {
        problems.append(QStringLiteral("CFG/SetMulti.INI: 사용(\"O\")하는 기기가 없습니다"));
        return;
    }
    QStringList numbers;
    for (const int deviceNo : devices)
        numbers.append(twoDigits(deviceNo));
    out << QStringLiteral("기기: %1\n").arg(numbers.join(QLatin1Char(' ')));
}

void checkRecording(const SettingsFiles &files, const QString &defaultDataFolder, QTextStream &out,
                    QStringList &problems)
{
    const auto stored = files.StoredRecordingSettings();
    if (!stored) {
        out << QStringLiteral("기록: 하지 않음 (CFG/SaveData.INI가 없거나 짧음), 경보 기록은 %1\n")
                   .arg(defaultDataFolder);
        return;
    }
    if (stored->RecordInterval < 1 || stored->RecordInterval > 60)
        problems.append(QStringLiteral("CFG/SaveData.INI 2줄: 저장주기 %1은(는) 1~60이 아닙니다")
                            .arg(stored->RecordInterval));
    const QFileInfo folder(stored->DataFolder);
    if (stored->isOn() && !folder.isDir())
        problems.append(QStringLiteral("CFG/SaveData.INI 4줄: 저장폴더 %1이(가) 없습니다")
                            .arg(stored->DataFolder));
    else if (stored->isOn() && !folder.isWritable())
        problems.append(QStringLiteral("CFG/SaveData.INI 4줄: 저장폴더 %1에 쓸 수 없습니다")
                            .arg(stored->DataFolder));
    if (!stored->isOn()) {
        out << QStringLiteral("기록: 하지 않음 (저장여부 %1), 경보 기록은 %2\n")
                   .arg(stored->RecordSwitch, stored->DataFolder);
        return;
    }
    out << QStringLiteral("기록: %1초마다 운전 중인 기기를 %2\n")
               .arg(stored->intervalSeconds())
               .arg(QDir(stored->DataFolder)
                        .filePath(stored->DataFilePrefix + QStringLiteral("_NN.DAT")));
}

void checkBroker(const MqttSettingsFile &file, const QString &instance, QTextStream &out,
                 QStringList &problems)
{
    const MqttSettings::Read read = file.load();
    if (const QString warning = file.passwordWarning(); !warning.isEmpty())
        out << QStringLiteral("경고: %1\n").arg(warning);
    if (!read.error.isEmpty()) {
        // The values of the summary would be defaults standing in for the refused one.
        problems.append(QStringLiteral("CFG/Mqtt.INI: %1").arg(read.error));
        out << QStringLiteral("MQTT: 설정 오류로 발행하지 않음\n");
        return;
    }
    const MqttSettings &mqtt = read.settings;
    if (!mqtt.Enabled) {
        out << QStringLiteral("MQTT: 발행하지 않음\n");
        return;
    }
    out << QStringLiteral("MQTT: %1:%2, 접두어 %3, 클라이언트 %4%5%6\n")
               .arg(mqtt.Host)
               .arg(mqtt.Port)
               .arg(mqtt.topicPrefix(instance), mqtt.clientId(instance),
                    mqtt.Tls ? QStringLiteral(", TLS") : QString(),
                    mqtt.Discovery ? QStringLiteral(", Home Assistant 등록") : QString());
}

void checkAlarms(const AlarmSettingsFile &file, QTextStream &out, QStringList &problems)
{
    const AlarmSettings::Read read = file.load();
    if (!read.error.isEmpty())
        problems.append(QStringLiteral("CFG/Alarm.INI: %1").arg(read.error));
    const AlarmSettings &alarms = read.settings;
    out << QStringLiteral("경보: 통신 이상과 기기 경보는 모든 기기, 경보음 %1\n")
               .arg(alarms.Sound ? QStringLiteral("켬") : QStringLiteral("끔"));
    for (auto it = alarms.limits.cbegin(); it != alarms.limits.cend(); ++it) {
        if (it->isEmpty())
            continue;
        out << QStringLiteral("  [%1] 상한 %2, 하한 %3, 편차 %4, 불감대 %5, 지연 %6초\n")
                   .arg(twoDigits(it.key()), limitText(it->High), limitText(it->Low),
                        limitText(it->Deviation))
                   .arg(it->Deadband)
                   .arg(it->OnDelay);
    }
}

} // namespace

SettingsCheck::SettingsCheck(const QString &programFolder, const QString &defaultDataFolder,
                             const QString &instance)
    : m_folder(programFolder), m_defaultDataFolder(defaultDataFolder), m_instance(instance)
{}

QStringList SettingsCheck::run(QTextStream &out) const
{
    const SettingsFiles files(m_folder);
    QStringList problems;
    out << QStringLiteral("프로그램 폴더: %1\n").arg(QDir(m_folder).absolutePath());
    checkPort(files, out, problems);
    checkDevices(files, out, problems);
    checkRecording(files, m_defaultDataFolder, out, problems);
    checkBroker(MqttSettingsFile(m_folder), m_instance, out, problems);
    checkAlarms(AlarmSettingsFile(m_folder), out, problems);
    return problems;
}
