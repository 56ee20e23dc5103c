#include "Notice.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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

void fitTitle(QMessageBox &box)
{
    // Room for the window manager's icon and its three buttons beside the title, and a title
    // font a little larger than the box's.
    constexpr int TitleBarButtons = 120;
    constexpr double TitleFontScale = 1.2;
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int width = int(box.fontMetrics().horizontalAdvance(box.windowTitle()) * TitleFontScale) +
                      TitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace Notice
