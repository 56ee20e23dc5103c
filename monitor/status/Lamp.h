#pragma once

#include <QColor>
#include <QWidget>

/// A square lamp with a light-blue outline, filled red while lit; grey while lit but stale (the
/// controller no longer answers, so the light may no longer be true).
class Lamp : public QWidget
{
    Q_OBJECT

public:
    explicit Lamp(QWidget *parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);
    void setStale(bool stale);
    bool isStale() const { return m_stale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_lit = false;
    bool m_stale = false;
};
