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

    /// After every change of the text its number (the leading number, 0 when there is none)
    /// stays within min and max: below, the text becomes min; above, max.
    void setLimits(int min, int max);

signals:
    void entryConfirmed(const QString &previousText, const QString &newText);

private:
    void limitText(const QString &text);

    QString m_previous;
    bool m_limited = false;
    int m_min = 0;
    int m_max = 0;
};
