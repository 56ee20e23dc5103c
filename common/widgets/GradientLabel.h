#pragma once

#include <QColor>
#include <QLabel>

class QMouseEvent;

/// A label on a two-colour background running from top to bottom: the window titles and the
/// value displays of the monitor.
class GradientLabel : public QLabel
{
    Q_OBJECT

public:
    explicit GradientLabel(const QString &text = QString(), QWidget *parent = nullptr);

    void setColors(const QColor &top, const QColor &bottom);
    /// The gradient runs from left to right instead of from top to bottom.
    void setHorizontal(bool horizontal);
    void setTextColor(const QColor &color);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_top{255, 255, 255};
    QColor m_bottom{192, 192, 255};
    bool m_horizontal = false;
};
