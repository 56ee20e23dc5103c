#include "DisplayTicker.h"

#include "PollingEngine.h"

DisplayTicker::DisplayTicker(PollingEngine &engine, QObject *parent)
    : QObject(parent), m_engine(engine),
      m_recorder(engine.state(), engine.table(),
                 [&engine](int index) { return engine.isCurrent(index); }),
      tmrDispGraph(engine.clock().createTimer([this] { onTick(); }))
{}

DisplayTicker::~DisplayTicker() = default;

void DisplayTicker::start()
{
    tmrDispGraph->start(PeriodMs);
}

/// The chart step comes first, the recording step second; the timer is armed again at the end.
void DisplayTicker::onTick()
{
    const QDateTime now = m_engine.clock().now();
    emit tick(now);
    const QDateTime missedBefore = m_recorder.missedSince();
    if (m_recorder.recordingStep(now) > 0)
        emit recordsWritten();
    if (m_recorder.missedSince() != missedBefore)
        emit recordingFaultChanged(m_recorder.missedSince());
    tmrDispGraph->start(PeriodMs);
}
