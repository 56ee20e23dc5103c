#include "RequestSlot.h"

using namespace RequestCodes;

void RequestSlot::queue(int code, const Command &command)
{
    m_pendingCode = code;
    m_pending = command;
}

void RequestSlot::queueStatus()
{
    if (isWindowRequest(m_pendingCode))
        refuse(m_pendingCode, m_pending, RequestFailure::Reason::Replaced);
    m_pendingCode = Status;
    m_pending = Command{};
}

void RequestSlot::take()
{
    const int code = std::exchange(m_pendingCode, 0);
    if (isTransfer(m_code) && m_command.table)
        refuse(m_code, m_command, RequestFailure::Reason::Replaced);
    m_code = code;
    m_command = std::exchange(m_pending, Command{});
    m_failuresInRow = 0;
}

void RequestSlot::finish()
{
    const QPointer<QObject> requester = m_command.requester;
    m_command = Command{};
    m_code = Status;
    m_failuresInRow = 0;
    if (requester)
        m_done(requester);
}

RequestFailure RequestSlot::drop(RequestFailure::Reason reason)
{
    const RequestFailure failure = failureOf(m_code, m_command, reason);
    finish();
    return failure;
}

void RequestSlot::refuse(int code, const Command &command, RequestFailure::Reason reason)
{
    m_tell(failureOf(code, command, reason));
}

void RequestSlot::abandon(RequestFailure::Reason reason)
{
    const int pendingCode = std::exchange(m_pendingCode, 0);
    const Command pending = std::exchange(m_pending, Command{});
    if (isWindowRequest(pendingCode))
        refuse(pendingCode, pending, reason);
    if (!isWindowRequest(m_code))
        return;
    const int code = m_code;
    const Command running = m_command;
    finish();
    refuse(code, running, reason);
}

bool RequestSlot::isBusy() const
{
    return isWindowRequest(m_pendingCode) || isWindowRequest(m_code);
}

bool RequestSlot::failedAgain()
{
    if (++m_failuresInRow < FailuresToGiveUp)
        return false;
    m_failuresInRow = 0;
    return true;
}

RequestFailure RequestSlot::failureOf(int code, const Command &command,
                                      RequestFailure::Reason reason)
{
    RequestFailure failure;
    failure.kind = kindOf(code);
    failure.reason = reason;
    failure.deviceNo = command.deviceNo;
    if (code == Write) {
        failure.address = command.addresses.value(0);
        failure.value = command.values.value(0);
    }
    if (isMemoryRead(code))
        failure.blocksDone = code - FirstMemoryRead;
    if (isMemoryWrite(code))
        failure.blocksDone = command.resent ? MemoryTable::BlockCount : code - FirstMemoryWrite;
    if (command.verifying) {
        // Reading a send back: every block went out.
        failure.kind = RequestKind::MemoryWrite;
        failure.blocksDone = MemoryTable::BlockCount;
    }
    if (reason == RequestFailure::Reason::Unverified)
        failure.blocks = command.differing;
    failure.requester = command.requester.data();
    return failure;
}
