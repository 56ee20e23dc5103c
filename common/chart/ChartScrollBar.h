#pragma once

#include <QScrollBar>
#include <functional>

class QCustomPlot;

/// The scroll bar under the chart: it spans every axis position a sample stands at, its handle
/// is the visible time range, and moving it moves a zoomed view along the samples.
class ChartScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    /// lastPosition: the last axis position a sample of either run stands at.
    ChartScrollBar(QCustomPlot &plot, std::function<double()> lastPosition, QWidget *parent);

    /// Follows the plot's time range (after a zoom, new samples, another run).
    void follow();

private:
    void moveView(int value);

    QCustomPlot &m_plot;
    std::function<double()> m_lastPosition;
    bool m_updating = false;
};
