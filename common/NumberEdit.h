#pragma once

#include <QLineEdit>

/// An edit box for numbers that reports every change of its text and an entry the operator
/// confirms with Enter, with the text it had before and the new one. Leaving the box without
/// Enter confirms nothing.
class NumberEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumberEdit(QWidget *parent = nullptr);

    /// Takes the text as the one the next confirmation reports as previous.
    void startEntry(const QString &text);

signals:
    void entryConfirmed(const QString &previousText, const QString &newText);

private:
    QString m_previous;
};
