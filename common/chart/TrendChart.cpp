#include "TrendChart.h"

#include "BorderFrame.h"
#include "ChartCursors.h"
#include "ChartFeed.h"
#include "ChartScrollBar.h"
#include "ChartStatistics.h"
#include "ChartTablePanel.h"
#include "EventMarkLayer.h"
#include "FontsInPixels.h"
#include "GapLayer.h"
#include "PlotTexts.h"
#include "RibbonLayer.h"
#include "RunAlignment.h"
#include "SeriesGraphs.h"
#include "TimeTicker.h"
#include "ValueTicker.h"

#include <QPrinter>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>
#include <qcustomplot.h>

namespace {

/// Room above and below the visible values when the value axis follows them.
constexpr double AutoMargin = 0.05;
/// The resolution a printed chart is laid out at: that of a usual screen.
constexpr int LayoutDpi = 96;
/// Tick labels a point larger than the window's text, so "59.5" keeps a visible point.
constexpr int TickLabelPointsExtra = 1;

const std::array<QColor, TrendData::SeriesCount> DefaultColors = {
    QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 160, 0)};

} // namespace

TrendChart::TrendChart(QWidget *parent) : QWidget(parent), m_colors(DefaultColors)
{
    m_plot = new QCustomPlot(this);
    m_plot->setNoAntialiasingOnDrag(true);
    // Lines of thousands of pixel columns draw faster without antialiasing and look the same.
    m_plot->setNotAntialiasedElements(QCP::aePlottables);
    m_timeTicker = QSharedPointer<TimeTicker>::create(m_data, m_alignment);
    m_plot->xAxis->setTicker(m_timeTicker);
    m_plot->yAxis->setTicker(QSharedPointer<ValueTicker>::create());
    m_plot->legend->setVisible(true);
    m_plot->legend->setBrush(Qt::white);
    SeriesGraphs::create(*m_plot, m_graphs, m_comparisonGraphs);
    m_plot->addLayer(QStringLiteral("ribbons"), m_plot->layer(QStringLiteral("main")),
                     QCustomPlot::limBelow);
    m_ribbons = new RibbonLayer(m_plot, m_graphs);
    m_ribbons->setVisible(false);
    m_feed = std::make_unique<ChartFeed>(*m_plot, m_data, m_graphs, m_comparisonGraphs);
    new GapLayer(m_plot, m_feed->visibleGaps());
    new EventMarkLayer(m_plot, m_data, m_eventMarks);
    m_frame = new BorderFrame(m_plot);
    m_frame->setVisible(false);
    m_cursors = new ChartCursors(m_plot, m_data, m_graphs);
    // After the cursors: the panel sees the mouse first, so a press on it places no cursor.
    m_tablePanel = new ChartTablePanel(m_plot, [this] { return tables(); });
    m_texts = std::make_unique<PlotTexts>(*m_plot, font());
    QFont tickFont = font();
    tickFont.setPointSize(tickFont.pointSize() + TickLabelPointsExtra);
    m_plot->xAxis->setTickLabelFont(tickFont);
    m_plot->yAxis->setTickLabelFont(tickFont);
    applyPens();
    m_plot->xAxis->setRange(0, 9);
    m_plot->yAxis->setRange(0, 1);

    m_scrollBar = new ChartScrollBar(
        *m_plot, [this] { return lastPosition(); }, this);
    m_scrollBar->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_plot, 1);
    layout->addWidget(m_scrollBar);

    // The value axis is fitted before the layout places its labels; the points are fed after
    // it, when the width in pixels is known.
    connect(m_plot, &QCustomPlot::beforeReplot, this, &TrendChart::fitValueAxis);
    connect(m_plot, &QCustomPlot::afterLayout, this, [this] {
        m_feed->feed();
        fitTimeLabels();
    });
    connect(m_plot->yAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange &range) { emit valueRangeChanged(range.lower, range.upper); });
    // A dragged rectangle zooms into its time span; the value axis keeps following the data or
    // the range the operator fixed, so no peak is cut off by a zoom.
    m_plot->axisRect()->setRangeZoomAxes(m_plot->xAxis, nullptr);
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this] {
        if (m_zoom)
            showAll();
        emit doubleClicked();
    });
}

