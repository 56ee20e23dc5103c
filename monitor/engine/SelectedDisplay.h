#pragma once

#include <QString>
#include <array>

/// What the main window shows of the selected controller, as the status decoder last wrote it.
/// Each value keeps its text until the next status block of the selected device.
struct SelectedDisplay
{
    /// "℃" or "℉": the three unit labels; the chart's value axis reads "온도(" + unit + ")".
    QString unit;
    /// Control and auxiliary temperature.
    std::array<QString, 2> pv;
    QString sv;
    /// SV, control and auxiliary temperature as numbers, for the live chart.
    std::array<double, 3> trendValues{};
    QString restTime;
    QString memoryNo;
    /// Heating and cooling output in percent.
    std::array<QString, 2> output;
    /// R- and S-phase current.
    std::array<QString, 2> ampere;
    /// Command button i is red (true) or light grey (false). Button 5 has no status bit.
    std::array<bool, 8> commandLit{};
    /// The nine lamps, LED1 bits 5 to 13.
    std::array<bool, 9> lampLit{};
};
