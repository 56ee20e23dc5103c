#include "PrintPage.h"

#include "TrendChart.h"

#include <QPrinter>

namespace PrintPage {

namespace {

constexpr double PointsPerMillimetre = 72.0 / 25.4;
/// The chart keeps at least this share of the page in each direction.
constexpr double MinimumChartShare = 0.25;

} // namespace

const QStringList &sideNames()
{
    static const QStringList names = {QStringLiteral("Top"), QStringLiteral("Bottom"),
                                      QStringLiteral("Left"), QStringLiteral("Right")};
    return names;
}

QStringList applyMargins(QPrinter &printer, const MarginsMm &margins)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    const QPageLayout layout = printer.pageLayout();
    const QSizeF page = layout.fullRectPoints().size();
    const QMarginsF least = layout.minimumMargins(); // points
    std::array<double, 4> wanted{};
    for (int i = 0; i < 4; ++i)
        wanted[i] = margins[i] * PointsPerMillimetre;
    const std::array<double, 4> minimum = {least.top(), least.bottom(), least.left(),
                                           least.right()};
    // Opposite margins share what the chart leaves of the page's height or width.
    const std::array<double, 2> room = {page.height() * (1 - MinimumChartShare),
                                        page.width() * (1 - MinimumChartShare)};
    std::array<double, 4> used = wanted;
    for (int i = 0; i < 4; ++i)
        used[i] = std::clamp(std::isfinite(wanted[i]) ? wanted[i] : 0.0, minimum[i],
                             std::max(minimum[i], room[i / 2] - minimum[i ^ 1]));
    for (int pair = 0; pair < 2; ++pair) {
        const int a = 2 * pair;
        const int b = a + 1;
        const double over = used[a] + used[b] - room[pair];
        if (over <= 0)
            continue;
        // A margin already brought in gives way to its valid opposite; two valid ones that
        // together leave no room give back in proportion. None goes below its minimum.
        const bool aChanged = used[a] != wanted[a];
        const bool bChanged = used[b] != wanted[b];
        if (aChanged != bChanged) {
            const int give = aChanged ? a : b;
            used[give] = std::max(minimum[give], used[give] - over);
        } else {
            const double total = used[a] + used[b];
            used[a] = std::max(minimum[a], used[a] - over * used[a] / total);
            used[b] = std::max(minimum[b], used[b] - over * used[b] / total);
        }
    }
    printer.setPageMargins(QMarginsF(used[2], used[0], used[3], used[1]), QPageLayout::Point);
    QStringList adjusted;
    for (int i = 0; i < 4; ++i) {
        if (std::abs(used[i] - wanted[i]) > 0.01)
            adjusted.append(sideNames().at(i));
    }
    return adjusted;
}

bool print(TrendChart &chart, QPrinter &printer, const MarginsMm &margins, QStringList *adjusted)
{
    const QStringList changed = applyMargins(printer, margins);
    if (adjusted)
        *adjusted = changed;
    return chart.print(printer);
}

} // namespace PrintPage
