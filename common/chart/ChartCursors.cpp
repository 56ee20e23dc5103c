#include "ChartCursors.h"

#include "ChartTable.h"
#include "NumberText.h"
#include "RunAlignment.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <qcustomplot.h>

namespace {

const QColor CursorColor(40, 40, 40);
const QColor HoverColor(120, 120, 120);
/// Pixels the mouse may move between press and release for a click (more is a drag).
constexpr int ClickSlack = 3;

/// Decimals of a value's text.
int decimalsOf(const QString &text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    return point < 0 || text.contains(QLatin1Char('e')) ? 0 : int(text.size() - point - 1);
}

/// A difference with as many decimals as the values it is taken from: a float's last bits do
/// not show as 0.600002.
QString differenceText(double difference, float a, float b)
{
    const int decimals =
        std::max({1, decimalsOf(NumberText::recorded(a)), decimalsOf(NumberText::recorded(b))});
    return QString::number(difference, 'f', decimals);
}

} // namespace

ChartCursors::ChartCursors(QCustomPlot *plot, const TrendData &data,
                           const std::array<QCPGraph *, TrendData::SeriesCount> &graphs)
    : QObject(plot), m_plot(plot), m_data(data), m_graphs(graphs)
{
    m_plot->addLayer(QStringLiteral("hover"), m_plot->layer(QStringLiteral("overlay")),
                     QCustomPlot::limAbove);
    m_hoverLayer = m_plot->layer(QStringLiteral("hover"));
    m_hoverLayer->setMode(QCPLayer::lmBuffered);
    m_hoverLine = new QCPItemStraightLine(m_plot);
    m_hoverLine->setLayer(m_hoverLayer);
    m_hoverLine->setPen(QPen(HoverColor, 1, Qt::DotLine));
    m_hoverText = new QCPItemText(m_plot);
    m_hoverText->setLayer(m_hoverLayer);
    m_hoverText->position->setTypeX(QCPItemPosition::ptPlotCoords);
    m_hoverText->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    m_hoverText->setPadding(QMargins(4, 2, 4, 2));
    m_hoverText->setBrush(QColor(255, 255, 225));
    m_hoverText->setPen(QPen(HoverColor));
    for (int which = A; which <= B; ++which) {
        m_lines[which] = new QCPItemStraightLine(m_plot);
        m_lines[which]->setLayer(QStringLiteral("overlay"));
        m_lines[which]->setPen(QPen(CursorColor, 1, Qt::DashLine));
        m_labels[which] = new QCPItemText(m_plot);
        m_labels[which]->setLayer(QStringLiteral("overlay"));
        m_labels[which]->setText(which == A ? QStringLiteral("A") : QStringLiteral("B"));
        m_labels[which]->position->setTypeX(QCPItemPosition::ptPlotCoords);
        m_labels[which]->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        // Inside the plot at its top: above it they would cover the legend, and on paper run
        // off the page.
        m_labels[which]->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_labels[which]->setPadding(QMargins(3, 0, 3, 0));
        m_labels[which]->setBrush(CursorColor);
        m_labels[which]->setColor(Qt::white);
    }
    hideHover();
    update();

    m_clickDelay.setSingleShot(true);
    connect(&m_clickDelay, &QTimer::timeout, this, [this] { place(m_clickedRecord); });
    connect(m_plot, &QCustomPlot::mouseMove, this, &ChartCursors::onMove);
    connect(m_plot, &QCustomPlot::mousePress, this, &ChartCursors::onPress);
    connect(m_plot, &QCustomPlot::mouseRelease, this, &ChartCursors::onRelease);
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, &ChartCursors::onDoubleClick);
    m_plot->installEventFilter(this);
}

void ChartCursors::setComparison(const TrendData *data, const RunAlignment *alignment,
                                 const std::array<QCPGraph *, TrendData::SeriesCount> &graphs)
{
    m_compared = data && alignment && alignment->isValid() ? data : nullptr;
    m_alignment = m_compared ? alignment : nullptr;
    m_comparedGraphs = graphs;
}

void ChartCursors::setEnabled(bool on)
{
    m_enabled = on;
    m_plot->setMouseTracking(on);
    if (!on) {
        hideHover();
        clear();
    }
}

void ChartCursors::setCursor(Which which, std::optional<qsizetype> index)
{
    if (index && (*index < 0 || *index >= m_data.size()))
        index.reset();
    if (m_cursors[which] == index)
        return;
    m_cursors[which] = index;
    update();
    emit changed();
}

void ChartCursors::clear()
{
    if (!m_cursors[A] && !m_cursors[B])
        return;
    m_cursors = {};
    update();
    emit changed();
}

