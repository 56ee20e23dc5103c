#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

QString NumberText::plain(qint64 value)
{
    return QString::number(value);
}

QString NumberText::scaled(qint64 value, int decimals)
{
    decimals = std::clamp(decimals, 0, 9);
    if (decimals == 0)
        return plain(value);
    qint64 divisor = 1;
    for (int i = 0; i < decimals; ++i)
        divisor *= 10;
    const bool negative = value < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
    const QString whole = QString::number(magnitude / quint64(divisor));
    const QString fraction =
        QString::number(magnitude % quint64(divisor)).rightJustified(decimals, QLatin1Char('0'));
    return (negative ? QStringLiteral("-") : QString()) + whole + QLatin1Char('.') + fraction;
}

QString NumberText::tenths(qint64 value)
{
    return scaled(value, 1);
}

QString NumberText::recorded(double value)
{
    QString text = QString::number(value, 'g', 6);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n')))
        text += QStringLiteral(".0");
    return text;
}

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// Length of the run of digits starting at position i.
qsizetype digitRun(QByteArrayView text, qsizetype i)
{
    qsizetype n = 0;
    while (i + n < text.size() && isDigit(text[i + n]))
        ++n;
    return n;
}

/// No number is longer than this; a longer run of digits is cut (and overflows to infinity).
constexpr qsizetype MaxNumberText = 400;

bool isBlank(auto c)
{
    return c == ' ' || c == '\t';
}

/// The decimal exponent of the first significant digit of digits[.digits][e[+-]digits]: 3 for
/// "123", -2 for "0.001", 0 when every digit is 0. Only its sign matters: it tells an overflow
/// from an underflow.
qint64 magnitudeOf(QByteArrayView number)
{
    qint64 exponent = 0;
    const qsizetype e = std::max(number.indexOf('e'), number.indexOf('E'));
    if (e >= 0) {
        const QByteArrayView digits = number.sliced(e + 1);
        const bool negative = digits.startsWith('-');
        for (char c : digits) {
            if (isDigit(c))
                exponent = std::min<qint64>(exponent * 10 + (c - '0'), 1'000'000);
        }
        exponent = negative ? -exponent : exponent;
        number = number.first(e);
    }
    const qsizetype point = number.indexOf('.');
    const QByteArrayView whole = point < 0 ? number : number.first(point);
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (whole[i] != '0')
            return exponent + (whole.size() - i);
    }
    const QByteArrayView fraction = point < 0 ? QByteArrayView() : number.sliced(point + 1);
    for (qsizetype i = 0; i < fraction.size(); ++i) {
        if (fraction[i] != '0')
            return exponent - i;
    }
    return 0;
}

} // namespace

double NumberText::leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    // Everything a number can hold is ASCII; other characters end it.
    return leadingNumber(QByteArrayView(text.sliced(i).left(MaxNumberText).toLatin1()));
}

double NumberText::leadingNumber(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    text = text.sliced(i).first(std::min(text.size() - i, MaxNumberText));
    i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const qsizetype numberStart = i;
    const qsizetype intDigits = digitRun(text, i);
    i += intDigits;
    qsizetype fracDigits = 0;
    if (i < text.size() && text[i] == '.') {
        fracDigits = digitRun(text, i + 1);
        i += 1 + fracDigits;
    }
    if (intDigits + fracDigits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == '-' || text[j] == '+'))
            ++j;
        const qsizetype expDigits = digitRun(text, j);
        if (expDigits > 0)
            i = j + expDigits;
    }
    double value = 0;
    const char *first = text.data() + numberStart;
    const auto result = std::from_chars(first, text.data() + i, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large is infinite; too small (1e-400) is 0.
        const bool tooLarge = magnitudeOf(QByteArrayView(first, text.data() + i)) > 0;
        value = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

int NumberText::roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (value <= lo)
        return std::numeric_limits<int>::min();
    if (value >= hi)
        return std::numeric_limits<int>::max();
    return int(std::nearbyint(value)); // the default rounding mode is to nearest, ties to even
}
