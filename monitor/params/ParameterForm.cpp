#include "ParameterForm.h"

#include "GradientLabel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace ParameterForm {

QGroupBox *panel(const QString &title)
{
    auto *box = new QGroupBox(title);
    QFont bold = box->font();
    bold.setBold(true);
    box->setFont(bold);
    return box;
}

QLabel *heading(const QString &text)
{
    auto *label = new GradientLabel(text);
    label->setMinimumHeight(24);
    return label;
}

void normalWeight(QWidget *widget)
{
    QFont font = widget->font();
    font.setBold(false);
    widget->setFont(font);
}

void addRow(QGridLayout *grid, const QString &caption, QWidget *box, QWidget *unit)
{
    const int row = grid->rowCount();
    auto *label = new QLabel(caption);
    normalWeight(label);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
    if (unit) {
        normalWeight(unit);
        grid->addWidget(unit, row, 2);
    }
}

QGroupBox *optionFrame(const QString &title)
{
    auto *frame = new QGroupBox(title);
    normalWeight(frame);
    return frame;
}

} // namespace ParameterForm
