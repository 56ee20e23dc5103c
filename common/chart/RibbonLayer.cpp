#include "RibbonLayer.h"

namespace {

/// Depth of a ribbon in pixels, to the right and up: enough to read as depth, too little to
/// hide a neighbouring line.
constexpr int RibbonDepth = 4;

/// The line's top edge, one point per pixel column: where the graph holds a minimum and a
/// maximum per column, repeating the line's zigzag behind it would draw teeth, not a ribbon. A
/// point without a value (a gap in the recording) ends one piece of the edge.
void topEdge(const QCPGraph &graph, QList<QPolygonF> &pieces)
{
    pieces.clear();
    pieces.append(QPolygonF());
    const auto data = graph.data();
    for (auto it = data->constBegin(); it != data->constEnd(); ++it) {
        QPolygonF &edge = pieces.last();
        if (std::isnan(it->value)) {
            if (!edge.isEmpty())
                pieces.append(QPolygonF());
            continue;
        }
        const QPointF point(graph.keyAxis()->coordToPixel(it->key),
                            graph.valueAxis()->coordToPixel(it->value));
        if (!edge.isEmpty() && std::abs(edge.last().x() - point.x()) < 0.5) {
            edge.last().setY(std::min(edge.last().y(), point.y())); // up is smaller
            continue;
        }
        edge.append(point);
    }
}

} // namespace

RibbonLayer::RibbonLayer(QCustomPlot *plot,
                         const std::array<QCPGraph *, TrendData::SeriesCount> &graphs)
    : QCPLayerable(plot, QStringLiteral("ribbons")), m_graphs(graphs)
{}

void RibbonLayer::applyDefaultAntialiasingHint(QCPPainter *painter) const
{
    applyAntialiasingHint(painter, false, QCP::aePlottables);
}

QRect RibbonLayer::clipRect() const
{
    return mParentPlot->axisRect()->rect();
}

/// Back to front: the last series is the farthest, so a nearer ribbon is never hidden by a
/// farther one.
void RibbonLayer::draw(QCPPainter *painter)
{
    QList<QPolygonF> pieces;
    for (auto it = m_graphs.rbegin(); it != m_graphs.rend(); ++it) {
        QCPGraph *graph = *it;
        if (!graph->visible())
            continue;
        topEdge(*graph, pieces);
        painter->setPen(QPen(graph->pen().color().lighter(170), 1));
        for (const QPolygonF &line : pieces) {
            for (int k = RibbonDepth; k >= 1; --k)
                painter->drawPolyline(line.translated(k, -k));
        }
    }
}
