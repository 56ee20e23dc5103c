#pragma once

#include "TrendData.h"

#include <QColor>
#include <QString>
#include <array>

class QCPGraph;
class QCustomPlot;

/// The chart's six graphs: one per series of its run, and a dashed one per series of a compared
/// run, shown with the series it compares to and named after it and the compared run's file.
namespace SeriesGraphs {

using Graphs = std::array<QCPGraph *, TrendData::SeriesCount>;

/// Adds the run's graphs, then the compared run's (hidden, out of the legend). Every point is
/// drawn: the chart thins the samples to the plot's width itself.
void create(QCustomPlot &plot, Graphs &run, Graphs &compared);
/// Solid pens for the run, dashed ones of the same colours for the compared run.
void setPens(const Graphs &run, const Graphs &compared,
             const std::array<QColor, TrendData::SeriesCount> &colors, int width);
/// "PV (RUN2.DAT)": a compared series' name.
QString comparedName(const QCPGraph &series, const QString &runName);
/// A compared graph is shown, with its legend entry, while comparing and its series is shown.
void showCompared(const Graphs &run, const Graphs &compared, bool comparing,
                  const QString &runName);

} // namespace SeriesGraphs
