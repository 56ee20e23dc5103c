#pragma once

#include <QObject>

class NumberEdit;
class QLabel;
class QWidget;
class TrendChart;

/// "min ~ max" of the value axis ("txtYMin", "lblYRange", "txtYMax"), shown while "Y축 수정" is
/// checked, in the chart's legend row left of the legend. Each box sets its end of the axis; the
/// other end stays as it is. The boxes open on the range in force and follow it, except one the
/// operator is typing in; hiding them hands the axis back to the data.
class YRangeBoxes : public QObject
{
    Q_OBJECT

public:
    YRangeBoxes(TrendChart &chart, QWidget *parent);

    void setShown(bool on);
    bool isShown() const;
    /// The x just right of the boxes.
    int right() const;

private:
    void show(double min, double max);
    void commit(NumberEdit *box);

    TrendChart &m_chart;
    NumberEdit *txtYMin = nullptr;
    QLabel *lblYRange = nullptr;
    NumberEdit *txtYMax = nullptr;
};
