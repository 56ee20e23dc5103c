#pragma once

#include <QList>
#include <QObject>
#include <QString>

/// What a request asks of a controller. Its number is the request code; the memory transfers
/// add the block number 0..11 to it.
enum class RequestKind {
    None = 0,
    Identification = 1,
    Status = 11,
    Parameters = 21,
    ErrorHistory = 22,
    MemoryRead = 51,
    RegisterWrite = 101,
    MemoryWrite = 151,
};

/// A window's request that did not go through, and why. The window that queued it tells the
/// operator with text(); polling has gone on by then.
struct RequestFailure
{
    enum class Reason {
        OutOfRange,   ///< a value its register cannot hold: nothing was sent
        NoController, ///< no controller to send it to
        NotReadYet,   ///< the controller's decimal places are not known yet: nothing was sent
        Negative,     ///< refused ("NG") three times in a row
        Corrupt,      ///< answered with a bad checksum three times in a row
        NoReply,      ///< not answered three times in a row
        LineClosed,   ///< the port was closed or lost before it was done
        Replaced,     ///< another request took the line before it was done
        /// Replies that may have been late answers to other requests never agreed twice
        Unconfirmed,
        /// Memory blocks read back after sending them again still differ from what was sent
        Unverified,
    };

    RequestKind kind = RequestKind::None;
    Reason reason = Reason::NoReply;
    int deviceNo = 0;
    /// The register and value of a single write; 0 otherwise.
    int address = 0;
    int value = 0;
    /// Memory transfers: the blocks read or sent before it stopped.
    int blocksDone = 0;
    /// Unverified: the memory blocks (0..11) that differ.
    QList<int> blocks;
    /// The window that queued it; null when it is gone or none was named.
    QObject *requester = nullptr;

    /// Which controller did not take which request, and why, in the operator's words.
    QString text() const;
};
