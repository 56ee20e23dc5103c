#pragma once

#include "DeviceTable.h"
#include "SelectedDisplay.h"
#include "SharedState.h"

#include <QByteArray>
#include <QList>

/// Turns accepted read replies into the device table and, for the selected controller, into the
/// display values, the decimal places, the unit text and its run flag.
class StatusDecoder
{
public:
    StatusDecoder(SharedState &state, DeviceTable &table, SelectedDisplay &display);

    /// Decodes a status reply of DeviceList index p. False (and nothing written) when the reply
    /// is too short to hold the block.
    bool DecodeStatusBlock(const QByteArray &reply, int p);
    /// Decodes a parameter reply into DeviceList index row (and, for the selected controller,
    /// its decimal places). False when it is too short.
    bool DecodeParameterBlock(const QByteArray &reply, int row);

private:
    SharedState &m_state;
    DeviceTable &m_table;
    SelectedDisplay &m_display;
};
