#pragma once

#include <qcustomplot.h>
#include <vector>

/// Where the recording stopped: a dashed grey line across the plot between the samples on either
/// side of each visible gap, so a flat line broken for a sample's width still shows its gap.
class GapLayer : public QCPLayerable
{
public:
    /// gaps: the first sample after each visible gap, kept up to date by the chart.
    GapLayer(QCustomPlot *plot, const std::vector<qsizetype> &gaps);

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override;
    void draw(QCPPainter *painter) override;

private:
    const std::vector<qsizetype> &m_gaps;
};
