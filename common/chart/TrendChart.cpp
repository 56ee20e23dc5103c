#include "TrendChart.h"

#include "BorderFrame.h"
#include "ChartCursors.h"
#include "ChartStatistics.h"
#include "ChartTablePanel.h"
#include "EventMarkLayer.h"
#include "GapLayer.h"
#include "RibbonLayer.h"
#include "RunAlignment.h"
#include "TimeTicker.h"
#include "ValueTicker.h"

#include <QPrinter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <qcustomplot.h>

namespace {

/// Room above and below the visible values when the value axis follows them.
constexpr double AutoMargin = 0.05;
/// The resolution a printed chart is laid out at: that of a usual screen.
constexpr int LayoutDpi = 96;
/// Tick labels a point larger than the window's text, so "59.5" keeps a visible point.
constexpr int TickLabelPointsExtra = 1;

/// While it lives, every font of the plot is sized in pixels of the given resolution instead of
/// points, so a scaled painter scales the text with the rest of the chart.
class FontsInPixels
{
public:
    FontsInPixels(QCustomPlot &plot, QCPTextElement *title, int dpi)
    {
        for (QCPAxis *axis : {plot.xAxis, plot.yAxis}) {
            keep([axis] { return axis->tickLabelFont(); },
                 [axis](const QFont &f) { axis->setTickLabelFont(f); }, dpi);
            keep([axis] { return axis->labelFont(); },
                 [axis](const QFont &f) { axis->setLabelFont(f); }, dpi);
        }
        QCPLegend *legend = plot.legend;
        keep([legend] { return legend->font(); }, [legend](const QFont &f) { legend->setFont(f); },
             dpi);
        for (int i = 0; i < legend->itemCount(); ++i) {
            QCPAbstractLegendItem *item = legend->item(i);
            keep([item] { return item->font(); }, [item](const QFont &f) { item->setFont(f); },
                 dpi);
        }
        if (title)
            keep([title] { return title->font(); }, [title](const QFont &f) { title->setFont(f); },
                 dpi);
        // The cursors' "A" and "B", the hover readout and the empty plot's text.
        for (int i = 0; i < plot.itemCount(); ++i) {
            if (auto *text = qobject_cast<QCPItemText *>(plot.item(i)))
                keep([text] { return text->font(); }, [text](const QFont &f) { text->setFont(f); },
                     dpi);
        }
    }
    ~FontsInPixels()
    {
        for (const auto &[restore, font] : m_saved)
            restore(font);
    }
    FontsInPixels(const FontsInPixels &) = delete;
    FontsInPixels &operator=(const FontsInPixels &) = delete;

private:
    void keep(const std::function<QFont()> &get, const std::function<void(const QFont &)> &set,
              int dpi)
    {
        const QFont font = get();
        m_saved.push_back({set, font});
        if (font.pointSizeF() <= 0)
            return;
        QFont scaled = font;
        scaled.setPixelSize(std::max(1, int(std::lround(font.pointSizeF() * dpi / 72.0))));
        set(scaled);
    }

    std::vector<std::pair<std::function<void(const QFont &)>, QFont>> m_saved;
};

} // namespace

namespace {

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
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_graphs[s] = m_plot->addGraph();
        m_graphs[s]->setAdaptiveSampling(false);
    }
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_comparisonGraphs[s] = m_plot->addGraph();
        m_comparisonGraphs[s]->setAdaptiveSampling(false);
        m_comparisonGraphs[s]->setVisible(false);
        m_comparisonGraphs[s]->removeFromLegend();
    }
    m_plot->addLayer(QStringLiteral("ribbons"), m_plot->layer(QStringLiteral("main")),
                     QCustomPlot::limBelow);
    m_ribbons = new RibbonLayer(m_plot, m_graphs);
    m_ribbons->setVisible(false);
    new GapLayer(m_plot, m_visibleGaps);
    new EventMarkLayer(m_plot, m_data, m_eventMarks);
    m_frame = new BorderFrame(m_plot);
    m_frame->setVisible(false);
    m_cursors = new ChartCursors(m_plot, m_data, m_graphs);
    // After the cursors: the panel sees the mouse first, so a press on it places no cursor.
    m_tablePanel = new ChartTablePanel(m_plot, [this] { return tables(); });
    placeLegendAbovePlot();
    m_emptyText = new QCPItemText(m_plot);
    m_emptyText->setClipToAxisRect(false);
    m_emptyText->position->setType(QCPItemPosition::ptAxisRectRatio);
    m_emptyText->position->setCoords(0.5, 0.5);
    m_emptyText->setColor(QColor(96, 96, 96));
    m_emptyText->setText(QString()); // none until the owner says what an empty chart means
    QFont tickFont = font();
    tickFont.setPointSize(tickFont.pointSize() + TickLabelPointsExtra);
    m_plot->xAxis->setTickLabelFont(tickFont);
    m_plot->yAxis->setTickLabelFont(tickFont);
    applyPens();
    m_plot->xAxis->setRange(0, 9);
    m_plot->yAxis->setRange(0, 1);

    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &TrendChart::onScrollBarMoved);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_plot, 1);
    layout->addWidget(m_scrollBar);

    // The value axis is fitted before the layout places its labels; the points are fed after
    // it, when the width in pixels is known.
    connect(m_plot, &QCustomPlot::beforeReplot, this, &TrendChart::fitValueAxis);
    connect(m_plot, &QCustomPlot::afterLayout, this, [this] {
        feedVisibleRange();
        fitTimeLabels();
    });
    connect(m_plot->xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this,
            [this] { updateScrollBar(); });
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
    m_cursors->setComparison(m_comparison ? &m_comparison->data : nullptr, m_alignment.get(),
                             m_comparisonGraphs);
    showEmptyText();
    updateScrollBar();
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
    return QStringLiteral("%1 (%2)").arg(m_graphs[series]->name(), comparisonName());
}

