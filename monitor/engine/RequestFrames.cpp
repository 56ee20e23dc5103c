#include "RequestFrames.h"

#include "RegisterMap.h"

using namespace RequestCodes;

namespace RequestFrames {

namespace {

constexpr int ErrorCodeCount = 5;

} // namespace

int expectedValues(int code)
{
    if (code == Status)
        return int(RegisterMap::statusRegisters().size());
    if (code == Parameters)
        return int(RegisterMap::parameterBlock().size());
    if (code == Errors)
        return ErrorCodeCount;
    if (isMemoryRead(code))
        return MemoryTable::BlockSize;
    return 0;
}

std::optional<QByteArray> build(int code, const RequestSlot::Command &command, int deviceNo,
                                Frames::ChecksumMode mode,
                                const std::optional<QList<int>> &blockValues)
{
    if (code == Identify)
        return Frames::buildWho(deviceNo, mode);
    if (code == Status)
        return Frames::buildRead(deviceNo, RegisterMap::statusRegisters(), mode);
    if (code == Parameters)
        return Frames::buildRead(deviceNo, RegisterMap::parameterRegisters(), mode);
    if (code == Errors)
        return Frames::buildRead(deviceNo, RegisterMap::errorRegisters(), mode);
    if (isMemoryRead(code)) {
        if (!command.table)
            return std::nullopt;
        return Frames::buildRead(deviceNo, RegisterMap::memoryBlock(code - FirstMemoryRead), mode);
    }
    if (code == Write) {
        if (command.addresses.isEmpty() || command.values.isEmpty())
            return std::nullopt;
        return Frames::buildWrite(deviceNo, {command.addresses.first()}, {command.values.first()},
                                  mode);
    }
    if (isMemoryWrite(code) && blockValues)
        return Frames::buildWrite(deviceNo, RegisterMap::memoryBlock(code - FirstMemoryWrite),
                                  *blockValues, mode);
    return std::nullopt;
}

} // namespace RequestFrames
