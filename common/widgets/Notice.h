#pragma once

#include <QString>

class QMessageBox;
class QWidget;

/// The programs' message box: titled "ZQ410", an OK button, modal over the parent; details,
/// when given, behind the box's details button.
namespace Notice {

void show(QWidget *parent, const QString &text, const QString &details = QString());

/// The same box without waiting for it: modal over the parent's window, deleted when closed.
/// For news that arrives from the polling loop, which must not run inside a nested event loop.
void post(QWidget *parent, const QString &text);

/// Makes a box with a short text at least as wide as its title needs, so the window manager
/// does not cut the title ("프로그… 료 확인").
void fitTitle(QMessageBox &box);

} // namespace Notice