CursorReadout ChartCursors::readout() const
{
    return CursorReadout::of(m_data, m_cursors[A], m_cursors[B]);
}

void ChartCursors::hideHover()
{
    if (!m_hoverLine->visible())
        return;
    m_hoverLine->setVisible(false);
    m_hoverText->setVisible(false);
    m_hoverLayer->replot();
}

void ChartCursors::update()
{
    for (int which = A; which <= B; ++which) {
        const std::optional<qsizetype> index = m_cursors[which];
        m_lines[which]->setVisible(index.has_value());
        m_labels[which]->setVisible(index.has_value());
        if (!index)
            continue;
        m_lines[which]->point1->setCoords(double(*index), 0);
        m_lines[which]->point2->setCoords(double(*index), 1);
        m_labels[which]->position->setCoords(double(*index), 0);
    }
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

bool ChartCursors::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_plot && event->type() == QEvent::Leave)
        hideHover();
    return QObject::eventFilter(watched, event);
}

void ChartCursors::onMove(QMouseEvent *event)
{
    const std::optional<qsizetype> index =
        m_enabled && m_plot->axisRect()->rect().contains(event->pos())
            ? recordAt(event->position().x())
            : std::nullopt;
    if (!index) {
        hideHover();
        return;
    }
    const double x = double(*index);
    m_hoverLine->point1->setCoords(x, 0);
    m_hoverLine->point2->setCoords(x, 1);
    m_hoverText->setText(valuesText(CursorReadout::recordAt(m_data, *index)));
    // Right of the line while it fits there, else left of it, and never past the plot's edges
    // (a readout wider than the room on either side is moved over the line).
    const QRect area = m_plot->axisRect()->rect();
    const QMargins padding = m_hoverText->padding();
    const int width = QFontMetrics(m_hoverText->font())
                          .boundingRect(QRect(), Qt::AlignLeft, m_hoverText->text())
                          .width() +
                      padding.left() + padding.right() + 2;
    const double at = m_plot->xAxis->coordToPixel(x);
    const double preferred = at + width <= area.right() ? at : at - width;
    const double left =
        std::max(double(area.left()), std::min(preferred, double(area.right() - width)));
    m_hoverText->position->setCoords(m_plot->xAxis->pixelToCoord(left), 0);
    m_hoverText->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_hoverLine->setVisible(true);
    m_hoverText->setVisible(true);
    m_hoverLayer->replot();
}

void ChartCursors::onPress(QMouseEvent *event)
{
    m_pressPos = event->pos();
}

void ChartCursors::onRelease(QMouseEvent *event)
{
    if (m_afterDoubleClick) {
        m_afterDoubleClick = false;
        return;
    }
    if (!m_enabled || (event->pos() - m_pressPos).manhattanLength() > ClickSlack ||
        !m_plot->axisRect()->rect().contains(event->pos()))
        return;
    const std::optional<qsizetype> index = recordAt(event->position().x());
    if (!index)
        return;
    if (event->button() == Qt::RightButton) {
        removeNearest(*index);
    } else if (event->button() == Qt::LeftButton) {
        m_clickedRecord = *index;
        m_clickDelay.start(QApplication::doubleClickInterval());
    }
}

void ChartCursors::onDoubleClick()
{
    m_clickDelay.stop();
    m_afterDoubleClick = true;
}

std::optional<qsizetype> ChartCursors::recordAt(double x) const
{
    if (m_data.isEmpty())
        return std::nullopt;
    const QCPRange range = m_plot->xAxis->range();
    const double first = std::max(0.0, std::ceil(range.lower));
    const double last = std::min(double(m_data.size() - 1), std::floor(range.upper));
    if (first > last)
        return std::nullopt;
    return qsizetype(std::clamp(std::round(m_plot->xAxis->pixelToCoord(x)), first, last));
}

void ChartCursors::place(qsizetype index)
{
    Which which = A;
    if (m_cursors[A] && !m_cursors[B])
        which = B;
    else if (m_cursors[A] && m_cursors[B])
        which = std::abs(*m_cursors[A] - index) <= std::abs(*m_cursors[B] - index) ? A : B;
    setCursor(which, index);
}

void ChartCursors::removeNearest(qsizetype index)
{
    const auto distance = [index](std::optional<qsizetype> at) {
        return at ? std::abs(*at - index) : std::numeric_limits<qsizetype>::max();
    };
    if (!m_cursors[A] && !m_cursors[B])
        return;
    setCursor(distance(m_cursors[A]) <= distance(m_cursors[B]) ? A : B, std::nullopt);
}

