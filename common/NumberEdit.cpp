#include "NumberEdit.h"

NumberEdit::NumberEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::returnPressed, this, [this] {
        const QString previous = std::exchange(m_previous, text());
        emit entryConfirmed(previous, text());
    });
}

void NumberEdit::startEntry(const QString &text)
{
    m_previous = text;
    setText(text);
}
