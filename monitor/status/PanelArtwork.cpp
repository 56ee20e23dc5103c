#include "PanelArtwork.h"

#include <QPainter>

PanelArtwork::PanelArtwork(QWidget *parent)
    : QWidget(parent), m_renderer(QStringLiteral(":/status/panel.svg"))
{}

void PanelArtwork::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QSizeF size = m_renderer.defaultSize();
    size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                        size.height());
    m_renderer.render(&painter, target);
}
