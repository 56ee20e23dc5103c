#pragma once

#include <QByteArray>
#include <deque>
#include <optional>

/// Cuts the bytes received from the line into replies, from STX to LF. Bytes outside a reply
/// (before its STX) are noise; so is a reply cut short by the next STX, or grown past MaxBytes
/// without its LF; an "NG" at bytes 3-4 from the controller that was asked ends a reply early.
/// Bytes in, pieces out: no port, no time, no state of the line but the reply begun.
class ReplyAssembler
{
public:
    /// A reply that grows beyond this without its LF is noise: it is thrown away.
    static constexpr int MaxBytes = 1024;

    struct Piece
    {
        enum class Kind { Reply, EarlyNegative, Noise };
        Kind kind = Kind::Noise;
        QByteArray bytes;
        bool operator==(const Piece &) const = default;
    };

    /// Bytes as they arrived.
    void append(const QByteArray &bytes);
    /// The next piece of what was appended; nullopt when the rest is a reply not complete yet.
    /// asked: the controller the request on the line went to (0: none), for an early "NG".
    std::optional<Piece> next(int asked);
    /// The bytes not yet looked at, taken away (the rest of a read that is dropped).
    QByteArray takeRest();
    /// The reply begun and not complete, taken away.
    QByteArray takePartial();
    bool hasPartial() const { return !m_reply.isEmpty(); }
    void clear();

private:
    bool isEarlyNegative(int asked) const;

    QByteArray m_input;
    qsizetype m_position = 0;
    QByteArray m_noise;
    QByteArray m_reply;
    std::deque<Piece> m_ready;
};
