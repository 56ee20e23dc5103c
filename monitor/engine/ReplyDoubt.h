#pragma once

#include <QByteArray>
#include <QList>

/// Which replies may be late answers to an earlier request. The protocol's replies carry no
/// register address: a reply that comes after its request timed out has exactly the shape of the
/// reply to the next request of that shape (controller, command, number of values), so it would
/// pass for that one's answer. After a time-out, the replies of that shape from that controller
/// are in doubt until the line has been quiet for QuietMs: no time-out of that shape, no reply of
/// that shape that answered nothing, no two reads of one block that disagreed.
///
/// A clean line never meets a time-out, so nothing is ever in doubt there and polling keeps its
/// pace; reads in doubt are repeated until two agree (the engine's rule).
class ReplyDoubt
{
public:
    /// How long the line must be quiet before a late reply is no longer expected: five reply
    /// time-outs. A reply later than that is taken for lost.
    static constexpr int QuietMs = 3000;

    struct Shape
    {
        int deviceNo = 0;
        QByteArray command;
        int valueCount = 0;
        bool operator==(const Shape &) const = default;
    };

    /// Something happened that a late reply would explain: a time-out, a reply that answered
    /// nothing, two reads that disagreed.
    void noteSurprise(const Shape &shape, qint64 nowMs);
    bool inDoubt(const Shape &shape, qint64 nowMs) const;
    /// The port closed or opened: no reply of before can arrive on the new line.
    void clear() { m_surprises.clear(); }

private:
    struct Surprise
    {
        Shape shape;
        qint64 atMs = 0;
    };
    /// The last surprise of each shape within QuietMs (a handful at most).
    QList<Surprise> m_surprises;
};
