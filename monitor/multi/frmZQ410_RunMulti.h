#pragma once

#include <QDialog>

class AlarmEngine;
class OverviewModel;
class PollingEngine;
class QModelIndex;
class QPushButton;
class QTableView;

/// The overview "멀티운전": every controller of the device list in one grid, a view of the
/// engine's device table. Each row's buttons and memory number act on that row's controller.
class frmZQ410_RunMulti : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_RunMulti(PollingEngine &engine, QWidget *parent = nullptr);
    /// Marks the controllers with alarms (their control temperature in red).
    void showAlarms(const AlarmEngine &alarms);

private:
    void buildGrid();
    void onCellClicked(const QModelIndex &index);

    PollingEngine &m_engine;
    OverviewModel *m_model = nullptr;
    QTableView *sprdMulti = nullptr;
    QPushButton *btnClose = nullptr;
};
