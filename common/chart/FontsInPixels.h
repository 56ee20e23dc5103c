#pragma once

#include <QFont>
#include <functional>
#include <utility>
#include <vector>

class QCPTextElement;
class QCustomPlot;

/// While it lives, every font of the plot is sized in pixels of the given resolution instead of
/// points, so a scaled painter scales the text with the rest of the chart.
class FontsInPixels
{
public:
    /// Every font of the plot, its legend's items, its text items and the title (may be null).
    FontsInPixels(QCustomPlot &plot, QCPTextElement *title, int dpi);
    ~FontsInPixels();
    FontsInPixels(const FontsInPixels &) = delete;
    FontsInPixels &operator=(const FontsInPixels &) = delete;

private:
    void keep(const std::function<QFont()> &get, const std::function<void(const QFont &)> &set,
              int dpi);

    std::vector<std::pair<std::function<void(const QFont &)>, QFont>> m_saved;
};
