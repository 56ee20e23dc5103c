#include "CommandColumn.h"

#include "GradientLabel.h"

#include <QAction>
#include <QPushButton>

namespace {

const QColor ButtonBlue(192, 192, 255);

} // namespace

CommandColumn::CommandColumn(const QList<Entry> &entries, QWidget *parent) : QWidget(parent)
{
    int y = 8;
    for (const Entry &entry : entries) {
        if (entry.index < 0) {
            auto *heading = new GradientLabel(entry.caption, this);
            heading->setGeometry(8, y + (y > 8 ? 8 : 0), 113, 22);
            y += (y > 8 ? 8 : 0) + 26;
            continue;
        }
        auto *button = new QPushButton(entry.caption, this);
        button->setObjectName(QStringLiteral("btnMenu_%1").arg(entry.index));
        button->setGeometry(24, y, 121, 25);
        button->setStyleSheet(QStringLiteral("background-color: %1;").arg(ButtonBlue.name()));
        button->setEnabled(entry.action->isEnabled());
        connect(button, &QPushButton::clicked, entry.action, &QAction::trigger);
        connect(entry.action, &QAction::enabledChanged, button, &QPushButton::setEnabled);
        m_buttons.at(size_t(entry.index)) = button;
        y += 29;
    }
    resize(152, y);
}
