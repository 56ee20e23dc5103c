#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

/// The number texts of the programs: how register values are shown and how typed or stored
/// texts are read back as numbers. Independent of the system locale: "." is always the point.
class NumberText
{
public:
    /// The integer as decimal text: -5, 0, 123.
    static QString plain(qint64 value);
    /// value / 10^decimals with exactly that many digits after the point and at least one
    /// before it: (253, 1) gives "25.3", (-5, 1) gives "-0.5", (253, 0) gives "253".
    /// Decimal places below 0 count as 0 and above 9 as 9, the widest a 16-bit value needs.
    static QString scaled(qint64 value, int decimals);
    /// value / 10 with one decimal: 453 gives "45.3".
    static QString tenths(qint64 value);
    /// A recorded value as the file holds it: at least one decimal, at most six significant
    /// digits (25.0, 45.3, 8.13).
    static QString recorded(double value);

    /// The decimal number the text starts with, blanks before it ignored: "2 sec" gives 2,
    /// " -1.5" gives -1.5, "abc" and "" give 0. An exponent is read when digits follow it.
    static double leadingNumber(QStringView text);
    /// As above, for text in the files' single-byte form.
    static double leadingNumber(QByteArrayView text);
    /// Rounds to the nearest integer, a half going to the even neighbour (2.5 gives 2, 3.5
    /// gives 4); values beyond the int range are clamped to it.
    static int roundHalfEven(double value);
};
