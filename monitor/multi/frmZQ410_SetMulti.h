#pragma once

#include <QDialog>

class MonitorSettings;
class QPushButton;
class QTableWidget;

/// The device list "멀티 설정": 99 rows, one per device number, with the in-use mark ("O") and a
/// channel name. OK saves SetMulti.INI and applies the list to the running monitor at once.
class frmZQ410_SetMulti : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_SetMulti(MonitorSettings &settings, QWidget *parent = nullptr);

private:
    void confirm();

    MonitorSettings &m_settings;
    QTableWidget *sprdList = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