TrendChart::~TrendChart() = default;

void TrendChart::dataChanged()
{
    // The alignment keeps figures of both runs' ends.
    m_alignment =
        m_comparison ? std::make_unique<RunAlignment>(m_data, m_comparison->data) : nullptr;
    // Two runs compared are dated alike: both when either spans days.
    const bool dated = m_comparison && (m_data.spansDays() || m_comparison->data.spansDays());
    m_data.setDatedStamps(dated);
    if (m_comparison)
        m_comparison->data.setDatedStamps(dated);
    m_feed->setComparison(m_comparison ? &m_comparison->data : nullptr, m_alignment.get());
    m_cursors->setComparison(m_comparison ? &m_comparison->data : nullptr, m_alignment.get(),
                             m_comparisonGraphs);
    m_texts->showEmptyText(m_data.isEmpty());
    m_scrollBar->follow();
    scheduleRedraw();
}

void TrendChart::setEventMarks(std::vector<EventMark> marks)
{
    m_eventMarks = std::move(marks);
    scheduleRedraw();
}

void TrendChart::setData(TrendData &&data)
{
    m_cursors->clear();
    m_data = std::move(data);
    showAll();
    dataChanged();
}

void TrendChart::samplesAppended(qsizetype count)
{
    const double lastBefore = double(m_data.size() - count - 1);
    const QCPRange range = m_plot->xAxis->range();
    if (range.upper >= lastBefore - 0.5) {
        if (range.lower <= 0.5)
            showAll();
        else
            setXRange(range.lower + double(count), range.upper + double(count));
    }
    dataChanged();
}

void TrendChart::setReadoutEnabled(bool on)
{
    m_cursors->setEnabled(on);
}

void TrendChart::clear()
{
    m_cursors->clear();
    m_data.clear();
    m_plot->xAxis->setRange(0, 9);
    dataChanged();
}

void TrendChart::appendSample(qint32 time, const std::array<float, TrendData::SeriesCount> &values)
{
    m_data.append(time, values);
    dataChanged();
}

void TrendChart::setSeriesName(int series, const QString &name)
{
    m_graphs[series]->setName(name);
    showComparisonGraphs();
    scheduleRedraw();
}

QString TrendChart::seriesName(int series) const
{
    return m_graphs[series]->name();
}

void TrendChart::setStatisticsVisible(bool on)
{
    m_statisticsShown = on;
    scheduleRedraw();
}

void TrendChart::setStatisticsLimit(std::optional<double> limit)
{
    m_statisticsLimit = limit;
    scheduleRedraw();
}

QList<QStringList> TrendChart::statisticsRows() const
{
    return m_statisticsShown ? ChartStatistics::rows(statisticsInput()) : QList<QStringList>();
}

ChartStatistics::Input TrendChart::statisticsInput() const
{
    ChartStatistics::Input input;
    input.data = &m_data;
    input.cursorA = m_cursors->cursor(ChartCursors::A);
    input.cursorB = m_cursors->cursor(ChartCursors::B);
    input.xFirst = xFirst();
    input.xLast = xLast();
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        input.shown[size_t(s)] = isSeriesVisible(s);
        input.names[size_t(s)] = seriesName(s);
    }
    input.colors = m_colors;
    input.compared = comparison();
    input.alignment = m_alignment.get();
    input.limit = m_statisticsLimit;
    return input;
}

/// The cursors' readout, then the statistics beside or below it.
std::vector<ChartTable::Table> TrendChart::tables() const
{
    std::vector<ChartTable::Table> tables = {m_cursors->table()};
    if (m_statisticsShown)
        tables.push_back(ChartStatistics::table(statisticsInput()));
    return tables;
}

