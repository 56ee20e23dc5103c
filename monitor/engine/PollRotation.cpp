#include "PollRotation.h"

#include "DeviceTable.h"
#include "SharedState.h"

void PollRotation::keepInside()
{
    if (m_current < 0 || m_current > m_state.LastIndex)
        m_current = 0;
}

int PollRotation::deviceNo() const
{
    return m_state.DeviceList.at(m_current);
}

int PollRotation::next() const
{
    const int next = m_current + 1;
    return next > m_state.LastIndex ? 0 : next;
}

int PollRotation::nextConnected(int start) const
{
    if (start > m_state.LastIndex)
        start = 0;
    for (int i = std::max(0, start); i < m_table.rowCount(); ++i) {
        if (m_table.connected(i))
            return i;
    }
    return -1;
}

int PollRotation::connectedOrFirst(int start) const
{
    int index = nextConnected(start);
    if (index < 0)
        index = nextConnected(0);
    return std::max(index, 0);
}

bool PollRotation::anyConnected() const
{
    return m_table.connectedCount() > 0;
}
