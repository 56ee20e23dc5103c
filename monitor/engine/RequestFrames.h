#pragma once

#include "Frames.h"
#include "RequestSlot.h"

#include <optional>

/// What goes on the line for a request code, and what its good reply carries: the frames of the
/// register map's blocks. Pure: no port, no state of the line.
namespace RequestFrames {

/// The register values a good reply to the request carries (0 for writes and identification).
int expectedValues(int code);
/// The frame of request code for controller deviceNo; a memory write is framed from the values
/// its block goes out with. nullopt when nothing can be sent (a transfer whose table is gone, a
/// write without a value, a block without values).
std::optional<QByteArray> build(int code, const RequestSlot::Command &command, int deviceNo,
                                Frames::ChecksumMode mode,
                                const std::optional<QList<int>> &blockValues = std::nullopt);

} // namespace RequestFrames
