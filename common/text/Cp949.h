#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/// Conversion between Qt strings and code page 949, the code page of every file the programs
/// write and read, so that files move unchanged between installations.
class Cp949
{
public:
    /// Characters code page 949 cannot hold become '?'.
    static QByteArray fromUnicode(const QString &text);
    /// As fromUnicode, appended to bytes (ASCII text without an intermediate copy).
    static void appendFromUnicode(QByteArray &bytes, const QString &text);
    /// Byte sequences that are not code page 949 become U+FFFD, one per offending byte.
    static QString toUnicode(QByteArrayView bytes);
};
