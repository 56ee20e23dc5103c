#pragma once

#include <QString>

class QGridLayout;
class QGroupBox;
class QLabel;
class QWidget;

/// The parameter window's building blocks: bold panels with headings above them, and inside a
/// panel option frames and rows of caption, box and unit in normal weight.
namespace ParameterForm {

QGroupBox *panel(const QString &title);
QLabel *heading(const QString &text);
/// Fonts inside a bold panel go back to normal weight.
void normalWeight(QWidget *widget);
/// A row of a panel's form: caption, box, unit.
void addRow(QGridLayout *grid, const QString &caption, QWidget *box, QWidget *unit = nullptr);
QGroupBox *optionFrame(const QString &title);

} // namespace ParameterForm
