// zq410d: the monitor's core as a service, without a window: polls the line, records trend
// files, journals alarms and publishes over MQTT with the monitor's settings files.

#include "ProgramDirectory.h"
#include "QuitOnSignals.h"
#include "ServiceRunner.h"
#include "SettingsCheck.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "zq410d"))
        return 0;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zq410d"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Polls a line of ZQ410 controllers, records trend files, raises alarms and "
                       "publishes over MQTT, as the ZQ410 monitor does with the same settings "
                       "files, without a window."));
    parser.addHelpOption();
    const QCommandLineOption folderOption(
        QStringLiteral("folder"),
        QStringLiteral("Program folder with Comm.CFG and CFG/ (default: the monitor's)."),
        QStringLiteral("DIR"));
    const QCommandLineOption checkOption(
        QStringLiteral("check"),
        QStringLiteral("Read every settings file, say what would be done and exit; non-zero "
                       "when a file is wrong."));
    parser.addOption(folderOption);
    parser.addOption(checkOption);
    parser.process(app);

    const QString folder = parser.isSet(folderOption)
                               ? QDir(parser.value(folderOption)).absolutePath()
                               : ProgramDirectory::choose(QCoreApplication::applicationDirPath());
    const QString dataFolder = QDir(folder).filePath(QStringLiteral("ZQ410_DATA"));
    // A folder of its own makes an instance (zq410d@line2: /var/lib/zq410/line2): its name
    // joins the default MQTT prefix and client id, so lines of one PC never share them.
    const QString instance = parser.isSet(folderOption) ? QFileInfo(folder).fileName() : QString();
    if (parser.isSet(checkOption)) {
        QTextStream out(stdout);
        const QStringList problems = SettingsCheck(folder, dataFolder, instance).run(out);
        out.flush();
        for (const QString &problem : problems)
            std::fprintf(stderr, "오류: %s\n", problem.toUtf8().constData());
        return problems.isEmpty() ? 0 : 1;
    }

    QuitOnSignals quitOnSignals;
    ServiceRunner runner(folder, dataFolder);
    runner.core().publisher().setInstance(instance);
    runner.start();
    const int result = QCoreApplication::exec();
    runner.stop();
    return result;
}
