#pragma once

#include <QDialog>

class PollingEngine;
class QLabel;
class QLineEdit;
class QPushButton;

/// The value dialog: shows a register's current text ("기존값") and writes the entered one
/// ("변경값") to it through the engine. The opener gives the caption, the current text, the
/// register (EditRegister) and, for the overview, the controller (0: the selected one).
class frmZQ410_EditVal : public QDialog
{
    Q_OBJECT

public:
    frmZQ410_EditVal(PollingEngine &engine, const QString &caption, const QString &oldText,
                     int editRegister, int deviceNo = 0, QWidget *parent = nullptr);

private:
    void confirm();

    PollingEngine &m_engine;
    int EditRegister;
    int m_deviceNo;
    QLabel *lblOldVal = nullptr;
    QLineEdit *txtEditVal = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
