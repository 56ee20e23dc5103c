#include "ModalAnswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

void whenModal(const std::function<void(QWidget *)> &action)
{
    QTimer::singleShot(10, [action] {
        if (QWidget *modal = QApplication::activeModalWidget())
            action(modal);
        else
            whenModal(action);
    });
}

namespace {

void answerWhenUp(MessageBoxAnswer *answer, QMessageBox::StandardButton button)
{
    whenModal([answer, button](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            answerWhenUp(answer, button);
            return;
        }
        answer->title = box->windowTitle();
        answer->text = box->text();
        answer->details = box->detailedText();
        box->button(button)->click();
    });
}

} // namespace

MessageBoxAnswer::MessageBoxAnswer(QMessageBox::StandardButton button)
{
    answerWhenUp(this, button);
}
