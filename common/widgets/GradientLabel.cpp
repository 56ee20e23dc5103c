#include "GradientLabel.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

GradientLabel::GradientLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setAutoFillBackground(false);
}

void GradientLabel::setColors(const QColor &top, const QColor &bottom)
{
    m_top = top;
    m_bottom = bottom;
    update();
}

void GradientLabel::setHorizontal(bool horizontal)
{
    m_horizontal = horizontal;
    update();
}

void GradientLabel::setTextColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void GradientLabel::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, m_horizontal ? width() : 0, m_horizontal ? 0 : height());
        gradient.setColorAt(0, m_top);
        gradient.setColorAt(1, m_bottom);
        painter.fillRect(rect(), gradient);
    }
    QLabel::paintEvent(event);
}

void GradientLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
