#pragma once

#include <QGroupBox>

class AlarmEngine;
class DeviceTable;
class QLabel;
class QTableView;

/// The main window's "편집 기기번호" box: the selected controller's number in large red figures
/// above the device list with each controller's link state and alarm; a click on a row asks to
/// select that controller.
class DevicePicker : public QGroupBox
{
    Q_OBJECT

public:
    DevicePicker(const DeviceTable &table, AlarmEngine &alarms, QWidget *parent);

    void showDevice(int deviceNo);

signals:
    void rowClicked(int row);

private:
    QLabel *lblMC_No = nullptr;
    QTableView *sprdStatus = nullptr;
};
