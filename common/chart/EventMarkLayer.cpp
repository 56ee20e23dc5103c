#include "EventMarkLayer.h"

#include <algorithm>
#include <numeric>

namespace {

/// The marks' text is this share of the legend's (whose font printing sizes in pixels).
constexpr double TextScale = 0.85;
/// Room between a line and its text, and between two texts, in pixels.
constexpr double Gap = 2;
/// A text cut shorter than this is not drawn at all.
constexpr double ShortestText = 24;

} // namespace

EventMarkLayer::EventMarkLayer(QCustomPlot *plot, const TrendData &data,
                               const std::vector<EventMark> &marks)
    : QCPLayerable(plot, QStringLiteral("overlay")), m_data(data), m_marks(marks)
{}

std::vector<EventMarkLayer::Place> EventMarkLayer::placeTexts(const std::vector<double> &lines,
                                                              const std::vector<double> &widths,
                                                              double left, double right)
{
    std::vector<Place> places(lines.size());
    // The last text placed in each row, and where that row is free from.
    std::array<std::optional<size_t>, Rows> last{};
    std::array<double, Rows> freeFrom;
    freeFrom.fill(left);
    for (size_t i = 0; i < lines.size(); ++i) {
        Place &place = places[i];
        place.width = std::min(widths[i], right - left);
        place.left = lines[i] + Gap;
        if (place.left + place.width > right)
            place.left = std::max(left, lines[i] - Gap - place.width);
        int row = 0;
        while (row < Rows && freeFrom[size_t(row)] > place.left)
            ++row;
        if (row == Rows) {
            // Every row is taken: the row freed first gives way, its text cut at this line.
            row = int(std::min_element(freeFrom.cbegin(), freeFrom.cend()) - freeFrom.cbegin());
            Place &earlier = places[*last[size_t(row)]];
            earlier.width = std::max(0.0, std::min(earlier.width, place.left - Gap - earlier.left));
            if (earlier.width < ShortestText)
                earlier.width = 0;
        }
        place.row = row;
        last[size_t(row)] = i;
        freeFrom[size_t(row)] = place.left + place.width + Gap;
    }
    return places;
}

void EventMarkLayer::applyDefaultAntialiasingHint(QCPPainter *painter) const
{
    applyAntialiasingHint(painter, false, QCP::aeOther);
}

void EventMarkLayer::draw(QCPPainter *painter)
{
    const QRect area = parentPlot()->axisRect()->rect();
    QCPAxis *axis = parentPlot()->xAxis;
    const QFont font = textFont();
    const QFontMetricsF metrics(font);
    std::vector<std::pair<double, const EventMark *>> shown;
    for (const EventMark &mark : m_marks) {
        if (const std::optional<double> x = positionOf(mark.time))
            shown.emplace_back(std::min(axis->coordToPixel(*x), double(area.right())), &mark);
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<double> lines;
    std::vector<double> widths;
    for (const auto &[x, mark] : shown) {
        lines.push_back(x);
        widths.push_back(metrics.horizontalAdvance(mark->text) + 2);
    }
    const std::vector<Place> places = placeTexts(lines, widths, area.left(), area.right());
    // Every line first, then the texts on their light ground: no line runs through a text.
    for (size_t i = 0; i < shown.size(); ++i) {
        painter->setPen(QPen(shown[i].second->color, 1));
        painter->drawLine(QPointF(lines[i], area.top()), QPointF(lines[i], area.bottom()));
    }
    painter->setFont(font);
    for (size_t i = 0; i < shown.size(); ++i) {
        const EventMark &mark = *shown[i].second;
        const Place &place = places[i];
        if (place.width <= 0)
            continue;
        const QRectF box(place.left, area.top() + 1 + place.row * metrics.height(), place.width,
                         metrics.height());
        painter->fillRect(box, QColor(255, 255, 255, 220));
        painter->setPen(mark.color);
        const QString text = place.width < widths[i]
                                 ? metrics.elidedText(mark.text, Qt::ElideRight, place.width - 2)
                                 : mark.text;
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

std::optional<double> EventMarkLayer::positionOf(qint32 time) const
{
    if (m_data.isEmpty())
        return std::nullopt;
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
    const QCPRange range = parentPlot()->xAxis->range();
    const qsizetype last = m_data.size() - 1;
    if (low > last) // after the last record: at the right edge while the end is in view
        return range.contains(double(last)) ? std::optional<double>(range.upper) : std::nullopt;
    return range.contains(double(low)) ? std::optional<double>(double(low)) : std::nullopt;
}

QFont EventMarkLayer::textFont() const
{
    QFont font = parentPlot()->legend->font();
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * TextScale))));
    else
        font.setPointSizeF(font.pointSizeF() * TextScale);
    return font;
}
