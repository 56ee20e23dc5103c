#pragma once

#include <QString>

class QWidget;

/// The programs' message box: titled "ZQ410", an OK button, modal over the parent; details,
/// when given, behind the box's details button.
namespace Notice {

void show(QWidget *parent, const QString &text, const QString &details = QString());

/// The same box without waiting for it: modal over the parent's window, deleted when closed.
/// For news that arrives from the polling loop, which must not run inside a nested event loop.
void post(QWidget *parent, const QString &text);

} // namespace Notice
