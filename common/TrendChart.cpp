#include "TrendChart.h"

#include "ChartCursors.h"
#include "ChartStatistics.h"
#include "RunAlignment.h"

#include <QPrinter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <qcustomplot.h>

namespace {

/// Depth of a 3-D ribbon in pixels, to the right and up: enough to read as depth, too little to
/// hide a neighbouring line.
constexpr int RibbonDepth = 4;
/// Room above and below the visible values when the value axis follows them.
constexpr double AutoMargin = 0.05;
/// The resolution a printed chart is laid out at: that of a usual screen.
constexpr int LayoutDpi = 96;
/// Tick labels a point larger than the window's text, so "59.5" keeps a visible point.
constexpr int TickLabelPointsExtra = 1;
/// Width of the border frame in pixels.
constexpr int BorderWidth = 2;

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

/// Ticks on round times (1, 2, 5, 10, 15, 30 s; 1, 2, 5, 10, 15, 30 min; 1, 2, 3, 6, 12 h; days)
/// found from the samples' own times: each tick stands where its time is, at the sample of that
/// time or between the two samples around it, so a label always names the time of the place it
/// marks. A round time inside a gap of the recording gets no tick of its own (the axis counts
/// samples, so a gap takes no room: the line breaks there instead); when the recording resumes
/// before the next round time, the first record after the gap gets a tick with its own time. The
/// step is chosen for the time the samples cover, gaps left out. Labels read "HH:MM:SS", or "HH:MM"
/// for whole-minute steps; when the visible range crosses midnight the first tick and the first
/// tick of each new day carry "MM-DD" on a second line. A tick never stands left of the one before.
class TimeTicker : public QCPAxisTicker
{
public:
    TimeTicker(const TrendData &data, const std::unique_ptr<RunAlignment> &alignment)
        : m_data(data), m_alignment(alignment)
    {
        setTickCount(6);
    }

