#include "GapLayer.h"

GapLayer::GapLayer(QCustomPlot *plot, const std::vector<qsizetype> &gaps)
    : QCPLayerable(plot, QStringLiteral("ribbons")), m_gaps(gaps)
{}

void GapLayer::applyDefaultAntialiasingHint(QCPPainter *painter) const
{
    applyAntialiasingHint(painter, false, QCP::aeOther);
}

void GapLayer::draw(QCPPainter *painter)
{
    const QRect area = parentPlot()->axisRect()->rect();
    QCPAxis *axis = parentPlot()->xAxis;
    painter->setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    for (qsizetype gap : m_gaps) {
        const double x = axis->coordToPixel(double(gap) - 0.5);
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
}
