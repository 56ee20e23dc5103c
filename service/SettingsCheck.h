#pragma once

#include <QStringList>

class QTextStream;

/// zq410d --check: reads every settings file of a program folder without changing any, says
/// what the service would do (port, controllers, recording, broker, alarm limits) and lists
/// what is wrong, each naming its file and line or key.
class SettingsCheck
{
public:
    SettingsCheck(const QString &programFolder, const QString &defaultDataFolder);

    /// Writes the plan to out; returns the problems (none: the folder is fit to run).
    QStringList run(QTextStream &out) const;

private:
    QString m_folder;
    QString m_defaultDataFolder;
};
