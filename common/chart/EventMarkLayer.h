#pragma once

#include "EventMark.h"
#include "TrendData.h"

#include <optional>
#include <qcustomplot.h>
#include <vector>

/// Marked moments over the trend: a thin line at the first sample at or after each mark's time,
/// its text at the top of the plot. A mark after the last sample (an alarm cleared once the
/// recording had stopped) stands at the plot's right edge while the last sample is in view.
/// Texts never overlap: one that would touch a text before it goes a row lower; when every row
/// is taken, the earlier text is cut short at the new mark's line (dropped when too little of it
/// would be left).
class EventMarkLayer : public QCPLayerable
{
public:
    /// Where a mark's text goes: its row from the top, its left edge and the width it may take
    /// (less than it needs: cut with "…"; 0: no text).
    struct Place
    {
        int row = 0;
        double left = 0;
        double width = 0;
        bool operator==(const Place &) const = default;
    };
    static constexpr int Rows = 3;

    EventMarkLayer(QCustomPlot *plot, const TrendData &data, const std::vector<EventMark> &marks);

    /// The texts' places for marks whose lines stand at `lines` (ascending) and whose texts are
    /// `widths` wide, in a plot from `left` to `right`. A text stands right of its line, or left
    /// of it where it would run past the right edge.
    static std::vector<Place> placeTexts(const std::vector<double> &lines,
                                         const std::vector<double> &widths, double left,
                                         double right);

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override;
    void draw(QCPPainter *painter) override;

private:
    /// Where a mark's line stands on the axis; nullopt when it is out of view.
    std::optional<double> positionOf(qint32 time) const;
    QFont textFont() const;

    const TrendData &m_data;
    const std::vector<EventMark> &m_marks;
};
