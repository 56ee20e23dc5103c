#pragma once

#include "Timer.h"
#include "TrendRecorder.h"

#include <QDateTime>
#include <QObject>
#include <memory>

class PollingEngine;

/// The monitor's display tick tmrDispGraph: every 500 ms the chart step, then the recording
/// step. The chart step is whatever listens to tick() (the main window's live chart); the
/// recording step is this object's own, so trend files are written whether or not any window
/// shows the data.
class DisplayTicker : public QObject
{
    Q_OBJECT

public:
    static constexpr int PeriodMs = 500;

    explicit DisplayTicker(PollingEngine &engine, QObject *parent = nullptr);
    ~DisplayTicker() override;

    /// Arms the first tick (start-up does this once the settings are read).
    void start();
    const TrendRecorder &recorder() const { return m_recorder; }

signals:
    /// The chart step of this tick, before its recording step.
    void tick(const QDateTime &now);
    /// Records are being lost since that time (a full disk, an unwritable file), or (invalid)
    /// they land again.
    void recordingFaultChanged(const QDateTime &missedSince);
    /// The recording step appended records to the trend files.
    void recordsWritten();

private:
    void onTick();

    PollingEngine &m_engine;
    TrendRecorder m_recorder;
    std::unique_ptr<Timer> tmrDispGraph;
};
