// ZQ410: the monitor of ZQ410 temperature controllers.

#include "DisplayTicker.h"
#include "PollingEngine.h"
#include "ProgramDirectory.h"
#include "SerialLink.h"
#include "SystemClock.h"
#include "Version.h"
#include "frmZQ410_Main.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QScreen>

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "ZQ410"))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZQ410"));
    // Korean captions need a font with Hangul; NanumGothic ships with the program's packages.
    if (QFontDatabase::families().contains(QStringLiteral("NanumGothic")))
        QApplication::setFont(QFont(QStringLiteral("NanumGothic"), 9));

    const QString programFolder = ProgramDirectory::choose(QCoreApplication::applicationDirPath());
    const QString dataFolder = QDir::home().filePath(QStringLiteral("ZQ410_DATA"));
    SystemClock clock;
    SerialLink link;
    PollingEngine engine(link, clock, programFolder, dataFolder);

    DisplayTicker ticker(engine);
    frmZQ410_Main window(engine, ticker);
    window.show();
    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.center() - window.rect().center());
    return app.exec();
}
