#pragma once

#include <qcustomplot.h>

/// Value ticks as QCustomPlot places them, all labelled with one number of decimals: the fewest
/// that write every tick exactly ("57.5" and "60.0", never "57.5" beside "60").
class ValueTicker : public QCPAxisTicker
{
public:
    void generate(const QCPRange &range, const QLocale &locale, QChar formatChar, int precision,
                  QVector<double> &ticks, QVector<double> *subTicks,
                  QVector<QString> *tickLabels) override;
};
