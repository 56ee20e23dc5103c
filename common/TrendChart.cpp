#include "TrendChart.h"

#include <QPrinter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace {

/// Depth of a 3-D ribbon in pixels, to the right and up.
constexpr int RibbonDepth = 6;
/// Room above and below the visible values when the value axis follows them.
constexpr double AutoMargin = 0.05;

/// Ticks on whole sample numbers, labelled with the samples' times.
class TimeTicker : public QCPAxisTicker
{
public:
    explicit TimeTicker(const TrendData &data) : m_data(data)
    {
        setTickCount(4);
        setTickStepStrategy(tssMeetTickCount);
    }

protected:
    double getTickStep(const QCPRange &range) override
    {
        return std::max(1.0, QCPAxisTicker::getTickStep(range));
    }
    QString getTickLabel(double tick, const QLocale &, QChar, int) override
    {
        const qsizetype index = qsizetype(std::llround(tick));
        if (index < 0 || index >= m_data.size())
            return QString();
        return m_data.label(index);
    }

private:
    const TrendData &m_data;
};

} // namespace

/// The 3-D look: behind each visible line, the same line drawn again a pixel further back and up
/// for each pixel of depth, in a lighter colour, so the lines stand as ribbons. Thin lines are
/// cheap; a filled polygon or a wide pen would cost tens of milliseconds per redraw.
class TrendChart::Ribbons : public QCPLayerable
{
public:
    Ribbons(QCustomPlot *plot, const std::array<QCPGraph *, TrendData::SeriesCount> &graphs)
        : QCPLayerable(plot, QStringLiteral("ribbons")), m_graphs(graphs)
    {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override
    {
        applyAntialiasingHint(painter, false, QCP::aePlottables);
    }
    QRect clipRect() const override { return mParentPlot->axisRect()->rect(); }
    void draw(QCPPainter *painter) override
    {
        QPolygonF line;
        for (QCPGraph *graph : m_graphs) {
            if (!graph->visible())
                continue;
            line.clear();
            const auto data = graph->data();
            line.reserve(data->size());
            for (auto it = data->constBegin(); it != data->constEnd(); ++it)
                line.append(QPointF(graph->keyAxis()->coordToPixel(it->key),
                                    graph->valueAxis()->coordToPixel(it->value)));
            painter->setPen(QPen(graph->pen().color().lighter(170), 1));
            for (int k = RibbonDepth; k >= 1; --k)
                painter->drawPolyline(line.translated(k, -k));
        }
    }

private:
    const std::array<QCPGraph *, TrendData::SeriesCount> m_graphs;
};

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
    m_plot->xAxis->setTicker(QSharedPointer<TimeTicker>::create(m_data));
    m_plot->legend->setVisible(true);
    m_plot->legend->setBrush(Qt::white);
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_graphs[s] = m_plot->addGraph();
        m_graphs[s]->setAdaptiveSampling(false);
    }
    m_plot->addLayer(QStringLiteral("ribbons"), m_plot->layer(QStringLiteral("main")),
                     QCustomPlot::limBelow);
    m_ribbons = new Ribbons(m_plot, m_graphs);
    m_ribbons->setVisible(false);
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
    connect(m_plot, &QCustomPlot::afterLayout, this, &TrendChart::feedVisibleRange);
    connect(m_plot->xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this,
            [this] { updateScrollBar(); });
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this] {
        if (m_zoom)
            showAll();
        emit doubleClicked();
    });
}

TrendChart::~TrendChart() = default;

void TrendChart::dataChanged()
{
    updateScrollBar();
    scheduleRedraw();
}

void TrendChart::setData(TrendData &&data)
{
    m_data = std::move(data);
    showAll();
    dataChanged();
}

void TrendChart::clear()
{
    m_data.clear();
    m_plot->xAxis->setRange(0, 9);
    dataChanged();
}

void TrendChart::appendSample(qint32 secondOfDay,
                              const std::array<float, TrendData::SeriesCount> &values)
{
    m_data.append(secondOfDay, values);
    dataChanged();
}

void TrendChart::setSeriesName(int series, const QString &name)
{
    m_graphs[series]->setName(name);
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
    setXRange(0, std::max<double>(9, double(m_data.size() - 1)));
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

void TrendChart::setLegendVisible(bool on)
{
    m_plot->legend->setVisible(on);
    scheduleRedraw();
}

bool TrendChart::print(QPrinter &printer, const QMarginsF &marginsInches)
{
    printer.setPageMargins(marginsInches, QPageLayout::Inch);
    fitValueAxis();
    QCPPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSize size = page.size();
    // Draw at screen resolution scale so fonts and lines keep their proportions.
    const double scale =
        std::min(double(size.width()) / m_plot->width(), double(size.height()) / m_plot->height());
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.scale(scale, scale);
    m_plot->toPainter(&painter, m_plot->width(), m_plot->height());
    return painter.end();
}

QImage TrendChart::renderToImage(const QSize &size)
{
    fitValueAxis();
    return m_plot->toPixmap(size.width(), size.height()).toImage();
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
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_data.decimate(s, first, last, columns, m_xs, m_ys);
        m_graphs[s]->setData(QVector<double>(m_xs.begin(), m_xs.end()),
                             QVector<double>(m_ys.begin(), m_ys.end()), true);
    }
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
    if (all.isEmpty())
        return;
    const double span = std::max(1.0, double(all.max) - double(all.min));
    m_plot->yAxis->setRange(all.min - span * AutoMargin, all.max + span * AutoMargin);
}

void TrendChart::applyPens()
{
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        m_graphs[s]->setPen(QPen(m_colors[s], m_lineWidth));
    }
}

void TrendChart::applyBorder()
{
    setStyleSheet(
        m_border ? QStringLiteral("TrendChart { border: 2px solid %1; }").arg(m_borderColor.name())
                 : QString());
    setContentsMargins(m_border ? QMargins(2, 2, 2, 2) : QMargins());
}

/// The scroll bar moves a zoomed view along all the samples.
void TrendChart::updateScrollBar()
{
    if (m_updatingScrollBar)
        return;
    m_updatingScrollBar = true;
    const QCPRange range = m_plot->xAxis->range();
    const int span = std::max(1, int(std::lround(range.size())));
    const int total = int(std::max<qsizetype>(m_data.size() - 1, 0));
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
