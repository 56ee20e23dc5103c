#pragma once

#include "DeviceTable.h"
#include "SharedState.h"

#include <QDateTime>
#include <functional>

/// The recording step: while recording is on, one record per interval for every controller
/// that runs and is current (connected and answering its status requests, so its values are
/// its own and fresh), appended to its trend data file and the file closed again.
class TrendRecorder
{
public:
    /// current(i): DeviceList index i answers its status requests (false with the port
    /// closed).
    TrendRecorder(const SharedState &state, const DeviceTable &table,
                  std::function<bool(int index)> current);

    /// Runs on every display tick; writes when an interval has passed since the last due step.
    /// Returns how many records it wrote.
    int recordingStep(const QDateTime &now);

    /// Appends the record of DeviceList index i. A file that cannot be written (missing folder,
    /// read-only, full disk) loses this record only; recordingStep keeps count.
    bool AppendTrendRecord(int index, const QDateTime &now) const;

    /// When the first record that could not be written was due, while records are being lost;
    /// invalid once a step writes every record it has again.
    QDateTime missedSince() const { return m_missedSince; }

private:
    const SharedState &m_state;
    const DeviceTable &m_table;
    std::function<bool(int index)> m_current;
    /// When the last due step ran; long ago at start, so the first step is due at once.
    QDateTime LastRecordTime;
    QDateTime m_missedSince;
};
