#include "ShippedDocument.h"

#include "Notice.h"

#include <QDir>
#include <QFileInfo>

QString ShippedDocument::helpIndex(const QString &folder)
{
    return helpPage(folder, QStringLiteral("index.html"));
}

QString ShippedDocument::helpPage(const QString &folder, const QString &page)
{
    return QDir(folder).filePath(QStringLiteral("Help/") + page);
}

QString ShippedDocument::manual(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("ZQ410.pdf"));
}

bool ShippedDocument::open(const QString &path, QWidget *parent, const Opener &opener)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile()) {
        Notice::show(parent, QStringLiteral("파일이 없습니다. 찾은 곳:\n%1").arg(shown));
        return false;
    }
    if (!opener(QUrl::fromLocalFile(path))) {
        Notice::show(parent,
                     QStringLiteral("파일을 열 프로그램이 없습니다. 파일은 여기에 있습니다:\n%1")
                         .arg(shown));
        return false;
    }
    return true;
}
