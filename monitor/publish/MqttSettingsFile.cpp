#include "MqttSettingsFile.h"

#include "IniText.h"
#include "SettingsFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

MqttSettingsFile::MqttSettingsFile(const QString &programFolder) : m_programFolder(programFolder) {}

QString MqttSettingsFile::path() const
{
    return QDir(SettingsFiles(m_programFolder).cfgFolder()).filePath(QStringLiteral("Mqtt.INI"));
}

MqttSettings::Read MqttSettingsFile::load() const
{
    if (!QFile::exists(path()))
        return {};
    QSettings file(path(), QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return {{}, QStringLiteral("Mqtt.INI를 읽을 수 없습니다 (형식 오류).")};
    MqttSettings::Read read = MqttSettings::read(file);
    if (read.error.isEmpty())
        read.error = problem(read.settings);
    return read;
}

QString MqttSettingsFile::problem(const MqttSettings &settings) const
{
    if (const QString problem = settings.problem(); !problem.isEmpty())
        return problem;
    if (!settings.Enabled || !settings.Tls || settings.CaFile.isEmpty())
        return {};
    // libmosquitto would refuse it at every connection, and the publisher never get further.
    const QFileInfo ca(QDir(m_programFolder).absoluteFilePath(settings.CaFile));
    if (ca.isFile() && ca.isReadable())
        return {};
    return IniText::badValue(
        QStringLiteral("Mqtt.INI"), QStringLiteral("CaFile"), settings.CaFile,
        QStringLiteral("읽을 수 있는 CA 파일, %1 없음").arg(ca.absoluteFilePath()));
}

QString MqttSettingsFile::passwordWarning() const
{
    const QFileInfo file(path());
    if (!file.isFile() || load().settings.Password.isEmpty())
        return {};
    constexpr auto Others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!(file.permissions() & Others))
        return {};
    const auto mode = file.permissions();
    const auto digit = [mode](QFileDevice::Permission r, QFileDevice::Permission w,
                              QFileDevice::Permission x) {
        return (mode & r ? 4 : 0) + (mode & w ? 2 : 0) + (mode & x ? 1 : 0);
    };
    const QString rights =
        QStringLiteral("%1%2%3")
            .arg(digit(QFileDevice::ReadOwner, QFileDevice::WriteOwner, QFileDevice::ExeOwner))
            .arg(digit(QFileDevice::ReadGroup, QFileDevice::WriteGroup, QFileDevice::ExeGroup))
            .arg(digit(QFileDevice::ReadOther, QFileDevice::WriteOther, QFileDevice::ExeOther));
    return QStringLiteral("%1에 브로커 비밀번호가 있는데 다른 사용자도 읽을 수 있습니다 (권한 %2). "
                          "chmod 600 %1 으로 막으십시오.")
        .arg(path(), rights);
}

bool MqttSettingsFile::save(const MqttSettings &settings) const
{
    constexpr auto OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!QDir().mkpath(QFileInfo(path()).path()))
        return false;
    // The file exists with owner-only rights before the password goes in: QSettings replaces
    // it through a new file that takes over the rights of the one it replaces.
    QFile file(path());
    if (!file.open(QIODevice::Append) || !file.setPermissions(OwnerOnly))
        return false;
    file.close();
    QSettings ini(path(), QSettings::IniFormat);
    ini.clear();
    settings.write(ini);
    ini.sync();
    constexpr auto Others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    return ini.status() == QSettings::NoError && !(QFile::permissions(path()) & Others);
}
