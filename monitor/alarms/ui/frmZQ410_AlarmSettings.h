#pragma once

#include "AlarmSettings.h"

#include <QDialog>
#include <optional>

class AlarmEngine;
class PollingEngine;
class QCheckBox;
class QPushButton;
class QTableWidget;

/// The window "경보 설정": per controller in use its high, low and deviation limits (empty: off),
/// deadband and on-delay, and the alarm sound. "기기 경보값 가져오기" reads the selected
/// controller's own alarm values (registers 304, 305, 306) into its limits. 확인 checks every
/// cell and has the alarm engine store and take them; a bad cell is named with its controller
/// and key, and nothing is stored.
class frmZQ410_AlarmSettings : public QDialog
{
    Q_OBJECT

public:
    frmZQ410_AlarmSettings(AlarmEngine &alarms, PollingEngine &engine, QWidget *parent = nullptr);

    /// The settings the cells hold, or why they cannot be taken (controller and key named).
    std::optional<AlarmSettings> settings(QString *problem) const;

private:
    enum Column {
        DeviceColumn,
        NameColumn,
        HighColumn,
        LowColumn,
        DeviationColumn,
        DeadbandColumn,
        OnDelayColumn,
        ColumnCount
    };

    void build();
    void showSettings(const AlarmSettings &settings);
    void readFromController();
    void fillFromController(int row);
    void confirm();

    AlarmEngine &m_alarms;
    PollingEngine &m_engine;
    /// The table row waiting for its controller's parameter block; -1: none.
    int m_waitingRow = -1;
    QCheckBox *chkSound = nullptr;
    QTableWidget *tblLimits = nullptr;
    QPushButton *btnFromController = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
