#include "MemoryTransfer.h"

using namespace RequestCodes;

namespace {

constexpr int RegisterMin = -32768;
constexpr int RegisterMax = 32767;

} // namespace

std::optional<QList<int>> MemoryTransfer::valuesToSend(int block)
{
    RequestSlot::Command &command = m_requests.command();
    if (!command.table)
        return std::nullopt;
    const QList<int> values = command.resent ? command.sent.at(block)
                                             : command.table->blockValues(block, command.decimals);
    const bool fits = std::all_of(values.begin(), values.end(), [](int value) {
        return value >= RegisterMin && value <= RegisterMax;
    });
    if (!fits)
        return std::nullopt;
    command.sent[block] = values;
    return values;
}

void MemoryTransfer::blockSent(int block, bool inDoubt)
{
    RequestSlot::Command &command = m_requests.command();
    command.sendInDoubt = command.sendInDoubt || inDoubt;
    advanceSend(block);
}

bool MemoryTransfer::blockRead(int block, const QList<int> &values)
{
    RequestSlot::Command &command = m_requests.command();
    if (command.verifying) {
        if (command.table)
            verifyBlock(block, values);
        return false;
    }
    if (command.table) {
        command.table->placeBlock(block, values, command.decimals);
        m_events.placed(block);
        if (block == MemoryTable::BlockCount - 1)
            m_events.readCompleted();
    }
    m_requests.setCode(FirstMemoryRead + block + 1);
    if (block < MemoryTable::BlockCount - 1)
        return false;
    m_requests.finish();
    return true;
}

void MemoryTransfer::writeTimedOut()
{
    if (isMemoryWrite(m_requests.code()))
        m_requests.command().sendInDoubt = true;
}

/// On to the round's next block. After its last the send is done, unless it is in doubt (or
/// blocks were sent again): then the round's blocks are read back first.
void MemoryTransfer::advanceSend(int block)
{
    RequestSlot::Command &command = m_requests.command();
    const QList<int> &round = command.round;
    const qsizetype next = round.indexOf(block) + 1;
    if (next > 0 && next < round.size()) {
        m_requests.setCode(FirstMemoryWrite + round.at(next));
        return;
    }
    if (!command.sendInDoubt && !command.resent) {
        completeSend();
        return;
    }
    command.verifying = true;
    command.differing.clear();
    m_requests.setCode(FirstMemoryRead + round.first());
    m_events.verifying();
}

/// A block of a send read back: it must hold what went out.
void MemoryTransfer::verifyBlock(int block, const QList<int> &values)
{
    RequestSlot::Command &command = m_requests.command();
    if (values != command.sent.at(block))
        command.differing.append(block);
    const QList<int> &round = command.round;
    const qsizetype next = round.indexOf(block) + 1;
    if (next > 0 && next < round.size())
        m_requests.setCode(FirstMemoryRead + round.at(next));
    else
        finishVerification();
}

/// Every block holds what was sent: done. Blocks that differ are sent once more and read back
/// again; still differing, they are reported by block.
void MemoryTransfer::finishVerification()
{
    RequestSlot::Command &command = m_requests.command();
    if (command.differing.isEmpty()) {
        completeSend();
        return;
    }
    if (command.resent) {
        m_events.drop(RequestFailure::Reason::Unverified);
        return;
    }
    command.resent = true;
    command.verifying = false;
    command.round = std::exchange(command.differing, {});
    m_requests.setCode(FirstMemoryWrite + command.round.first());
}

void MemoryTransfer::completeSend()
{
    m_requests.finish();
    m_events.sendCompleted();
}
