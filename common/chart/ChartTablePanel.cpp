#include "ChartTablePanel.h"

#include <QMouseEvent>
#include <qcustomplot.h>

namespace {

/// Room between the panel and the plot's edges, and between two tables, in pixels.
constexpr int TableInset = 8;

/// Whether the segment from a to b passes through rect (Liang-Barsky clipping).
bool meets(const QPointF &a, const QPointF &b, const QRectF &rect)
{
    if (rect.contains(a) || rect.contains(b))
        return true;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const std::array<double, 4> p = {-dx, dx, -dy, dy};
    const std::array<double, 4> q = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(),
                                     rect.bottom() - a.y()};
    double enter = 0;
    double leave = 1;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
        if (enter > leave)
            return false;
    }
    return true;
}

} // namespace

/// Draws the panel where the layout puts it, and keeps where that was for the mouse.
class ChartTablePanel::Layer : public QCPLayerable
{
public:
    explicit Layer(ChartTablePanel &owner)
        : QCPLayerable(owner.m_plot, QStringLiteral("overlay")), m_owner(owner)
    {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override
    {
        applyAntialiasingHint(painter, false, QCP::aeOther);
    }
    void draw(QCPPainter *painter) override
    {
        const Layout layout = m_owner.layout();
        m_owner.m_panel = layout.panel;
        m_owner.m_foldButton = layout.foldButton;
        const QFont font = mParentPlot->legend->font();
        for (size_t i = 0; i < layout.tables.size(); ++i) {
            const ChartTable::Table &table = layout.tables[i];
            ChartTable::draw(painter, layout.origins[i], font, table.rows, table.leftColumns,
                             table.color);
        }
        if (layout.foldButton.isEmpty())
            return;
        painter->setPen(QPen(QColor(160, 160, 160), 1));
        painter->setBrush(QColor(240, 240, 240));
        painter->drawRect(layout.foldButton);
        painter->setPen(QColor(20, 20, 20));
        painter->drawText(layout.foldButton, Qt::AlignCenter,
                          m_owner.m_folded ? QStringLiteral("+") : QStringLiteral("−"));
    }

private:
    ChartTablePanel &m_owner;
};

ChartTablePanel::ChartTablePanel(QCustomPlot *plot,
                                 std::function<std::vector<ChartTable::Table>()> tables)
    : QObject(plot), m_plot(plot), m_tables(std::move(tables))
{
    new Layer(*this);
    m_plot->installEventFilter(this);
}

void ChartTablePanel::setFolded(bool folded)
{
    m_folded = folded;
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void ChartTablePanel::setPlacement(std::optional<QPointF> placement)
{
    m_placement = placement;
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

ChartTablePanel::Layout ChartTablePanel::layoutAtOrigin() const
{
    Layout layout;
    const QFont font = m_plot->legend->font();
    const int room = m_plot->axisRect()->width() - 2 * TableInset;
    QRect box;
    for (ChartTable::Table table : m_tables()) {
        if (table.rows.size() < 2)
            continue;
        if (m_folded)
            table.rows = table.rows.mid(0, 1);
        const QSize size = ChartTable::sizeOf(font, table.rows);
        QPoint origin(0, 0);
        if (!box.isEmpty())
            origin = box.width() + TableInset + size.width() <= room
                         ? QPoint(box.right() + 1 + TableInset, 0)
                         : QPoint(0, box.bottom() + 1 + TableInset);
        box |= QRect(origin, size);
        layout.origins.push_back(origin);
        layout.tables.push_back(std::move(table));
    }
    if (layout.tables.empty())
        return layout;
    const int side = QFontMetrics(font).height() + ChartTable::CellPadding;
    layout.foldButton = QRect(box.right() + 2, 0, side, side);
    layout.panel = box | layout.foldButton;
    return layout;
}

ChartTablePanel::Layout ChartTablePanel::layout() const
{
    Layout layout = layoutAtOrigin();
    if (layout.tables.empty())
        return layout;
    const QPoint at = topLeftFor(layout.panel.size());
    for (QPoint &origin : layout.origins)
        origin += at;
    layout.panel.translate(at);
    layout.foldButton.translate(at);
    return layout;
}

/// Where the operator put it, kept inside the plot; else the corner the lines cross least (the
/// top left one of equals).
QPoint ChartTablePanel::topLeftFor(const QSize &size) const
{
    const QRect plot = m_plot->axisRect()->rect();
    const int right = std::max(plot.left(), plot.right() - size.width());
    const int bottom = std::max(plot.top(), plot.bottom() - size.height());
    if (m_placement) {
        const int x = plot.left() + int(std::lround(m_placement->x() * plot.width()));
        const int y = plot.top() + int(std::lround(m_placement->y() * plot.height()));
        return {std::clamp(x, plot.left(), right), std::clamp(y, plot.top(), bottom)};
    }
    const int left = plot.left() + TableInset;
    const int top = plot.top() + TableInset;
    const std::array<QPoint, 4> corners = {QPoint(left, top), QPoint(right - TableInset, top),
                                           QPoint(left, bottom - TableInset),
                                           QPoint(right - TableInset, bottom - TableInset)};
    QPoint best = corners[0];
    int fewest = std::numeric_limits<int>::max();
    for (const QPoint &corner : corners) {
        const int crossings = linesThrough(QRectF(corner, size));
        if (crossings < fewest) {
            fewest = crossings;
            best = corner;
        }
    }
    return best;
}

int ChartTablePanel::linesThrough(const QRectF &rect) const
{
    int count = 0;
    for (int g = 0; g < m_plot->graphCount(); ++g) {
        const QCPGraph *graph = m_plot->graph(g);
        if (!graph->visible())
            continue;
        std::optional<QPointF> previous;
        for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
            if (std::isnan(it->value)) {
                previous.reset();
                continue;
            }
            const QPointF point(graph->keyAxis()->coordToPixel(it->key),
                                graph->valueAxis()->coordToPixel(it->value));
            if (previous && meets(*previous, point, rect))
                ++count;
            previous = point;
        }
    }
    return count;
}

bool ChartTablePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_plot)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return press(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonDblClick:
        if (!m_panel.contains(static_cast<QMouseEvent *>(event)->pos()))
            return false;
        setPlacement(std::nullopt);
        m_grab = QPoint(); // the release that follows belongs to the panel too
        m_holdStill = true;
        return true;
    case QEvent::MouseMove:
        return move(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        if (!m_grab)
            return false;
        m_grab.reset();
        return true;
    default:
        return false;
    }
}

bool ChartTablePanel::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_panel.contains(event->pos()))
        return false;
    m_holdStill = m_foldButton.contains(event->pos());
    if (m_holdStill)
        setFolded(!m_folded);
    m_grab = event->pos() - m_panel.topLeft();
    return true;
}

bool ChartTablePanel::move(QMouseEvent *event)
{
    if (!m_grab) {
        showPointer(event->pos());
        return false;
    }
    if (m_holdStill)
        return true;
    const QRect plot = m_plot->axisRect()->rect();
    const QPoint topLeft = event->pos() - *m_grab;
    setPlacement(QPointF(double(topLeft.x() - plot.left()) / std::max(1, plot.width()),
                         double(topLeft.y() - plot.top()) / std::max(1, plot.height())));
    return true;
}

/// A hand over the panel, a pointing hand over its button; the plot's own pointer elsewhere.
void ChartTablePanel::showPointer(const QPoint &at)
{
    if (m_foldButton.contains(at))
        m_plot->setCursor(Qt::PointingHandCursor);
    else if (m_panel.contains(at))
        m_plot->setCursor(Qt::OpenHandCursor);
    else if (m_plot->testAttribute(Qt::WA_SetCursor))
        m_plot->unsetCursor();
}
