#pragma once

#include "SelectedDisplay.h"

#include <QDateTime>
#include <QPushButton>
#include <QWidget>
#include <array>

class GradientLabel;
class Lamp;
class NumberEdit;
class QCheckBox;
class QLabel;
class TrendChart;

/// The navy status panel picRun: the command buttons, the selected controller's values and
/// lamps, and the memory-number box. It shows; the main window acts on what it reports.
class StatusPanel : public QWidget
{
    Q_OBJECT

public:
    explicit StatusPanel(QWidget *parent = nullptr);

    void showDisplay(const SelectedDisplay &display);
    /// The values shown are no longer fresh (lastReading: when they were read; invalid when
    /// nothing was read): grey values and lamps and "통신 불량" with the time. False shows them
    /// as live again.
    void setStale(bool stale, const QDateTime &lastReading = {});
    bool isStale() const { return m_stale; }

    /// The live chart ChartFX1.
    TrendChart *chart() const { return ChartFX1; }
    /// The display period in seconds, as typed in txtDispTime.
    double displayPeriod() const;
    /// The colour of a swatch.
    QColor swatchColor(int series) const;
    void setSwatchColor(int series, const QColor &color);

signals:
    void commandClicked(int index);
    /// The operator changed the display period (seconds) or a series colour.
    void displayPeriodChanged(double seconds);
    void swatchColorChanged(int series, const QColor &color);
    /// The operator confirmed a memory number in txtMEM.
    void memoryNumberEntered(int number);

private:
    void buildCommandButtons();
    void buildValueDisplays();
    void buildSecondColumn();
    void buildLamps();
    void buildChartArea();
    void buildSwatches();
    void nameControls();
    void chooseSwatchColor(int series);

    void startMemoryEntry();
    void confirmMemoryEntry(const QString &newText);
    void setButtonLit(int index, bool lit);

    std::array<QPushButton *, 8> btnCMD{};
    GradientLabel *lblSV_Title = nullptr;
    GradientLabel *lblSV = nullptr;
    std::array<GradientLabel *, 2> lblTT{};
    std::array<GradientLabel *, 2> lblPV{};
    std::array<GradientLabel *, 3> lblUnit{};
    std::array<GradientLabel *, 2> lblOutput{};
    std::array<GradientLabel *, 2> lblAmpare{};
    GradientLabel *lblRestTime = nullptr;
    GradientLabel *lblMEM = nullptr;
    NumberEdit *txtMEM = nullptr;
    std::array<Lamp *, 9> shpLED1{};
    /// Colour swatches of the three chart series, in the corners of the value titles.
    std::array<QPushButton *, 3> picGcolor{};
    NumberEdit *txtDispTime = nullptr;
    QCheckBox *chbScroll = nullptr;
    QCheckBox *chb3D = nullptr;
    TrendChart *ChartFX1 = nullptr;
    QLabel *lblStale = nullptr;
    bool m_stale = false;
};
