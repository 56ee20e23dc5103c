#include "CommIndicator.h"

#include <QPainter>

namespace {

constexpr int Diameter = 49;

} // namespace

CommIndicator::CommIndicator(QWidget *parent) : QWidget(parent)
{
    setFixedSize(129, 65);
}

void CommIndicator::setSendLit(bool lit)
{
    m_send = lit;
    update();
}

void CommIndicator::setReceiveLit(bool lit)
{
    m_receive = lit;
    update();
}

void CommIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const struct
    {
        int x;
        QColor colour;
        QString caption;
    } circles[] = {{8, m_send ? QColor(255, 0, 0) : Qt::black, QStringLiteral("송신")},
                   {72, m_receive ? QColor(0, 255, 0) : Qt::black, QStringLiteral("수신")}};
    for (const auto &circle : circles) {
        painter.setBrush(circle.colour);
        painter.setPen(Qt::gray);
        painter.drawEllipse(circle.x, 0, Diameter, Diameter);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(circle.x, Diameter, Diameter, height() - Diameter), Qt::AlignCenter,
                         circle.caption);
    }
}