    void generate(const QCPRange &range, const QLocale &, QChar, int, QVector<double> &ticks,
                  QVector<double> *subTicks, QVector<QString> *tickLabels) override
    {
        ticks.clear();
        if (subTicks)
            subTicks->clear();
        if (tickLabels)
            tickLabels->clear();
        if (m_alignment && m_alignment->isValid()) {
            generateElapsed(range, ticks, tickLabels);
            return;
        }
        const qsizetype first = std::max<qsizetype>(0, qsizetype(std::ceil(range.lower)));
        const qsizetype last = std::min(m_data.size() - 1, qsizetype(std::floor(range.upper)));
        const qsizetype from = timedIndex(first, last, +1);
        const qsizetype to = timedIndex(last, first, -1);
        if (from < 0 || to < 0 || from > to)
            return;
        const qint32 t0 = m_data.time(from);
        const qint32 t1 = std::max(t0, m_data.time(to));
        const std::vector<qsizetype> gaps = m_data.gapsIn(from, to + 1);
        const qint64 step = stepFor(recordedSeconds(t0, t1, gaps));
        const bool crossesMidnight = TrendData::dayOf(t0) != TrendData::dayOf(t1);
        double previous = -1;
        int previousDay = std::numeric_limits<int>::min();
        for (qint64 round = ceilTo(t0, step); round <= t1; round += step) {
            std::optional<double> x = placeOf(qint32(round), from, to, gaps);
            qint32 time = qint32(round);
            if (!x) {
                // In a gap that ends before the next round time: the tick goes to the first
                // record after the gap, with that record's own time.
                const std::optional<qsizetype> resumed = resumptionAfter(time, from, to, gaps);
                if (!resumed || m_data.time(*resumed) - qint64(round) >= step)
                    continue;
                x = double(*resumed);
                time = m_data.time(*resumed);
            }
            if (*x <= previous)
                continue;
            previous = *x;
            const bool whole = step % 60 == 0 && TrendData::secondOfDay(time) % 60 == 0;
            QString label = whole ? TrendData::timeText(time).left(5) : TrendData::timeText(time);
            const int day = TrendData::dayOf(time);
            if (crossesMidnight && day != previousDay)
                label += QLatin1Char('\n') + TrendData::dateText(time);
            previousDay = day;
            ticks.append(*x);
            if (tickLabels)
                tickLabels->append(label);
        }
    }

private:
    /// Two runs compared: round spans of time since their first records, as "h:mm" (with
    /// seconds when the step is shorter than a minute).
    void generateElapsed(const QCPRange &range, QVector<double> &ticks,
                         QVector<QString> *tickLabels) const
    {
        const double from = std::max(0.0, m_alignment->elapsedAt(range.lower));
        const double to = m_alignment->elapsedAt(range.upper);
        if (to < from)
            return;
        const qint64 step = stepFor(qint64(to - from));
        for (qint64 seconds = ceilTo(qint64(std::ceil(from)), step); seconds <= to;
             seconds += step) {
            ticks.append(m_alignment->positionOf(double(seconds)));
            if (!tickLabels)
                continue;
            QString label = QStringLiteral("%1:%2")
                                .arg(seconds / 3600)
                                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
            if (step < 60)
                label += QStringLiteral(":%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
            tickLabels->append(label);
        }
    }

    /// The nearest index from start towards end (direction +1 or -1) whose sample has a time.
    qsizetype timedIndex(qsizetype start, qsizetype end, int direction) const
    {
        for (qsizetype i = start; direction > 0 ? i <= end : i >= end; i += direction) {
            if (m_data.time(i) != TrendData::NoTime)
                return i;
        }
        return -1;
    }

    /// Where time t stands on the axis: at the sample of that time, or between the two samples
    /// around it in proportion to their times; nowhere inside a gap of the recording.
    std::optional<double> placeOf(qint32 t, qsizetype from, qsizetype to,
                                  const std::vector<qsizetype> &gaps) const
    {
        const qsizetype after = firstAtOrAfter(t, from, to);
        const qint32 afterTime = m_data.time(after);
        if (afterTime == t)
            return double(after);
        if (after == from || afterTime < t || std::binary_search(gaps.cbegin(), gaps.cend(), after))
            return std::nullopt;
        const qint32 beforeTime = m_data.time(after - 1);
        if (beforeTime == TrendData::NoTime || afterTime == TrendData::NoTime || beforeTime > t)
            return std::nullopt;
        return double(after - 1) + double(t - beforeTime) / double(afterTime - beforeTime);
    }

    /// The first record after the gap that time t falls in; nullopt when t is in no gap.
    std::optional<qsizetype> resumptionAfter(qint32 t, qsizetype from, qsizetype to,
                                             const std::vector<qsizetype> &gaps) const
    {
        const qsizetype after = firstAtOrAfter(t, from, to);
        if (m_data.time(after) <= t || !std::binary_search(gaps.cbegin(), gaps.cend(), after))
            return std::nullopt;
        return after;
    }

    /// The seconds the samples between t0 and t1 cover, the gaps left out.
    qint64 recordedSeconds(qint32 t0, qint32 t1, const std::vector<qsizetype> &gaps) const
    {
        qint64 seconds = qint64(t1) - t0;
        for (qsizetype gap : gaps) {
            const qint64 jump = qint64(m_data.time(gap)) - m_data.time(gap - 1);
            if (jump > 0)
                seconds -= jump;
        }
        return std::max<qint64>(seconds, 0);
    }

    /// The first sample in [from, to] whose time is at or after t (times rise with the index;
    /// where they do not, some sample near t).
    qsizetype firstAtOrAfter(qint32 t, qsizetype from, qsizetype to) const
    {
        qsizetype lo = from;
        qsizetype hi = to;
        while (lo < hi) {
            const qsizetype mid = lo + (hi - lo) / 2;
            if (m_data.time(mid) < t)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    /// The smallest round step that puts at most tickCount() ticks on the span.
    qint64 stepFor(qint64 span) const
    {
        static constexpr std::array<qint64, 27> Steps = {
            1,          2,          5,          10,         15,          30,         60,
            120,        300,        600,        900,        1800,        3600,       7200,
            10800,      21600,      43200,      86400,      2 * 86400,   5 * 86400,  7 * 86400,
            14 * 86400, 30 * 86400, 60 * 86400, 91 * 86400, 182 * 86400, 365 * 86400};
        for (qint64 step : Steps) {
            if (span / step < tickCount())
                return step;
        }
        return Steps.back();
    }

    static qint64 ceilTo(qint64 value, qint64 step)
    {
        const qint64 down = value >= 0 ? value / step * step : -((-value + step - 1) / step) * step;
        return down == value ? value : down + step;
    }

    const TrendData &m_data;
    const std::unique_ptr<RunAlignment> &m_alignment;
};

/// Value ticks as QCustomPlot places them, all labelled with one number of decimals: the fewest
/// that write every tick exactly ("57.5" and "60.0", never "57.5" beside "60").
class ValueTicker : public QCPAxisTicker
{
public:
    void generate(const QCPRange &range, const QLocale &locale, QChar formatChar, int precision,
                  QVector<double> &ticks, QVector<double> *subTicks,
                  QVector<QString> *tickLabels) override
    {
        QCPAxisTicker::generate(range, locale, formatChar, precision, ticks, subTicks, nullptr);
        if (!tickLabels)
            return;
        tickLabels->clear();
        const int decimals = decimalsFor(ticks);
        for (double tick : ticks)
            tickLabels->append(QString::number(tick, 'f', decimals));
    }

private:
    static int decimalsFor(const QVector<double> &ticks)
    {
        constexpr int MostDecimals = 6;
        for (int decimals = 0; decimals < MostDecimals; ++decimals) {
            const double scale = std::pow(10.0, decimals);
            const bool exact = std::all_of(ticks.cbegin(), ticks.cend(), [scale](double tick) {
                const double scaled = tick * scale;
                return std::abs(scaled - std::round(scaled)) <
                       1e-6 * std::max(1.0, std::abs(scaled));
            });
            if (exact)
                return decimals;
        }
        return MostDecimals;
    }
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
    /// Back to front: the last series is the farthest, so a nearer ribbon is never hidden by a
    /// farther one.
    void draw(QCPPainter *painter) override
    {
        QList<QPolygonF> pieces;
        for (auto it = m_graphs.rbegin(); it != m_graphs.rend(); ++it) {
            QCPGraph *graph = *it;
            if (!graph->visible())
                continue;
            topEdge(*graph, pieces);
            painter->setPen(QPen(graph->pen().color().lighter(170), 1));
            for (const QPolygonF &line : pieces) {
                for (int k = RibbonDepth; k >= 1; --k)
                    painter->drawPolyline(line.translated(k, -k));
            }
        }
    }

private:
    /// The line's top edge, one point per pixel column: where the graph holds a minimum and a
    /// maximum per column, repeating the line's zigzag behind it would draw teeth, not a ribbon.
    /// A point without a value (a gap in the recording) ends one piece of the edge.
    static void topEdge(const QCPGraph &graph, QList<QPolygonF> &pieces)
    {
        pieces.clear();
        pieces.append(QPolygonF());
        const auto data = graph.data();
        for (auto it = data->constBegin(); it != data->constEnd(); ++it) {
            QPolygonF &edge = pieces.last();
            if (std::isnan(it->value)) {
                if (!edge.isEmpty())
                    pieces.append(QPolygonF());
                continue;
            }
            const QPointF point(graph.keyAxis()->coordToPixel(it->key),
                                graph.valueAxis()->coordToPixel(it->value));
            if (!edge.isEmpty() && std::abs(edge.last().x() - point.x()) < 0.5) {
                edge.last().setY(std::min(edge.last().y(), point.y())); // up is smaller
                continue;
            }
            edge.append(point);
        }
    }

    const std::array<QCPGraph *, TrendData::SeriesCount> m_graphs;
};

/// Where the recording stopped: a dashed grey line across the plot between the samples on either
/// side of each visible gap, so a flat line broken for a sample's width still shows its gap.
class TrendChart::GapMarks : public QCPLayerable
{
public:
    GapMarks(QCustomPlot *plot, const std::vector<qsizetype> &gaps)
        : QCPLayerable(plot, QStringLiteral("ribbons")), m_gaps(gaps)
    {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override
    {
        applyAntialiasingHint(painter, false, QCP::aeOther);
    }
    void draw(QCPPainter *painter) override
    {
        const QRect area = parentPlot()->axisRect()->rect();
        QCPAxis *axis = parentPlot()->xAxis;
        painter->setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
        for (qsizetype gap : m_gaps) {
            const double x = axis->coordToPixel(double(gap) - 0.5);
            painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        }
    }

private:
    const std::vector<qsizetype> &m_gaps;
};

/// Marked moments over the trend: a thin line at the first sample at or after each mark's time
/// (samples ascend in time; a mark after the last sample is not drawn), its text at the top.
class TrendChart::EventMarks : public QCPLayerable
{
public:
    /// The marks' text is this share of the legend's (whose font printing sizes in pixels).
    static constexpr double TextScale = 0.85;

    EventMarks(QCustomPlot *plot, const TrendData &data, const std::vector<EventMark> &marks)
        : QCPLayerable(plot, QStringLiteral("overlay")), m_data(data), m_marks(marks)
    {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override
    {
        applyAntialiasingHint(painter, false, QCP::aeOther);
    }
    void draw(QCPPainter *painter) override
    {
        const QRect area = parentPlot()->axisRect()->rect();
        QCPAxis *axis = parentPlot()->xAxis;
        QFont font = parentPlot()->legend->font();
        if (font.pixelSize() > 0)
            font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * TextScale))));
        else
            font.setPointSizeF(font.pointSizeF() * TextScale);
        painter->setFont(font);
        const QFontMetrics metrics(font);
        for (const EventMark &mark : m_marks) {
            const std::optional<qsizetype> index = sampleAt(mark.time);
            if (!index || !axis->range().contains(double(*index)))
                continue;
            const double x = axis->coordToPixel(double(*index));
            painter->setPen(QPen(mark.color, 1));
            painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
            const QRectF text(x + 2, area.top() + 1, metrics.horizontalAdvance(mark.text) + 2,
                              metrics.height());
            painter->fillRect(text, QColor(255, 255, 255, 200));
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, mark.text);
        }
    }

private:
    std::optional<qsizetype> sampleAt(qint32 time) const
    {
        qsizetype low = 0;
        qsizetype high = m_data.size();
        while (low < high) {
            const qsizetype middle = low + (high - low) / 2;
            const qint32 t = m_data.time(middle);
            if (t != TrendData::NoTime && t < time)
                low = middle + 1;
            else
                high = middle;
        }
        if (low >= m_data.size())
            return std::nullopt;
        return low;
    }

