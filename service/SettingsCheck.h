#pragma once

#include <QStringList>

class QTextStream;

/// zq410d --check: reads every settings file of a program folder without changing any, says
/// what the service would do (port, controllers, recording, broker, alarm limits) and lists
/// what is wrong, each naming its file and line or key.
class SettingsCheck
{
public:
    /// instance: the service instance's name (empty for the monitor's own folder).
    SettingsCheck(const QString &programFolder, const QString &defaultDataFolder,
                  const QString &instance = {});

    /// Writes the plan to out; returns the problems (none: the folder is fit to run).
    QStringList run(QTextStream &out) const;

private:
    QString m_folder;
    QString m_defaultDataFolder;
    QString m_instance;
};
