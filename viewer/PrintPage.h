#pragma once

#include <QStringList>
#include <array>

class QPrinter;
class TrendChart;

/// The printed page of a trend chart, for the Print button and zq410-render alike: landscape,
/// inside the operator's margins as far as the page allows, the chart laid out for the area
/// inside them with fonts at their point size.
namespace PrintPage {

/// Top, bottom, left and right, in millimetres, as the margin grid and PrintMargin.CFG hold them.
using MarginsMm = std::array<double, 4>;

/// The margin names, in the grid's order.
const QStringList &sideNames();

/// Sets landscape and the margins. A margin the page cannot take (negative, beyond the page,
/// or leaving no room with its opposite) is brought to the nearest one it can; the others stay.
/// Returns the names of the sides that were changed.
QStringList applyMargins(QPrinter &printer, const MarginsMm &margins);

/// applyMargins, then the chart on one page. False when the printer could not be started.
bool print(TrendChart &chart, QPrinter &printer, const MarginsMm &margins,
           QStringList *adjusted = nullptr);

} // namespace PrintPage
