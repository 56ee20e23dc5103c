#include "Notice.h"

#include <QMessageBox>

namespace Notice {

void show(QWidget *parent, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZQ410"), text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

void post(QWidget *parent, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("ZQ410"), text, QMessageBox::Ok,
                                parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->open();
}

} // namespace Notice
