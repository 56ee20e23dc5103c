#pragma once

#include "TrendData.h"

#include <array>
#include <qcustomplot.h>

/// The 3-D look: behind each visible line, the same line drawn again a pixel further back and up
/// for each pixel of depth, in a lighter colour, so the lines stand as ribbons. Thin lines are
/// cheap; a filled polygon or a wide pen would cost tens of milliseconds per redraw.
class RibbonLayer : public QCPLayerable
{
public:
    /// Drawn on the plot's layer "ribbons", below the lines.
    RibbonLayer(QCustomPlot *plot, const std::array<QCPGraph *, TrendData::SeriesCount> &graphs);

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override;
    QRect clipRect() const override;
    void draw(QCPPainter *painter) override;

private:
    const std::array<QCPGraph *, TrendData::SeriesCount> m_graphs;
};
