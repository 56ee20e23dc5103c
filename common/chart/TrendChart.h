#pragma once

#include "ChartStatistics.h"
#include "EventMark.h"
#include "PlotTexts.h"
#include "TrendData.h"

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QSharedPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class BorderFrame;
class ChartCursors;
class ChartFeed;
class ChartScrollBar;
class ChartTablePanel;
class RibbonLayer;
class RunAlignment;
class TimeTicker;
class QCPGraph;
class QCustomPlot;
class QPrinter;

/// The trend chart both programs draw with: three series over the sample index, labelled with
/// the samples' times. The samples live in TrendData; the plot is fed only what the visible range
/// needs at the current width (a minimum and a maximum per pixel column), so a redraw costs the
/// same for a thousand samples and for millions.
class TrendChart : public QWidget
{
    Q_OBJECT

public:
    using Title = ChartTitle;

    explicit TrendChart(QWidget *parent = nullptr);
    ~TrendChart() override;

    /// The samples. After changing them directly (a bulk load), call dataChanged().
    TrendData &data() { return m_data; }
    const TrendData &data() const { return m_data; }
    void dataChanged();
    /// Replaces all samples at once (a file load) and shows them all.
    void setData(TrendData &&data);
    /// After count samples were appended to data(): a view that showed the end of the data
    /// keeps showing it (the whole span, or the same span moved along, like a strip chart); a
    /// view zoomed or scrolled back stays where it is and the scroll bar grows.
    void samplesAppended(qsizetype count);

    /// Empties the chart.
    void clear();
    /// Appends a sample at a time as TrendData::timeOf gives it.
    void appendSample(qint32 time, const std::array<float, TrendData::SeriesCount> &values);

    void setSeriesName(int series, const QString &name);
    QString seriesName(int series) const;
    void setSeriesColor(int series, const QColor &color);
    QColor seriesColor(int series) const;
    void setSeriesVisible(int series, bool visible);
    bool isSeriesVisible(int series) const;

    /// The visible sample range on the time axis.
    void setXRange(double first, double last);
    double xFirst() const;
    double xLast() const;
    /// Shows every sample.
    void showAll();

    /// Fixes the value axis; without it, the axis follows the visible values. Zooming is along
    /// the time axis only, so a fixed range stays in force through a zoom and its reset.
    void setYRange(double min, double max);
    void setYAutomatic();
    double yMin() const;
    double yMax() const;

    void setTitle(Title position, const QString &text);
    QString title(Title position) const;

    /// The 3-D look: each line drawn as a ribbon with depth.
    void set3D(bool on);
    bool is3D() const { return m_3d; }
    /// Mouse zoom: drag a rectangle to zoom into it, double-click to see everything again.
    /// The hover line and the cursors A and B (off by default).
    void setReadoutEnabled(bool on);
    ChartCursors &cursors() { return *m_cursors; }
    const ChartCursors &cursors() const { return *m_cursors; }

    void setZoomEnabled(bool on);
    bool isZoomEnabled() const { return m_zoom; }
    void setScrollBarVisible(bool on);
    bool isScrollBarVisible() const;
    void setBorderVisible(bool on);
    bool isBorderVisible() const { return m_border; }
    void setBorderColor(const QColor &color);
    QColor borderColor() const { return m_borderColor; }
    void setLineWidth(int width);
    int lineWidth() const { return m_lineWidth; }
    void setBackgroundColor(const QColor &color);
    void setLegendBackgroundColor(const QColor &color);
    void setLegendVisible(bool on);
    /// A line shown in the middle of the plot while the chart has no samples, saying what will
    /// appear there and when; none when empty.
    void setEmptyText(const QString &text);
    QString emptyText() const;

    /// Draws the chart as it stands on one page, filling the area inside the printer's margins,
    /// its fonts at their point size.
    bool print(QPrinter &printer);
    /// The chart as it stands, drawn at the given size.
    QImage renderToImage(const QSize &size);

