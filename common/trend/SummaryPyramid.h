#pragma once

#include <QtGlobal>
#include <algorithm>
#include <vector>

/// Summaries of the runs of a sequence of samples, kept as a pyramid: a level-0 node summarises
/// `leafSpan` samples, a node of each level above FanOut nodes of the level below. A summary of
/// any run then takes O(log n) nodes plus fewer than 2 * leafSpan loose samples, whatever its
/// length. Node is default-constructible (empty) and has include(const Node &).
template <typename Node> class SummaryPyramid
{
public:
    static constexpr qsizetype FanOut = 4;

    explicit SummaryPyramid(qsizetype leafSpan) : m_leafSpan(leafSpan) {}

    void clear() { m_levels.clear(); }

    /// Brings the pyramid to `size` samples, the leaves from the one holding sample `from` on
    /// being summarised again by leaf(first, last) and the nodes above them recombined.
    template <typename Leaf> void update(qsizetype from, qsizetype size, Leaf leaf)
    {
        if (m_levels.empty())
            m_levels.emplace_back();
        auto &leaves = m_levels[0];
        qsizetype node = std::max<qsizetype>(from, 0) / m_leafSpan;
        leaves.resize(size_t((size + m_leafSpan - 1) / m_leafSpan));
        for (qsizetype n = node; n < qsizetype(leaves.size()); ++n)
            leaves[size_t(n)] = leaf(n * m_leafSpan, std::min(size, (n + 1) * m_leafSpan));
        for (size_t level = 0; m_levels[level].size() > 1; ++level) {
            if (m_levels.size() == level + 1)
                m_levels.emplace_back();
            const auto &children = m_levels[level];
            auto &parents = m_levels[level + 1];
            node /= FanOut;
            parents.resize((children.size() + FanOut - 1) / FanOut);
            for (size_t p = size_t(node); p < parents.size(); ++p) {
                Node combined;
                const size_t end = std::min(children.size(), (p + 1) * size_t(FanOut));
                for (size_t c = p * size_t(FanOut); c < end; ++c)
                    combined.include(children[c]);
                parents[p] = combined;
            }
        }
    }

    /// The summary of samples [first, last); loose(first, last, result) adds loose samples.
    template <typename Loose> Node summary(qsizetype first, qsizetype last, Loose loose) const
    {
        Node result;
        visit(
            first, last, [&](qsizetype a, qsizetype b) { loose(a, b, result); },
            [&](size_t level, qsizetype index) { result.include(node(level, index)); });
        return result;
    }

    /// The first sample of [first, last) for which isSample(index) holds; nodes for which
    /// mayHold(node) is false are passed over whole. -1 when there is none.
    template <typename MayHold, typename IsSample>
    qsizetype findFirst(qsizetype first, qsizetype last, MayHold mayHold, IsSample isSample) const
    {
        qsizetype found = -1;
        const auto scan = [&](qsizetype a, qsizetype b) {
            for (qsizetype i = a; i < b && found < 0; ++i) {
                if (isSample(i))
                    found = i;
            }
        };
        const auto descend = [&](auto &self, size_t level, qsizetype index) -> void {
            if (found >= 0 || !mayHold(node(level, index)))
                return;
            if (level == 0) {
                scan(index * m_leafSpan, (index + 1) * m_leafSpan);
                return;
            }
            for (qsizetype c = index * FanOut; c < (index + 1) * FanOut && found < 0; ++c) {
                if (size_t(c) < m_levels[level - 1].size())
                    self(self, level - 1, c);
            }
        };
        visit(first, last, scan,
              [&](size_t level, qsizetype index) { descend(descend, level, index); });
        return found;
    }

    /// Bytes held by the nodes.
    qsizetype bytes() const
    {
        qsizetype total = 0;
        for (const auto &nodes : m_levels)
            total += qsizetype(nodes.capacity() * sizeof(Node));
        return total;
    }

private:
    const Node &node(size_t level, qsizetype index) const { return m_levels[level][size_t(index)]; }

    /// Calls loose(first, last) for runs of loose samples and whole(level, index) for whole
    /// nodes, covering [first, last) once, in the samples' order.
    template <typename Loose, typename Whole>
    void visit(qsizetype first, qsizetype last, Loose &&loose, Whole &&whole) const
    {
        const qsizetype leafFirst = (first + m_leafSpan - 1) / m_leafSpan;
        const qsizetype leafLast = last / m_leafSpan;
        if (m_levels.empty() || leafFirst >= leafLast) {
            loose(first, last);
            return;
        }
        loose(first, leafFirst * m_leafSpan);
        visitLevel(0, leafFirst, leafLast, whole);
        loose(leafLast * m_leafSpan, last);
    }

    /// Nodes [first, last) of a level: loose nodes at both ends, whole groups one level up.
    template <typename Whole>
    void visitLevel(size_t level, qsizetype first, qsizetype last, Whole &whole) const
    {
        qsizetype left = first;
        while (left < last && left % FanOut != 0)
            whole(level, left++);
        qsizetype right = last;
        while (right > left && right % FanOut != 0)
            --right;
        if (left < right) {
            if (level + 1 < m_levels.size()) {
                visitLevel(level + 1, left / FanOut, right / FanOut, whole);
            } else {
                for (qsizetype i = left; i < right; ++i)
                    whole(level, i);
            }
        }
        for (qsizetype i = right; i < last; ++i)
            whole(level, i);
    }

    qsizetype m_leafSpan;
    /// m_levels[level][node]
    std::vector<std::vector<Node>> m_levels;
};
