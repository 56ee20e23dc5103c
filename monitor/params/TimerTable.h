#pragma once

#include <QTableWidget>

/// The parameter window's timer grid: the three timers' numbers, set values (a click on one
/// asks to change it) and descriptions. The descriptions are the operator's own, kept per
/// controller in the program folder (Timer.NNN) and saved as soon as one is edited.
class TimerTable : public QTableWidget
{
    Q_OBJECT

public:
    static constexpr int Timers = 3;

    TimerTable(const QString &programFolder, int deviceNo, QWidget *parent = nullptr);

    /// The set value of timer row (0-based) as the controller holds it.
    void showValue(int row, const QString &text);

signals:
    void valueClicked(int row);

private:
    void loadDescriptions();
    void saveDescriptions();

    QString m_programFolder;
    int m_deviceNo;
    /// Texts are being put in by the program, not typed: nothing is saved.
    bool m_filling = false;
};
