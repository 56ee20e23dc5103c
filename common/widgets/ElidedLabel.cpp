#include "ElidedLabel.h"

#include <QMouseEvent>

namespace {

/// Room a label asks for beyond its text: margins and the frame of a style sheet.
constexpr int Padding = 8;
/// The least a label keeps: a short word and its ellipsis.
constexpr int MinimumChars = 6;

} // namespace

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setMargin(4);
}

void ElidedLabel::setFullText(const QString &text, const QString &clickTip)
{
    m_fullText = text;
    setToolTip(clickTip.isEmpty() ? text : text + QLatin1Char('\n') + clickTip);
    fit();
    updateGeometry();
}

QString ElidedLabel::elidedAtWord(const QString &text, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis = QStringLiteral("…");
    QStringList words = text.split(QLatin1Char(' '));
    while (words.size() > 1) {
        words.removeLast();
        const QString shorter = words.join(QLatin1Char(' ')) + ellipsis;
        if (metrics.horizontalAdvance(shorter) <= width)
            return shorter;
    }
    return ellipsis;
}

void ElidedLabel::fit()
{
    ensurePolished(); // a style sheet's font is the one measured
    const int room = contentsRect().width() - 2 * margin();
    setText(elidedAtWord(m_fullText, fontMetrics(), std::max(room, 0)));
}

QSize ElidedLabel::sizeHint() const
{
    const int full = fontMetrics().horizontalAdvance(m_fullText) + 2 * margin() + Padding;
    return {std::min(full, maximumWidth()), QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * MinimumChars + 2 * margin() + Padding,
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    fit();
}

void ElidedLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
