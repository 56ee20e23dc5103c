#include "NumberEdit.h"

#include "NumberText.h"

NumberEdit::NumberEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::returnPressed, this, [this] {
        const QString previous = std::exchange(m_previous, text());
        emit entryConfirmed(previous, text());
    });
    connect(this, &QLineEdit::textChanged, this, &NumberEdit::limitText);
}

void NumberEdit::setLimits(int min, int max)
{
    m_limited = true;
    m_min = min;
    m_max = max;
    limitText(text());
}

void NumberEdit::limitText(const QString &text)
{
    if (!m_limited)
        return;
    const double number = NumberText::leadingNumber(text);
    if (number < m_min)
        setText(QString::number(m_min));
    else if (number > m_max)
        setText(QString::number(m_max));
}

void NumberEdit::startEntry(const QString &text)
{
    m_previous = text;
    setText(text);
}
