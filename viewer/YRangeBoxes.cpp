#include "YRangeBoxes.h"

#include "NumberEdit.h"
#include "NumberText.h"
#include "TrendChart.h"

#include <QLabel>

YRangeBoxes::YRangeBoxes(TrendChart &chart, QWidget *parent) : QObject(parent), m_chart(chart)
{
    txtYMin = new NumberEdit(parent);
    txtYMin->setObjectName(QStringLiteral("txtYMin"));
    txtYMin->setGeometry(12, 186, 56, 22);
    txtYMin->setToolTip(QStringLiteral("Y축 최소값"));
    lblYRange = new QLabel(QStringLiteral("~"), parent);
    lblYRange->setObjectName(QStringLiteral("lblYRange"));
    lblYRange->setGeometry(70, 186, 12, 22);
    lblYRange->setAlignment(Qt::AlignCenter);
    txtYMax = new NumberEdit(parent);
    txtYMax->setObjectName(QStringLiteral("txtYMax"));
    txtYMax->setGeometry(84, 186, 56, 22);
    txtYMax->setToolTip(QStringLiteral("Y축 최대값"));
    for (QWidget *w : std::initializer_list<QWidget *>{txtYMin, lblYRange, txtYMax})
        w->hide();
    connect(&chart, &TrendChart::valueRangeChanged, this, &YRangeBoxes::show);
    connect(txtYMax, &QLineEdit::editingFinished, this, [this] { commit(txtYMax); });
    connect(txtYMin, &QLineEdit::editingFinished, this, [this] { commit(txtYMin); });
}

void YRangeBoxes::setShown(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{txtYMin, lblYRange, txtYMax})
        w->setVisible(on);
    if (on)
        show(m_chart.yMin(), m_chart.yMax());
    else
        m_chart.setYAutomatic();
}

bool YRangeBoxes::isShown() const
{
    return !txtYMax->isHidden();
}

int YRangeBoxes::right() const
{
    return txtYMax->geometry().right();
}

void YRangeBoxes::show(double min, double max)
{
    const auto text = [](double v) {
        return QString::number(v, 'g', 6);
    };
    if (!txtYMin->hasFocus())
        txtYMin->setText(text(min));
    if (!txtYMax->hasFocus())
        txtYMax->setText(text(max));
}

void YRangeBoxes::commit(NumberEdit *box)
{
    const double value = NumberText::leadingNumber(box->text());
    if (box == txtYMax)
        m_chart.setYRange(m_chart.yMin(), value);
    else
        m_chart.setYRange(value, m_chart.yMax());
}
