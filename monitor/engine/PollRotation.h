#pragma once

class DeviceTable;
struct SharedState;

/// Which controller the line asks next: an index into the device list, moved on with
/// wrap-around, or to the next connected controller.
class PollRotation
{
public:
    PollRotation(const SharedState &state, const DeviceTable &table)
        : m_state(state), m_table(table)
    {}

    int current() const { return m_current; }
    void setCurrent(int index) { m_current = index; }
    /// Back to the first entry when the index left the list (the list was shortened).
    void keepInside();
    /// The device number at the current index.
    int deviceNo() const;

    /// The next index with wrap-around to 0.
    int next() const;
    /// The first connected index from start (from 0 when start is beyond the list); -1 when
    /// there is none.
    int nextConnected(int start) const;
    /// The first connected index from start, then from 0; 0 when no device is connected at all,
    /// so the index always stays inside the list.
    int connectedOrFirst(int start) const;
    bool anyConnected() const;

private:
    const SharedState &m_state;
    const DeviceTable &m_table;
    int m_current = 0;
};
