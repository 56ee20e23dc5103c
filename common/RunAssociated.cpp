#include "RunAssociated.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

void RunAssociated(const QString &operation, const QString &file, const QString &parameters,
                   const QString &workingFolder)
{
    Q_UNUSED(operation); // opening is the only operation there is
    const QFileInfo info(file);
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(file, QProcess::splitCommand(parameters), workingFolder);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        QDesktopServices::openUrl(QUrl::fromLocalFile(info.absolutePath()));
}
