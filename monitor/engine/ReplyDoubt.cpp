#include "ReplyDoubt.h"

void ReplyDoubt::noteSurprise(const Shape &shape, qint64 nowMs)
{
    m_surprises.removeIf([&](const Surprise &surprise) {
        return surprise.shape == shape || nowMs - surprise.atMs >= QuietMs;
    });
    m_surprises.append({shape, nowMs});
}

bool ReplyDoubt::inDoubt(const Shape &shape, qint64 nowMs) const
{
    return std::any_of(m_surprises.cbegin(), m_surprises.cend(), [&](const Surprise &surprise) {
        return surprise.shape == shape && nowMs - surprise.atMs < QuietMs;
    });
}
