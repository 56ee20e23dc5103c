#include "ValueTicker.h"

#include <algorithm>
#include <cmath>

namespace {

int decimalsFor(const QVector<double> &ticks)
{
    constexpr int MostDecimals = 6;
    for (int decimals = 0; decimals < MostDecimals; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        const bool exact = std::all_of(ticks.cbegin(), ticks.cend(), [scale](double tick) {
            const double scaled = tick * scale;
            return std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, std::abs(scaled));
        });
        if (exact)
            return decimals;
    }
    return MostDecimals;
}

} // namespace

void ValueTicker::generate(const QCPRange &range, const QLocale &locale, QChar formatChar,
                           int precision, QVector<double> &ticks, QVector<double> *subTicks,
                           QVector<QString> *tickLabels)
{
    QCPAxisTicker::generate(range, locale, formatChar, precision, ticks, subTicks, nullptr);
    if (!tickLabels)
        return;
    tickLabels->clear();
    const int decimals = decimalsFor(ticks);
    for (double tick : ticks)
        tickLabels->append(QString::number(tick, 'f', decimals));
}
