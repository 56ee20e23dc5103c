#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

/// Runs the action on the next modal window as soon as it is up (a modal window's exec() only
/// returns once something closes it).
void whenModal(const std::function<void(QWidget *)> &action);

/// Answers the next message box with the button and records its title, text and details.
struct MessageBoxAnswer
{
    QString title;
    QString text;
    QString details;

    explicit MessageBoxAnswer(QMessageBox::StandardButton button);
};
