#pragma once

#include <QFont>
#include <QString>

class QCPItemText;
class QCPTextElement;
class QCustomPlot;

/// Where a chart's title stands.
enum class ChartTitle { Left, Top, Bottom };

/// The texts around and on a plot: the titles of the axes, a title above the plot (in a row of
/// its own, made when first set), the legend in a row of its own at the right end above the
/// plot, so it never covers the data, and the text an empty plot shows in its middle.
class PlotTexts
{
public:
    /// titleFont: the family the top title is set in (bold, 12 points).
    PlotTexts(QCustomPlot &plot, const QFont &titleFont);

    void setTitle(ChartTitle position, const QString &text);
    QString title(ChartTitle position) const;
    /// The top title's element, once set (printing sizes its font).
    QCPTextElement *topTitle() const { return m_topTitle; }

    /// What an empty plot says (none: nothing is shown).
    void setEmptyText(const QString &text);
    QString emptyText() const;
    /// Shows the empty plot's text while there is no data.
    void showEmptyText(bool noData);

private:
    void placeLegendAbovePlot();

    QCustomPlot &m_plot;
    QFont m_titleFont;
    QCPTextElement *m_topTitle = nullptr;
    QCPItemText *m_emptyText = nullptr;
};
