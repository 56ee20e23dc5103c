#pragma once

#include <QDialog>
#include <array>

class PollingEngine;
class QPushButton;
class QTableWidget;

/// The overview "멀티운전": every controller of the device list in one grid that follows the
/// polling. Each row's buttons and memory number act on that row's controller.
class frmZQ410_RunMulti : public QDialog
{
    Q_OBJECT

public:
    /// Grid columns (0-based) of the overview's columns 1 to 18.
    enum Column {
        LinkColumn = 0,
        PvColumn,
        AuxColumn,
        SvColumn,
        FirstButtonColumn,
        LastButtonColumn = FirstButtonColumn + 7,
        RestTimeColumn,
        HeatColumn,
        CoolColumn,
        CurrentRColumn,
        CurrentSColumn,
        MemoryColumn,
        ColumnCount
    };

    explicit frmZQ410_RunMulti(PollingEngine &engine, QWidget *parent = nullptr);

private:
    void buildGrid();
    void CopyToOverview(int row);
    void markTimeOut(int row);
    void onButtonClicked(int row, int button);
    void onCellClicked(int row, int column);
    bool connected(int row) const;

    PollingEngine &m_engine;
    QTableWidget *sprdMulti = nullptr;
    QPushButton *btnClose = nullptr;
};
