#include "BorderFrame.h"

namespace {

/// Width of the frame in pixels.
constexpr int BorderWidth = 2;

} // namespace

BorderFrame::BorderFrame(QCustomPlot *plot) : QCPLayerable(plot, QStringLiteral("overlay")) {}

void BorderFrame::applyDefaultAntialiasingHint(QCPPainter *painter) const
{
    applyAntialiasingHint(painter, false, QCP::aeOther);
}

void BorderFrame::draw(QCPPainter *painter)
{
    QPen pen(m_color, BorderWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    const double inset = BorderWidth / 2.0;
    painter->drawRect(QRectF(mParentPlot->viewport()).adjusted(inset, inset, -inset, -inset));
}
