#include "ReplyAssembler.h"

#include "Frames.h"

namespace {

/// Where a negative reply says "NG": after STX and the two device digits.
constexpr qsizetype NgOffset = 3;

} // namespace

void ReplyAssembler::append(const QByteArray &bytes)
{
    m_input += bytes;
}

std::optional<ReplyAssembler::Piece> ReplyAssembler::next(int asked)
{
    using Kind = Piece::Kind;
    while (m_ready.empty() && m_position < m_input.size()) {
        const char byte = m_input.at(m_position++);
        if (byte == Frames::STX) {
            if (!m_noise.isEmpty())
                m_ready.push_back({Kind::Noise, std::exchange(m_noise, {})});
            if (!m_reply.isEmpty()) // a reply cut short by the next one
                m_ready.push_back({Kind::Noise, std::exchange(m_reply, {})});
            m_reply = QByteArray(1, byte);
            continue;
        }
        if (m_reply.isEmpty()) {
            m_noise += byte;
            continue;
        }
        m_reply += byte;
        if (byte == Frames::LF)
            return Piece{Kind::Reply, std::exchange(m_reply, {})};
        if (m_reply.size() > MaxBytes)
            return Piece{Kind::Noise, std::exchange(m_reply, {})};
        if (isEarlyNegative(asked))
            return Piece{Kind::EarlyNegative, std::exchange(m_reply, {})};
    }
    if (m_ready.empty()) {
        m_input.clear();
        m_position = 0;
        if (m_noise.isEmpty())
            return std::nullopt;
        return Piece{Kind::Noise, std::exchange(m_noise, {})};
    }
    Piece piece = std::move(m_ready.front());
    m_ready.pop_front();
    return piece;
}

QByteArray ReplyAssembler::takeRest()
{
    QByteArray rest = m_input.sliced(m_position);
    m_input.clear();
    m_position = 0;
    return rest;
}

QByteArray ReplyAssembler::takePartial()
{
    return std::exchange(m_reply, {});
}

void ReplyAssembler::clear()
{
    m_input.clear();
    m_position = 0;
    m_noise.clear();
    m_reply.clear();
    m_ready.clear();
}

/// An "NG" at bytes 3-4 of a reply from the controller that was asked.
bool ReplyAssembler::isEarlyNegative(int asked) const
{
    if (asked <= 0 || m_reply.size() != NgOffset + 2 || m_reply.at(NgOffset) != 'N' ||
        m_reply.at(NgOffset + 1) != 'G')
        return false;
    return Frames::replyShape(m_reply).deviceNo == asked;
}
