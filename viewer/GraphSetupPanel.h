#pragma once

#include <QGroupBox>
#include <array>

class GradientLabel;
class PrintMarginPanel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;
class TrendChart;
class ViewerSettings;

/// "Graph Setup": the chart's options (3-D, scroll bar, zoom), the series' colours and
/// visibility (kept in ChartColor.CFG and UseItem.CFG), the border and its colour, the line
/// width, the Y axis switch, the chart's title, and the print margins. Each control acts on the
/// chart at once.
class GraphSetupPanel : public QGroupBox
{
    Q_OBJECT

public:
    GraphSetupPanel(TrendChart &chart, ViewerSettings &settings, QWidget *parent);

    /// The stored colours (or the chart's own when none are stored), the border colour, the
    /// margins and the series' visibility, as a start shows them.
    void startUp();
    PrintMarginPanel &margins() { return *m_margins; }

signals:
    /// "Y축 수정" was switched: the range boxes show or hide.
    void yAxisEditToggled(bool on);
    /// A setting could not be stored: it applies to this run only.
    void notSaved(const QString &what, const QString &path);

private:
    void buildGraphFrame();
    void buildUseItems();
    void buildBorderAndThickness();
    void connectToChart();
    void setCellColor(int series, const QColor &color);
    QColor cellColor(int series) const;
    void chooseSeriesColor(int column);
    void onUseItemChanged(int column);
    void applyVisibility(const std::array<bool, 3> &shown);
    void chooseBorderColor();
    void showBorderColor();

    TrendChart &m_chart;
    ViewerSettings &m_settings;
    QCheckBox *chb3D = nullptr;
    QCheckBox *chbScroll = nullptr;
    QCheckBox *chbZoom = nullptr;
    QTableWidget *sprdColor_Graph = nullptr;
    QTableWidget *sprdUseItem = nullptr;
    QCheckBox *chbBorder = nullptr;
    GradientLabel *lblColor_Border = nullptr;
    QComboBox *cmbThick = nullptr;
    QCheckBox *chbYaxis = nullptr;
    QLineEdit *txtG_Title = nullptr;
    PrintMarginPanel *m_margins = nullptr;
};
