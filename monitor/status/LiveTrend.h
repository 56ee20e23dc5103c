#pragma once

#include <QDateTime>
#include <QObject>

class DisplayTicker;
class PollingEngine;
class QColor;
class StatusPanel;
class TrendChart;

/// The main window's live chart: while the selected controller runs and its link is good, one
/// sample of SV, control and auxiliary temperature per display period. A new run or another
/// controller starts a new chart. The window hands it the display period and series colours as
/// the operator changes them.
class LiveTrend : public QObject
{
    Q_OBJECT

public:
    LiveTrend(PollingEngine &engine, TrendChart &chart, QObject *parent = nullptr);
    /// Follows the panel's display period and series colours and steps on the ticker.
    void follow(const StatusPanel &panel, const DisplayTicker &ticker);

    /// Seconds between samples (at least one display tick apart).
    void setPeriod(double seconds) { m_periodSeconds = seconds; }
    void setSeriesColor(int series, const QColor &color);

    /// Clears the chart to its empty state.
    void ResetChart();
    /// Legends, legend box and titles; once at start-up after the first reset.
    void PrepareChart();
    /// Runs on every display tick: a sample when one is due.
    void chartStep(const QDateTime &now);
    /// The next sample starts a new chart (port opened, device selected, run ended).
    void restart() { SampleCount = 0; }

    int sampleCount() const { return SampleCount; }

private:
    void AddChartSample(const QDateTime &now);
    bool selectedLinkGood() const;

    PollingEngine &m_engine;
    TrendChart &m_chart;
    double m_periodSeconds = 5;
    /// Samples in the current chart; 0 resets the chart before the next sample.
    int SampleCount = 0;
    /// When the last due chart step ran; long ago at start.
    QDateTime LastChartTime;
};
