#pragma once

#include <QColor>
#include <qcustomplot.h>

/// The border: a frame of the chosen colour around the whole chart, drawn above everything, so
/// it shows on screen, in pictures and on paper alike.
class BorderFrame : public QCPLayerable
{
public:
    explicit BorderFrame(QCustomPlot *plot);

    void setColor(const QColor &color) { m_color = color; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override;
    void draw(QCPPainter *painter) override;

private:
    QColor m_color = Qt::black;
};