    const TrendData &m_data;
    const std::vector<EventMark> &m_marks;
};

/// The border: a frame of the chosen colour around the whole chart, drawn above everything, so
/// it shows on screen, in pictures and on paper alike.
class TrendChart::Frame : public QCPLayerable
{
public:
    explicit Frame(QCustomPlot *plot) : QCPLayerable(plot, QStringLiteral("overlay")) {}

    void setColor(const QColor &color) { m_color = color; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override
    {
        applyAntialiasingHint(painter, false, QCP::aeOther);
    }
    void draw(QCPPainter *painter) override
    {
        QPen pen(m_color, BorderWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        const double inset = BorderWidth / 2.0;
        painter->drawRect(QRectF(mParentPlot->viewport()).adjusted(inset, inset, -inset, -inset));
    }

private:
    QColor m_color = Qt::black;
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
    m_plot->xAxis->setTicker(QSharedPointer<TimeTicker>::create(m_data, m_alignment));
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
    m_ribbons = new Ribbons(m_plot, m_graphs);
    m_ribbons->setVisible(false);
    new GapMarks(m_plot, m_visibleGaps);
    new EventMarks(m_plot, m_data, m_eventMarks);
    m_frame = new Frame(m_plot);
    m_frame->setVisible(false);
    m_cursors = new ChartCursors(m_plot, m_data, m_graphs);
    m_statistics = new ChartStatistics(m_plot, *this);
    m_statistics->setVisible(false);
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
    connect(m_plot, &QCustomPlot::afterLayout, this, &TrendChart::feedVisibleRange);
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
    m_statistics->setVisible(on);
    scheduleRedraw();
}

bool TrendChart::isStatisticsVisible() const
{
    return m_statistics->visible();
}

void TrendChart::setStatisticsLimit(std::optional<double> limit)
{
    m_statistics->setLimit(limit);
    scheduleRedraw();
}

std::optional<double> TrendChart::statisticsLimit() const
{
    return m_statistics->limit();
}

QList<QStringList> TrendChart::statisticsRows() const
{
    return m_statistics->visible() ? m_statistics->rows() : QList<QStringList>();
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
    m_plot->toPainter(&painter, int(area.width() * LayoutDpi), int(area.height() * LayoutDpi));
    return painter.end();
}

QImage TrendChart::renderToImage(const QSize &size)
{
    m_cursors->hideHover();
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
