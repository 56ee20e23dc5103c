// ZQ410: the monitor of ZQ410 temperature controllers.

#include "KoreanUi.h"
#include "MonitorCore.h"
#include "ProgramDirectory.h"
#include "ScreenFit.h"
#include "Version.h"
#include "frmZQ410_Main.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "ZQ410"))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZQ410"));
    KoreanUi::applyFont();
    KoreanUi::installQtTranslation(app);

    const QString programFolder = ProgramDirectory::choose(QCoreApplication::applicationDirPath());
    const QString dataFolder = QDir::home().filePath(QStringLiteral("ZQ410_DATA"));
    // The core runs first: recording does not wait for a window.
    MonitorCore core(programFolder, dataFolder);
    core.server().setOperatorSwitch(true);
    core.start();
    frmZQ410_Main window(core.engine(), core.settings(), core.ticker(), core.alarms(),
                         core.publisher(), core.server());
    window.show();
    ScreenFit::centre(window);
    return app.exec();
}
