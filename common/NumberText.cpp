#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

/// Length of the run of digits starting at position i.
qsizetype digitRun(QStringView text, qsizetype i)
{
    qsizetype n = 0;
    while (i + n < text.size() && isDigit(text[i + n]))
        ++n;
    return n;
}

} // namespace

double NumberText::leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    const qsizetype intDigits = digitRun(text, i);
    i += intDigits;
    qsizetype fracDigits = 0;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        fracDigits = digitRun(text, i + 1);
        i += 1 + fracDigits;
    }
    if (intDigits + fracDigits == 0)
        return 0;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+')))
            ++j;
        const qsizetype expDigits = digitRun(text, j);
        if (expDigits > 0)
            i = j + expDigits;
    }
    std::string ascii = text.mid(start, i - start).toLatin1().toStdString();
    if (!ascii.empty() && ascii.front() == '+')
        ascii.erase(0, 1);
    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return ascii.front() == '-' ? -std::numeric_limits<double>::infinity()
                                    : std::numeric_limits<double>::infinity();
    return value;
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
