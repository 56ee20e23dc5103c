#include "FontsInPixels.h"

#include <cmath>
#include <qcustomplot.h>

FontsInPixels::FontsInPixels(QCustomPlot &plot, QCPTextElement *title, int dpi)
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
        keep([item] { return item->font(); }, [item](const QFont &f) { item->setFont(f); }, dpi);
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

FontsInPixels::~FontsInPixels()
{
    for (const auto &[restore, font] : m_saved)
        restore(font);
}

void FontsInPixels::keep(const std::function<QFont()> &get,
                         const std::function<void(const QFont &)> &set, int dpi)
{
    const QFont font = get();
    m_saved.push_back({set, font});
    if (font.pointSizeF() <= 0)
        return;
    QFont scaled = font;
    scaled.setPixelSize(std::max(1, int(std::lround(font.pointSizeF() * dpi / 72.0))));
    set(scaled);
}
