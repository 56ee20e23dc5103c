#pragma once

#include <QString>

class QWidget;

/// The programs' message box: titled "ZQ410", an OK button, modal over the parent; details,
/// when given, behind the box's details button.
namespace Notice {

void show(QWidget *parent, const QString &text, const QString &details = QString());

} // namespace Notice
