#pragma once

#include "MemoryTable.h"
#include "RequestCodes.h"
#include "RequestFailure.h"

#include <QPointer>
#include <functional>
#include <optional>

/// The single request slot and the request under way. A window's request waits in the slot
/// until the next tick takes it over (a later one replaces one not yet taken); the request under
/// way is what the line is busy with: identification, status polling or a window's request. A
/// request that fails FailuresToGiveUp times in a row is given up; a window's request that does
/// not go through is told to its window through the Tell given at construction.
class RequestSlot
{
public:
    /// A request that fails this many times in a row (refused, corrupted or unanswered) is
    /// given up: a status read moves on to the next controller, a window's request is dropped
    /// and its window told.
    static constexpr int FailuresToGiveUp = 3;

    /// A window's request as queued and, once the tick took it, as it runs: the controller it
    /// goes to, its registers and values, and whom to tell.
    struct Command
    {
        int deviceNo = 0;
        QList<int> addresses;
        QList<int> values;
        /// The decimal places of the controller when a memory transfer was asked for.
        int decimals = 0;
        QPointer<MemoryTable> table;
        QPointer<QObject> requester;
        /// A read in doubt, waiting for a read that agrees with it, and how many were made.
        std::optional<QList<int>> unconfirmed;
        int readsInDoubt = 0;
        /// Memory send: the blocks of this round in order (all twelve, then those sent again),
        /// the values each block went out with, and how the round stands.
        QList<int> round;
        QList<QList<int>> sent = QList<QList<int>>(MemoryTable::BlockCount);
        /// A write of the send met a time-out or an acknowledgement in doubt.
        bool sendInDoubt = false;
        /// The round's blocks are being read back and compared with what was sent.
        bool verifying = false;
        /// The blocks that differed have been sent once more.
        bool resent = false;
        QList<int> differing;
    };

    using Tell = std::function<void(const RequestFailure &)>;
    /// Told the requester of a window's request that went through.
    using Done = std::function<void(QObject *requester)>;
    RequestSlot(Tell tell, Done done) : m_tell(std::move(tell)), m_done(std::move(done)) {}

    /// The slot: the request code waiting (0: none) and its command.
    int pendingCode() const { return m_pendingCode; }
    const Command &pending() const { return m_pending; }
    Command &pending() { return m_pending; }
    void queue(int code, const Command &command);
    /// Status polling of a newly selected controller takes the slot; a window's request still
    /// waiting in it will not go out, and its window hears so.
    void queueStatus();

    /// The request under way.
    int code() const { return m_code; }
    void setCode(int code) { m_code = code; }
    Command &command() { return m_command; }
    const Command &command() const { return m_command; }
    /// The slot's request replaces whatever ran before (identification, polling, a transfer).
    /// A memory transfer cut short that way is reported, so its window does not wait for ever.
    void take();
    /// The window's request under way is done: back to status polling, and its requester told.
    void finish();
    /// Gives the window's request under way up and returns why; the caller tells its window
    /// once polling has moved on.
    RequestFailure drop(RequestFailure::Reason reason);
    /// Tells a request's window that it did not go through.
    void refuse(int code, const Command &command, RequestFailure::Reason reason);
    /// Empties the slot and ends the window's request under way, telling their windows.
    void abandon(RequestFailure::Reason reason);
    /// A window's request is queued or under way.
    bool isBusy() const;

    /// One more failure in a row of the request under way: true at the one that gives it up
    /// (and the count starts over).
    bool failedAgain();
    void resetFailures() { m_failuresInRow = 0; }

    static RequestFailure failureOf(int code, const Command &command,
                                    RequestFailure::Reason reason);

private:
    Tell m_tell;
    Done m_done;
    int m_pendingCode = 0;
    Command m_pending;
    int m_code = 0;
    Command m_command;
    /// Failures in a row of the request under way; reset by a good reply or a new request.
    int m_failuresInRow = 0;
};