void TrendChart::setComparison(TrendData &&data, const QString &name)
{
    m_comparison = std::make_unique<Comparison>(Comparison{std::move(data), name});
    applyPens();
    dataChanged();
    showComparisonGraphs();
    showAll();
}

void TrendChart::clearComparison()
{
    if (!m_comparison)
        return;
    m_comparison.reset();
    dataChanged();
    showComparisonGraphs();
    showAll();
}

const TrendData *TrendChart::comparison() const
{
    return m_comparison ? &m_comparison->data : nullptr;
}

QString TrendChart::comparisonName() const
{
    return m_comparison ? m_comparison->name : QString();
}

QString TrendChart::comparisonSeriesName(int series) const
{
    return SeriesGraphs::comparedName(*m_graphs[series], comparisonName());
}

void TrendChart::showComparisonGraphs()
{
    SeriesGraphs::showCompared(m_graphs, m_comparisonGraphs, bool(m_comparison), comparisonName());
    scheduleRedraw();
}

void TrendChart::setSeriesColor(int series, const QColor &color)
{
    if (m_colors[series] == color)
        return;
    m_colors[series] = color;
    applyPens();
    scheduleRedraw();
}

QColor TrendChart::seriesColor(int series) const
{
    return m_colors[series];
}

void TrendChart::setSeriesVisible(int series, bool visible)
{
    m_graphs[series]->setVisible(visible);
    if (visible)
        m_graphs[series]->addToLegend();
    else
        m_graphs[series]->removeFromLegend();
    showComparisonGraphs();
    scheduleRedraw();
}

bool TrendChart::isSeriesVisible(int series) const
{
    return m_graphs[series]->visible();
}

void TrendChart::setXRange(double first, double last)
{
    m_plot->xAxis->setRange(first, last);
    scheduleRedraw();
}

double TrendChart::xFirst() const
{
    return m_plot->xAxis->range().lower;
}

double TrendChart::xLast() const
{
    return m_plot->xAxis->range().upper;
}

void TrendChart::showAll()
{
    setXRange(0, std::max(9.0, lastPosition()));
}

double TrendChart::lastPosition() const
{
    const double last = double(m_data.size() - 1);
    return m_alignment && m_alignment->isValid() ? std::max(last, m_alignment->secondEnd()) : last;
}

void TrendChart::setYRange(double min, double max)
{
    m_yAutomatic = false;
    m_plot->yAxis->setRange(min, max);
    scheduleRedraw();
}

void TrendChart::setYAutomatic()
{
    m_yAutomatic = true;
    scheduleRedraw();
}

double TrendChart::yMin() const
{
    return m_plot->yAxis->range().lower;
}

double TrendChart::yMax() const
{
    return m_plot->yAxis->range().upper;
}

void TrendChart::set3D(bool on)
{
    m_3d = on;
    m_ribbons->setVisible(on);
    scheduleRedraw();
}

void TrendChart::setZoomEnabled(bool on)
{
    m_zoom = on;
    m_plot->setSelectionRectMode(on ? QCP::srmZoom : QCP::srmNone);
    m_plot->axisRect()->setRangeZoom(Qt::Horizontal);
}

void TrendChart::setScrollBarVisible(bool on)
{
    m_scrollBar->setVisible(on);
    m_scrollBar->follow();
}

bool TrendChart::isScrollBarVisible() const
{
    return !m_scrollBar->isHidden();
}

void TrendChart::setBorderVisible(bool on)
{
    m_border = on;
    applyBorder();
}

void TrendChart::setBorderColor(const QColor &color)
{
    m_borderColor = color;
    applyBorder();
}

void TrendChart::setLineWidth(int width)
{
    m_lineWidth = std::clamp(width, 1, 2);
    applyPens();
    scheduleRedraw();
}