/// "12:00:03   SV 60.0   제어온도 45.3" with the visible series (and the compared run's at the
/// same elapsed time).
QString ChartCursors::valuesText(const CursorReadout::Record &record) const
{
    QStringList parts = {record.label};
    const std::optional<qsizetype> compared =
        m_alignment ? m_alignment->secondAt(double(record.index)) : std::nullopt;
    for (int s : shownSeries()) {
        if (s < TrendData::SeriesCount) {
            parts << seriesTitle(s) + QLatin1Char(' ') + NumberText::recorded(record.values[s]);
        } else if (compared) {
            parts << seriesTitle(s) + QLatin1Char(' ') +
                         NumberText::recorded(
                             m_compared->value(s - TrendData::SeriesCount, *compared));
        }
    }
    return parts.join(QStringLiteral("   "));
}

QList<int> ChartCursors::shownSeries() const
{
    QList<int> shown;
    for (int s = 0; s < TrendData::SeriesCount; ++s) {
        if (m_graphs[s]->visible())
            shown << s;
    }
    for (int s = 0; m_compared && s < TrendData::SeriesCount; ++s) {
        if (m_comparedGraphs[s]->visible())
            shown << TrendData::SeriesCount + s;
    }
    return shown;
}

QCPGraph *ChartCursors::graphOf(int shownSeries) const
{
    return shownSeries < TrendData::SeriesCount
               ? m_graphs[shownSeries]
               : m_comparedGraphs[shownSeries - TrendData::SeriesCount];
}

QString ChartCursors::seriesTitle(int shownSeries) const
{
    return shownSeries < TrendData::SeriesCount
               ? m_graphs[shownSeries]->name()
               : ChartTable::comparedName(m_graphs[shownSeries - TrendData::SeriesCount]->name());
}

CursorReadout ChartCursors::comparedReadout() const
{
    if (!m_alignment)
        return {};
    const auto at = [this](std::optional<qsizetype> cursor) {
        return cursor ? m_alignment->secondAt(double(*cursor)) : std::nullopt;
    };
    return CursorReadout::of(*m_compared, at(m_cursors[A]), at(m_cursors[B]));
}

/// A cell of the compared run's is empty where that run has no record (past its end).
QList<QStringList> ChartCursors::tableRows() const
{
    const CursorReadout r = readout();
    if (!r.a && !r.b)
        return {};
    const CursorReadout c = comparedReadout();
    const QList<int> shown = shownSeries();
    QStringList header = {QString(), QStringLiteral("시간")};
    for (int s : shown)
        header << seriesTitle(s);
    QList<QStringList> rows = {header};
    const auto valueOf = [&](const std::optional<CursorReadout::Record> &own,
                             const std::optional<CursorReadout::Record> &compared, int s) {
        if (s < TrendData::SeriesCount)
            return NumberText::recorded(own->values[s]);
        return compared ? NumberText::recorded(compared->values[s - TrendData::SeriesCount])
                        : QString();
    };
    for (const auto &[name, record, compared] :
         {std::tuple{QStringLiteral("A"), r.a, c.a}, {QStringLiteral("B"), r.b, c.b}}) {
        if (!record)
            continue;
        QStringList row = {name, record->label};
        for (int s : shown)
            row << valueOf(record, compared, s);
        rows << row;
    }
    if (r.a && r.b) {
        const std::optional<qint64> seconds = r.seconds();
        QStringList change = {QStringLiteral("B-A"),
                              seconds ? CursorReadout::durationText(*seconds) : QString()};
        QStringList rate = {QStringLiteral("℃/분"), QString()};
        for (int s : shown) {
            const CursorReadout &of = s < TrendData::SeriesCount ? r : c;
            const int series = s % TrendData::SeriesCount;
            if (!of.a || !of.b) {
                change << QString();
                rate << QString();
                continue;
            }
            change << differenceText(*of.difference(series), of.a->values[series],
                                     of.b->values[series]);
            const std::optional<double> perMinute = of.ratePerMinute(series);
            rate << (perMinute ? QString::number(*perMinute, 'f', 2) : QStringLiteral("-"));
        }
        rows << change << rate;
    }
    return rows;
}

ChartTable::Table ChartCursors::table() const
{
    return {tableRows(), 2, [this](int row, int column) {
                return tableColor(row, column);
            }};
}

/// Series names head their columns in the series' colours; the rest is dark.
QColor ChartCursors::tableColor(int row, int column) const
{
    const QList<int> shown = shownSeries();
    const int index = column - 2;
    if (row != 0 || index < 0 || index >= shown.size())
        return QColor(20, 20, 20);
    return graphOf(shown[index])->pen().color();
}
