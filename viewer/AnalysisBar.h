#pragma once

#include <QWidget>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TrendChart;

/// The chart's analysis controls, standing in the chart's legend row: "통계" shows the table of
/// the range's figures, the box beside it takes the limit the time above and below is counted
/// against (empty: none), "A~B Excel" exports the records between the cursors (enabled while
/// both are set) and "비교 끝" ends a comparison (shown while one is drawn).
class AnalysisBar : public QWidget
{
    Q_OBJECT

public:
    AnalysisBar(TrendChart *chart, QWidget *parent);

    /// Shows or hides "비교 끝" as a comparison starts or ends.
    void showComparing(bool on);

    QCheckBox *statisticsBox() const { return chbStatistics; }
    QLineEdit *limitBox() const { return txtLimit; }
    QPushButton *rangeExportButton() const { return btnRangeExport; }
    QPushButton *endCompareButton() const { return btnEndCompare; }

signals:
    /// The operator asked for the records [first, last) in a workbook.
    void rangeExportRequested(qsizetype first, qsizetype last);
    /// The operator ended the comparison.
    void endCompareRequested();

private:
    void applyLimit();
    void followCursors();
    void fit();

    TrendChart *m_chart;
    QCheckBox *chbStatistics = nullptr;
    QLineEdit *txtLimit = nullptr;
    QPushButton *btnRangeExport = nullptr;
    QPushButton *btnEndCompare = nullptr;
};
