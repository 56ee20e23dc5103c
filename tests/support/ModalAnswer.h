#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

/// How long a helper waits for a modal window to come up, and then for it to be closed.
constexpr int ModalDeadlineMs = 5000;

/// Runs the action on the next modal window as soon as it is up (a modal window's exec() only
/// returns once something closes it). The test fails when none comes up within the deadline,
/// or when the window is still open a deadline after the action: it is then closed, so the
/// test goes on instead of hanging in exec().
void whenModal(const std::function<void(QWidget *)> &action);

/// Answers the next message box with the button and records its title, text and details.
struct MessageBoxAnswer
{
    QString title;
    QString text;
    QString details;

    explicit MessageBoxAnswer(QMessageBox::StandardButton button);

private:
    /// Gone with the answer: a box that comes up after that is left to the deadline.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
