// ZQ410_Graph [FILE]: the viewer of ZQ410 trend data files; FILE, when given, is shown at once.

#include "KoreanUi.h"
#include "ProgramDirectory.h"
#include "ScreenFit.h"
#include "Version.h"
#include "frmZQ410_GraphView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "ZQ410_Graph"))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZQ410_Graph"));
    KoreanUi::applyFont();
    KoreanUi::installQtTranslation(app);

    frmZQ410_GraphView window(ProgramDirectory::choose(QCoreApplication::applicationDirPath()),
                              QDir::home().filePath(QStringLiteral("ZQ410_DATA")));
    window.show();
    ScreenFit::centre(window);
    // A trend file opened from the file manager (the desktop entry passes it).
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && QFileInfo(arguments.first()).isFile())
        window.showFile(arguments.first());
    return app.exec();
}
