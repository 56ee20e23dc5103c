#include "AlarmSettingsFile.h"

#include "SettingsFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

AlarmSettingsFile::AlarmSettingsFile(const QString &programFolder) : m_programFolder(programFolder)
{}

QString AlarmSettingsFile::path() const
{
    return QDir(SettingsFiles(m_programFolder).cfgFolder()).filePath(QStringLiteral("Alarm.INI"));
}

AlarmSettings::Read AlarmSettingsFile::load() const
{
    if (!QFile::exists(path()))
        return {};
    QSettings file(path(), QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return {{}, QStringLiteral("Alarm.INI를 읽을 수 없습니다 (형식 오류).")};
    return AlarmSettings::read(file);
}

bool AlarmSettingsFile::save(const AlarmSettings &settings) const
{
    if (!QDir().mkpath(QFileInfo(path()).path()))
        return false;
    QSettings file(path(), QSettings::IniFormat);
    file.clear();
    settings.write(file);
    file.sync();
    return file.status() == QSettings::NoError;
}