/// A compared series is shown with its series, named after it and its run's file; its legend
/// entry follows the series'.
void TrendChart::showComparisonGraphs()
{
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        QCPGraph *graph = m_comparisonGraphs[s];
        const bool shown = m_comparison && m_graphs[s]->visible();
        graph->setVisible(shown);
        graph->setName(comparisonSeriesName(s));
        if (shown)
            graph->addToLegend();
        else
            graph->removeFromLegend();
        if (!shown)
            graph->data()->clear();
    }
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

void TrendChart::setTitle(Title position, const QString &text)
{
    switch (position) {
    case Title::Left:
        m_plot->yAxis->setLabel(text);
        break;
    case Title::Bottom:
        m_plot->xAxis->setLabel(text);
        break;
    case Title::Top:
        if (!m_topTitle) {
            m_plot->plotLayout()->insertRow(0);
            m_topTitle = new QCPTextElement(m_plot, text, QFont(font().family(), 12, QFont::Bold));
            m_plot->plotLayout()->addElement(0, 0, m_topTitle);
        }
        m_topTitle->setText(text);
        break;
    }
    scheduleRedraw();
}

QString TrendChart::title(Title position) const
{
    switch (position) {
    case Title::Left:
        return m_plot->yAxis->label();
    case Title::Bottom:
        return m_plot->xAxis->label();
    case Title::Top:
        break;
    }
    return m_topTitle ? m_topTitle->text() : QString();
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
    updateScrollBar();
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
    m_emptyText->setText(text);
    showEmptyText();
    scheduleRedraw();
}

QString TrendChart::emptyText() const
{
    return m_emptyText->text();
}

void TrendChart::showEmptyText()
{
    m_emptyText->setVisible(m_data.isEmpty() && !m_emptyText->text().isEmpty());
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
    const FontsInPixels fonts(*m_plot, m_topTitle, LayoutDpi);
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

/// At each redraw: hands the plot the points of the visible range at the current width.
void TrendChart::feedVisibleRange()
{
    const QCPRange range = m_plot->xAxis->range();
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::floor(range.lower)));
    const qsizetype last = std::min(m_data.size(), qsizetype(std::ceil(range.upper)) + 1);
    const int columns = std::max(1, m_plot->axisRect()->width());
    m_visibleGaps = m_data.gapsIn(first, last);
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_data.decimate(s, first, last, columns, m_xs, m_ys);
        breakAtGaps(m_visibleGaps);
        m_graphs[s]->setData(QVector<double>(m_xs.begin(), m_xs.end()),
                             QVector<double>(m_ys.begin(), m_ys.end()), true);
    }
    feedComparison(columns);
}

/// The compared run's samples over the same elapsed time, thinned like the first run's and put
/// at the positions of their elapsed times.
void TrendChart::feedComparison(int columns)
{
    if (!m_comparison || !m_alignment || !m_alignment->isValid())
        return;
    const QCPRange range = m_plot->xAxis->range();
    const auto [first, last] = m_alignment->secondAround(m_alignment->elapsedAt(range.lower),
                                                         m_alignment->elapsedAt(range.upper));
    const std::vector<qsizetype> gaps = m_comparison->data.gapsIn(first, last);
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (!m_comparisonGraphs[s]->visible())
            continue;
        m_comparison->data.decimate(s, first, last, columns, m_xs, m_ys);
        breakAtGaps(gaps);
        for (double &x : m_xs)
            x = m_alignment->positionOfSecond(x);
        m_comparisonGraphs[s]->setData(QVector<double>(m_xs.begin(), m_xs.end()),
                                       QVector<double>(m_ys.begin(), m_ys.end()), true);
    }
}

