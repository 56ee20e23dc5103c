#pragma once

#include <QColor>
#include <QWidget>

/// A square lamp with a light-blue outline, filled red while lit.
class Lamp : public QWidget
{
    Q_OBJECT

public:
    explicit Lamp(QWidget *parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_lit = false;
};
