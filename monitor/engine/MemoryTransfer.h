#pragma once

#include "RequestSlot.h"

#include <functional>
#include <optional>

/// The steps of the memory transfer under way in the request slot: the block read or sent next,
/// and, when an acknowledgement of a send may have belonged to another block (a write met a
/// time-out or an acknowledgement in doubt), the round's blocks read back and compared with what
/// went out; blocks that differ are sent once more and read back again, and reported by block
/// when they still differ. It moves the slot's request code on; the engine sends and tells.
class MemoryTransfer
{
public:
    /// What the engine tells its windows as the transfer goes on.
    struct Events
    {
        std::function<void(int block)> placed;
        std::function<void()> readCompleted;
        std::function<void()> verifying;
        std::function<void()> sendCompleted;
        std::function<void(RequestFailure::Reason)> drop;
    };

    MemoryTransfer(RequestSlot &requests, Events events)
        : m_requests(requests), m_events(std::move(events))
    {}

    /// The values block goes out with: the table as it stands now, or, sent again, as it went
    /// the first time; kept to compare with the read-back. nullopt when the table is gone or a
    /// value does not fit its register: nothing is sent.
    std::optional<QList<int>> valuesToSend(int block);
    /// Block was written and acknowledged; inDoubt: the acknowledgement may be a late one.
    void blockSent(int block, bool inDoubt);
    /// Block was read: placed into the table, or compared with what was sent. True when the
    /// last block of a read has been placed (the read is over).
    bool blockRead(int block, const QList<int> &values);
    /// A write of the send met a time-out.
    void writeTimedOut();

private:
    void advanceSend(int block);
    void verifyBlock(int block, const QList<int> &values);
    void finishVerification();
    void completeSend();

    RequestSlot &m_requests;
    Events m_events;
};
