#include "PlotTexts.h"

#include "TrendData.h"

#include <qcustomplot.h>

PlotTexts::PlotTexts(QCustomPlot &plot, const QFont &titleFont)
    : m_plot(plot), m_titleFont(titleFont.family(), 12, QFont::Bold)
{
    placeLegendAbovePlot();
    m_emptyText = new QCPItemText(&m_plot);
    m_emptyText->setClipToAxisRect(false);
    m_emptyText->position->setType(QCPItemPosition::ptAxisRectRatio);
    m_emptyText->position->setCoords(0.5, 0.5);
    m_emptyText->setColor(QColor(96, 96, 96));
    m_emptyText->setText(QString()); // none until the owner says what an empty chart means
}

void PlotTexts::setTitle(ChartTitle position, const QString &text)
{
    switch (position) {
    case ChartTitle::Left:
        m_plot.yAxis->setLabel(text);
        break;
    case ChartTitle::Bottom:
        m_plot.xAxis->setLabel(text);
        break;
    case ChartTitle::Top:
        if (!m_topTitle) {
            m_plot.plotLayout()->insertRow(0);
            m_topTitle = new QCPTextElement(&m_plot, text, m_titleFont);
            m_plot.plotLayout()->addElement(0, 0, m_topTitle);
        }
        m_topTitle->setText(text);
        break;
    }
}

QString PlotTexts::title(ChartTitle position) const
{
    switch (position) {
    case ChartTitle::Left:
        return m_plot.yAxis->label();
    case ChartTitle::Bottom:
        return m_plot.xAxis->label();
    case ChartTitle::Top:
        break;
    }
    return m_topTitle ? m_topTitle->text() : QString();
}

void PlotTexts::setEmptyText(const QString &text)
{
    m_emptyText->setText(text);
}

QString PlotTexts::emptyText() const
{
    return m_emptyText->text();
}

void PlotTexts::showEmptyText(bool noData)
{
    m_emptyText->setVisible(noData && !m_emptyText->text().isEmpty());
}

/// The legend stands in a row of its own above the plot, at its right end, so it never covers
/// the data.
void PlotTexts::placeLegendAbovePlot()
{
    QCPLegend *legend = m_plot.legend;
    m_plot.axisRect()->insetLayout()->take(legend);
    auto *row = new QCPLayoutGrid;
    m_plot.plotLayout()->insertRow(0);
    m_plot.plotLayout()->addElement(0, 0, row);
    m_plot.plotLayout()->setRowStretchFactor(0, 0.001);
    row->addElement(0, 0, new QCPLayoutElement(&m_plot));
    row->addElement(0, 1, legend);
    row->setColumnStretchFactor(0, 1);
    row->setColumnStretchFactor(1, 0.001);
    row->setMargins(QMargins(0, 2, 8, 0));
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    // A row per run: a compared run's series stand below the chart's own.
    legend->setWrap(TrendData::SeriesCount);
    legend->setMargins(QMargins(4, 2, 4, 2));
}