    /// Redraws now (otherwise redraws are coalesced to the next event loop pass).
    void redraw();

    /// A moment marked over the trend (an alarm raised or cleared): a thin vertical line at the
    /// first sample at or after its time, with a short text at its top; drawn on screen, in
    /// pictures and on paper.
    using EventMark = ::EventMark;
    void setEventMarks(std::vector<EventMark> marks);
    const std::vector<EventMark> &eventMarks() const { return m_eventMarks; }

    /// The figures of the range between the cursors (or the visible range) as a table beside
    /// the cursors' readout; off by default. The limit adds the time above and below it.
    void setStatisticsVisible(bool on);
    bool isStatisticsVisible() const { return m_statisticsShown; }
    void setStatisticsLimit(std::optional<double> limit);
    std::optional<double> statisticsLimit() const { return m_statisticsLimit; }
    /// The statistics table as drawn (empty while hidden or without samples in the range).
    QList<QStringList> statisticsRows() const;

    /// A second run drawn over this one for comparison: both aligned at their first record,
    /// the time axis then showing the time elapsed since it (h:mm); the second run's lines
    /// dashed, named in the legend with `name` (its file). The cursors and the statistics read
    /// both. A new setData keeps the comparison.
    void setComparison(TrendData &&data, const QString &name);
    void clearComparison();
    /// The compared run; nullptr when none is shown.
    const TrendData *comparison() const;
    QString comparisonName() const;
    /// How the two runs lie over each other; nullptr without a comparison.
    const RunAlignment *alignment() const { return m_alignment.get(); }
    /// The legend's name of a series of the compared run: "제어온도 (FILE.DAT)".
    QString comparisonSeriesName(int series) const;

    /// The cursors' and the statistics' tables over the plot: where they stand, folded or not.
    ChartTablePanel &tablePanel() { return *m_tablePanel; }

    /// The labels currently on the time axis, for tests and printing checks.
    QStringList timeAxisLabels() const;

signals:
    /// The operator double-clicked the chart.
    void doubleClicked();
    /// The value axis now spans min to max (fitted to the data or fixed).
    void valueRangeChanged(double min, double max);

private:
    void showComparisonGraphs();
    /// The last axis position a sample of either run stands at.
    double lastPosition() const;
    void fitValueAxis();
    void fitTimeLabels();
    ChartStatistics::Input statisticsInput() const;
    std::vector<ChartTable::Table> tables() const;
    void applyPens();
    void applyBorder();
    void scheduleRedraw();

    TrendData m_data;
    QCustomPlot *m_plot = nullptr;
    ChartScrollBar *m_scrollBar = nullptr;
    std::unique_ptr<PlotTexts> m_texts;
    std::array<QCPGraph *, TrendData::SeriesCount> m_graphs{};
    QSharedPointer<TimeTicker> m_timeTicker;
    RibbonLayer *m_ribbons = nullptr;
    BorderFrame *m_frame = nullptr;
    std::vector<EventMark> m_eventMarks;
    ChartCursors *m_cursors = nullptr;
    ChartTablePanel *m_tablePanel = nullptr;
    bool m_statisticsShown = false;
    std::optional<double> m_statisticsLimit;
    struct Comparison
    {
        TrendData data;
        QString name;
    };
    std::unique_ptr<Comparison> m_comparison;
    std::unique_ptr<RunAlignment> m_alignment;
    std::array<QCPGraph *, TrendData::SeriesCount> m_comparisonGraphs{};
    std::unique_ptr<ChartFeed> m_feed;
    std::array<QColor, TrendData::SeriesCount> m_colors;
    bool m_yAutomatic = true;
    bool m_3d = false;
    bool m_zoom = false;
    bool m_border = false;
    /// Drawing onto a page or a picture, laid out at its size.
    bool m_drawingAway = false;
    QColor m_borderColor = Qt::black;
    int m_lineWidth = 1;
};
