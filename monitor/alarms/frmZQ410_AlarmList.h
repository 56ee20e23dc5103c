#pragma once

#include <QDialog>

class AlarmEngine;
class QPushButton;
class QTableWidget;

/// The window "경보 목록": the alarms that are not normal with their times (newest first),
/// acknowledged one by one or all at once, and today's journal below. It follows the alarm
/// engine while it is open.
class frmZQ410_AlarmList : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_AlarmList(AlarmEngine &alarms, QWidget *parent = nullptr);

private:
    void build();
    void showAlarms();
    void showJournal();
    void acknowledgeSelected();

    AlarmEngine &m_alarms;
    QTableWidget *tblActive = nullptr;
    QTableWidget *tblJournal = nullptr;
    QPushButton *btnAck = nullptr;
    QPushButton *btnAckAll = nullptr;
    QPushButton *btnClose = nullptr;
};
