#include "TrendRecorder.h"

#include "TextFile.h"
#include "TrendFile.h"

namespace {

/// Whole seconds from a to b on the one-second clock: both times are cut to the second first.
qint64 elapsedSeconds(const QDateTime &from, const QDateTime &to)
{
    if (!from.isValid())
        return std::numeric_limits<qint64>::max();
    return to.toSecsSinceEpoch() - from.toSecsSinceEpoch();
}

} // namespace

TrendRecorder::TrendRecorder(const SharedState &state, const DeviceTable &table,
                             std::function<bool(int index)> current)
    : m_state(state), m_table(table), m_current(std::move(current))
{}

int TrendRecorder::recordingStep(const QDateTime &now)
{
    if (!m_state.recording.isOn())
        return 0;
    if (elapsedSeconds(LastRecordTime, now) < m_state.recording.intervalSeconds())
        return 0;
    LastRecordTime = now;
    bool due = false;
    bool missed = false;
    int written = 0;
    for (int i = 0; i < m_table.rowCount(); ++i) {
        if (m_table.running(i) && m_current(i)) {
            due = true;
            const bool appended = AppendTrendRecord(i, now);
            written += appended ? 1 : 0;
            missed = !appended || missed;
        }
    }
    if (missed && !m_missedSince.isValid())
        m_missedSince = now;
    else if (due && !missed)
        m_missedSince = QDateTime();
    return written;
}

bool TrendRecorder::AppendTrendRecord(int index, const QDateTime &now) const
{
    const RecordingSettings &recording = m_state.recording;
    const QString path =
        TrendFile::path(recording.DataFolder, recording.DataFilePrefix, m_table.deviceNo(index));
    using F = DeviceTable::Field;
    return TextFile::appendLine(path, TrendFile::recordLine(now, m_table.field(index, F::Sv),
                                                            m_table.field(index, F::Pv),
                                                            m_table.field(index, F::Aux)));
}