/// A point without a value halfway between the samples on either side of each gap: the plot
/// draws no line across it.
void TrendChart::breakAtGaps(const std::vector<qsizetype> &gaps)
{
    if (gaps.empty())
        return;
    std::vector<double> xs;
    std::vector<double> ys;
    xs.reserve(m_xs.size() + gaps.size());
    ys.reserve(m_ys.size() + gaps.size());
    auto gap = gaps.cbegin();
    for (size_t i = 0; i < m_xs.size(); ++i) {
        for (; gap != gaps.cend() && double(*gap) - 0.5 < m_xs[i]; ++gap) {
            xs.push_back(double(*gap) - 0.5);
            ys.push_back(std::numeric_limits<double>::quiet_NaN());
        }
        xs.push_back(m_xs[i]);
        ys.push_back(m_ys[i]);
    }
    m_xs.swap(xs);
    m_ys.swap(ys);
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
    const QCPRange range = m_plot->xAxis->range();
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::floor(range.lower)));
    const qsizetype last = std::min(m_data.size(), qsizetype(std::ceil(range.upper)) + 1);
    MinMax all;
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (m_graphs[s]->visible())
            all.include(m_data.range(s, first, last));
    }
    if (m_comparison && m_alignment && m_alignment->isValid()) {
        const auto [a, b] = m_alignment->secondAround(m_alignment->elapsedAt(range.lower),
                                                      m_alignment->elapsedAt(range.upper));
        for (int s = 0; s < TrendData::SeriesCount; ++s) {
            if (m_comparisonGraphs[s]->visible())
                all.include(m_comparison->data.range(s, a, b));
        }
    }
    if (all.isEmpty())
        return;
    const double span = std::max(1.0, double(all.max) - double(all.min));
    m_plot->yAxis->setRange(all.min - span * AutoMargin, all.max + span * AutoMargin);
}

void TrendChart::applyPens()
{
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_graphs[s]->setPen(QPen(m_colors[s], m_lineWidth));
        m_comparisonGraphs[s]->setPen(QPen(m_colors[s], m_lineWidth, Qt::DashLine));
    }
}

void TrendChart::applyBorder()
{
    m_frame->setColor(m_borderColor);
    m_frame->setVisible(m_border);
    scheduleRedraw();
}

/// The legend stands in a row of its own above the plot, at its right end, so it never covers
/// the data.
void TrendChart::placeLegendAbovePlot()
{
    QCPLegend *legend = m_plot->legend;
    m_plot->axisRect()->insetLayout()->take(legend);
    auto *row = new QCPLayoutGrid;
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, row);
    m_plot->plotLayout()->setRowStretchFactor(0, 0.001);
    row->addElement(0, 0, new QCPLayoutElement(m_plot));
    row->addElement(0, 1, legend);
    row->setColumnStretchFactor(0, 1);
    row->setColumnStretchFactor(1, 0.001);
    row->setMargins(QMargins(0, 2, 8, 0));
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    // A row per run: a compared run's series stand below the chart's own.
    legend->setWrap(TrendData::SeriesCount);
    legend->setMargins(QMargins(4, 2, 4, 2));
}

/// The scroll bar moves a zoomed view along all the samples.
void TrendChart::updateScrollBar()
{
    if (m_updatingScrollBar)
        return;
    m_updatingScrollBar = true;
    const QCPRange range = m_plot->xAxis->range();
    const int span = std::max(1, int(std::lround(range.size())));
    const int total = int(std::max(std::lround(lastPosition()), 0L));
    m_scrollBar->setRange(0, std::max(0, total - span));
    m_scrollBar->setPageStep(span);
    m_scrollBar->setValue(int(std::lround(range.lower)));
    m_updatingScrollBar = false;
}

void TrendChart::onScrollBarMoved(int value)
{
    if (m_updatingScrollBar)
        return;
    m_updatingScrollBar = true;
    const double span = m_plot->xAxis->range().size();
    m_plot->xAxis->setRange(value, value + span);
    m_updatingScrollBar = false;
    scheduleRedraw();
}
