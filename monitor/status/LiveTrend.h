#pragma once

#include <QDateTime>
#include <QObject>

class PollingEngine;
class StatusPanel;

/// The main window's live chart: while the selected controller runs and its link is good, one
/// sample of SV, control and auxiliary temperature per display period. A new run or another
/// controller starts a new chart.
class LiveTrend : public QObject
{
    Q_OBJECT

public:
    LiveTrend(PollingEngine &engine, StatusPanel &panel, QObject *parent = nullptr);

    /// Clears the chart to its empty state.
    void ResetChart();
    /// Legends, legend box and titles; once at start-up after the first reset.
    void PrepareChart();
    /// Runs on every display tick: series colours, then a sample when one is due.
    void chartStep(const QDateTime &now);
    /// The next sample starts a new chart (port opened, device selected, run ended).
    void restart() { SampleCount = 0; }

    int sampleCount() const { return SampleCount; }

private:
    void AddChartSample(const QDateTime &now);
    bool selectedLinkGood() const;

    PollingEngine &m_engine;
    StatusPanel &m_panel;
    /// Samples in the current chart; 0 resets the chart before the next sample.
    int SampleCount = 0;
    /// When the last due chart step ran; long ago at start.
    QDateTime LastChartTime;
};
