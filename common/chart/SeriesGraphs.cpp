#include "SeriesGraphs.h"

#include <qcustomplot.h>

namespace SeriesGraphs {

void create(QCustomPlot &plot, Graphs &run, Graphs &compared)
{
    for (QCPGraph *&graph : run) {
        graph = plot.addGraph();
        graph->setAdaptiveSampling(false);
    }
    for (QCPGraph *&graph : compared) {
        graph = plot.addGraph();
        graph->setAdaptiveSampling(false);
        graph->setVisible(false);
        graph->removeFromLegend();
    }
}

void setPens(const Graphs &run, const Graphs &compared,
             const std::array<QColor, TrendData::SeriesCount> &colors, int width)
{
    for (size_t s = 0; s < run.size(); ++s) {
        run[s]->setPen(QPen(colors[s], width));
        compared[s]->setPen(QPen(colors[s], width, Qt::DashLine));
    }
}

QString comparedName(const QCPGraph &series, const QString &runName)
{
    return QStringLiteral("%1 (%2)").arg(series.name(), runName);
}

void showCompared(const Graphs &run, const Graphs &compared, bool comparing, const QString &runName)
{
    for (size_t s = 0; s < run.size(); ++s) {
        QCPGraph *graph = compared[s];
        const bool shown = comparing && run[s]->visible();
        graph->setVisible(shown);
        graph->setName(comparedName(*run[s], runName));
        if (shown) {
            graph->addToLegend();
        } else {
            graph->removeFromLegend();
            graph->data()->clear();
        }
    }
}

} // namespace SeriesGraphs
