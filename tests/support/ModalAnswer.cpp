#include "ModalAnswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

constexpr int PollMs = 10;

/// Closes a modal window nobody closed, and fails the test that left it open.
void closeWhenForgotten(QWidget *modal)
{
    QTimer::singleShot(ModalDeadlineMs, [window = QPointer<QWidget>(modal)] {
        if (!window || !window->isVisible())
            return;
        QTest::qFail("a modal window was still open after its answer; closed it", __FILE__,
                     __LINE__);
        if (auto *dialog = qobject_cast<QDialog *>(window.data()))
            dialog->reject();
        else
            window->close();
    });
}

/// Polls for a modal window until the deadline; acceptable windows get the action.
/// Polling stops quietly once the one who waits is gone.
void pollForModal(
    const std::function<bool(QWidget *)> &action, QDeadlineTimer deadline,
    const std::function<bool()> &wanted = [] { return true; })
{
    QTimer::singleShot(PollMs, [action, deadline, wanted] {
        if (!wanted())
            return;
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && action(modal)) {
            closeWhenForgotten(modal);
            return;
        }
        if (deadline.hasExpired()) {
            QTest::qFail("no modal window came up within the deadline", __FILE__, __LINE__);
            return;
        }
        pollForModal(action, deadline, wanted);
    });
}

} // namespace

void whenModal(const std::function<void(QWidget *)> &action)
{
    pollForModal(
        [action](QWidget *modal) {
            action(modal);
            return true;
        },
        QDeadlineTimer(ModalDeadlineMs));
}

MessageBoxAnswer::MessageBoxAnswer(QMessageBox::StandardButton button)
{
    pollForModal(
        [this, button](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return false;
            title = box->windowTitle();
            text = box->text();
            details = box->detailedText();
            box->button(button)->click();
            return true;
        },
        QDeadlineTimer(ModalDeadlineMs),
        [alive = std::weak_ptr<bool>(m_alive)] { return !alive.expired(); });
}
