#include "Lamp.h"

#include <QPainter>

Lamp::Lamp(QWidget *parent) : QWidget(parent)
{
    setFixedSize(17, 17);
}

void Lamp::setLit(bool lit)
{
    if (m_lit == lit)
        return;
    m_lit = lit;
    update();
}

void Lamp::setStale(bool stale)
{
    if (m_stale == stale)
        return;
    m_stale = stale;
    update();
}

void Lamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_lit)
        painter.fillRect(rect(), m_stale ? QColor(150, 150, 150) : QColor(255, 0, 0));
    painter.setPen(QColor(192, 192, 255));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
