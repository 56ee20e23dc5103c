#include "ProgramDirectory.h"

#include <QDir>
#include <QTemporaryFile>

namespace ProgramDirectory {

namespace {

/// Tried, not looked up: permission bits say nothing for root or on a read-only mount.
bool canCreateFileIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".zq410-probe-XXXXXX")));
    return probe.open();
}

} // namespace

QString choose(const QString &executableFolder)
{
    if (canCreateFileIn(executableFolder))
        return executableFolder;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::home().filePath(QStringLiteral(".config"));
    const QString folder = QDir(config).filePath(QStringLiteral("ZQ410"));
    QDir().mkpath(folder);
    return folder;
}

} // namespace ProgramDirectory
