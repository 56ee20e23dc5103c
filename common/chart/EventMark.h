#pragma once

#include <QColor>
#include <QString>

/// A moment marked over the trend (an alarm raised or cleared): a thin vertical line at the first
/// sample at or after its time, with a short text at its top.
struct EventMark
{
    qint32 time = 0;
    QString text;
    QColor color;
};
