#include "ChartScrollBar.h"

#include <QScopedValueRollback>
#include <cmath>
#include <qcustomplot.h>

ChartScrollBar::ChartScrollBar(QCustomPlot &plot, std::function<double()> lastPosition,
                               QWidget *parent)
    : QScrollBar(Qt::Horizontal, parent), m_plot(plot), m_lastPosition(std::move(lastPosition))
{
    connect(this, &QScrollBar::valueChanged, this, &ChartScrollBar::moveView);
    connect(m_plot.xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this,
            &ChartScrollBar::follow);
}

void ChartScrollBar::follow()
{
    if (m_updating)
        return;
    const QScopedValueRollback updating(m_updating, true);
    const QCPRange range = m_plot.xAxis->range();
    const int span = std::max(1, int(std::lround(range.size())));
    const int total = int(std::max(std::lround(m_lastPosition()), 0L));
    setRange(0, std::max(0, total - span));
    setPageStep(span);
    setValue(int(std::lround(range.lower)));
}

void ChartScrollBar::moveView(int value)
{
    if (m_updating)
        return;
    const QScopedValueRollback updating(m_updating, true);
    const double span = m_plot.xAxis->range().size();
    m_plot.xAxis->setRange(value, value + span);
    m_plot.replot(QCustomPlot::rpQueuedReplot);
}
