#pragma once

#include "MemoryTable.h"
#include "RequestFailure.h"

/// The request codes the scheduler runs on: what the tick sends and what the reply handler
/// expects. The memory transfers add the block number 0..11 to their first code.
namespace RequestCodes {

constexpr int Identify = int(RequestKind::Identification);
constexpr int Status = int(RequestKind::Status);
constexpr int Parameters = int(RequestKind::Parameters);
constexpr int Errors = int(RequestKind::ErrorHistory);
constexpr int FirstMemoryRead = int(RequestKind::MemoryRead);
constexpr int LastMemoryRead = FirstMemoryRead + MemoryTable::BlockCount - 1;
constexpr int Write = int(RequestKind::RegisterWrite);
constexpr int FirstMemoryWrite = int(RequestKind::MemoryWrite);
constexpr int LastMemoryWrite = FirstMemoryWrite + MemoryTable::BlockCount - 1;

constexpr bool isMemoryRead(int code)
{
    return code >= FirstMemoryRead && code <= LastMemoryRead;
}

constexpr bool isMemoryWrite(int code)
{
    return code >= FirstMemoryWrite && code <= LastMemoryWrite;
}

constexpr bool isTransfer(int code)
{
    return isMemoryRead(code) || isMemoryWrite(code);
}

/// A window's request: anything but identification and status polling.
constexpr bool isWindowRequest(int code)
{
    return code > 0 && code != Identify && code != Status;
}

constexpr RequestKind kindOf(int code)
{
    if (isMemoryRead(code))
        return RequestKind::MemoryRead;
    if (isMemoryWrite(code))
        return RequestKind::MemoryWrite;
    return RequestKind(code);
}

} // namespace RequestCodes