void TrendChart::setBackgroundColor(const QColor &color)
{
    m_plot->setBackground(color);
    scheduleRedraw();
}

void TrendChart::setLegendBackgroundColor(const QColor &color)
{
    m_plot->legend->setBrush(color);
    scheduleRedraw();
}

void TrendChart::setEmptyText(const QString &text)
{
    m_texts->setEmptyText(text);
    m_texts->showEmptyText(m_data.isEmpty());
    scheduleRedraw();
}

QString TrendChart::emptyText() const
{
    return m_texts->emptyText();
}

void TrendChart::setTitle(Title position, const QString &text)
{
    m_texts->setTitle(position, text);
    scheduleRedraw();
}

QString TrendChart::title(Title position) const
{
    return m_texts->title(position);
}

void TrendChart::setLegendVisible(bool on)
{
    m_plot->legend->setVisible(on);
    scheduleRedraw();
}

/// The chart is laid out for the area inside the margins as it would be on a screen of
/// LayoutDpi, its fonts sized in those pixels, and drawn onto the page scaled from that
/// resolution to the printer's: fonts keep their point size and lines their weight, and the
/// chart fills the printable area. (A point-sized font would be sized at the printer's resolution
/// and then scaled once more.)
bool TrendChart::print(QPrinter &printer)
{
    m_cursors->hideHover();
    fitValueAxis();
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Inch);
    const FontsInPixels fonts(*m_plot, m_texts->topTitle(), LayoutDpi);
    QCPPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const double scale = double(printer.resolution()) / LayoutDpi;
    painter.scale(scale, scale);
    const QScopedValueRollback away(m_drawingAway, true);
    m_plot->toPainter(&painter, int(area.width() * LayoutDpi), int(area.height() * LayoutDpi));
    scheduleRedraw(); // the plot was laid out for the page
    return painter.end();
}

QImage TrendChart::renderToImage(const QSize &size)
{
    m_cursors->hideHover();
    fitValueAxis();
    const QScopedValueRollback away(m_drawingAway, true);
    const QImage image = m_plot->toPixmap(size.width(), size.height()).toImage();
    scheduleRedraw(); // the plot was laid out for the picture
    return image;
}

void TrendChart::redraw()
{
    m_plot->replot(QCustomPlot::rpImmediateRefresh);
}

QStringList TrendChart::timeAxisLabels() const
{
    return m_plot->xAxis->tickVectorLabels().toList();
}

void TrendChart::scheduleRedraw()
{
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

/// After the layout, when the axis' length is known: if the time labels were chosen for another
/// length or font (the window was resized, a page is printed), they are chosen again, so no two
/// labels overlap.
void TrendChart::fitTimeLabels()
{
    // A hidden plot is laid out at no real size (until it is shown, or drawn onto a page or a
    // picture): its labels keep no room.
    const int pixels = m_plot->isVisible() || m_drawingAway ? m_plot->axisRect()->width() : 0;
    const QFont font = m_plot->xAxis->tickLabelFont();
    if (pixels == m_timeTicker->roomPixels() && font == m_timeTicker->roomFont())
        return;
    m_timeTicker->setRoom(pixels, font);
    m_plot->axisRect()->update(QCPLayoutElement::upPreparation);
}

/// Without a fixed range, the value axis spans the visible values of the visible series.
void TrendChart::fitValueAxis()
{
    if (!m_yAutomatic)
        return;
    const MinMax all = m_feed->visibleValues();
    if (all.isEmpty())
        return;
    const double span = std::max(1.0, double(all.max) - double(all.min));
    m_plot->yAxis->setRange(all.min - span * AutoMargin, all.max + span * AutoMargin);
}

void TrendChart::applyPens()
{
    SeriesGraphs::setPens(m_graphs, m_comparisonGraphs, m_colors, m_lineWidth);
}

void TrendChart::applyBorder()
{
    m_frame->setColor(m_borderColor);
    m_frame->setVisible(m_border);
    scheduleRedraw();
}
