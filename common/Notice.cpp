#include "Notice.h"

#include <QMessageBox>

namespace Notice {

void show(QWidget *parent, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZQ410"), text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

} // namespace Notice
