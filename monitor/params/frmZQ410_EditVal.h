#pragma once

#include "RegisterMap.h"

#include <QDialog>

class PollingEngine;
class QLabel;
class QLineEdit;
class QPushButton;

/// The value dialog: shows a field's current text ("기존값") and writes the entered one
/// ("변경값") to its register (EditRegister, from the register map) through the engine. The
/// opener gives the caption, the current text, the field and, for the overview, the controller
/// (0: the selected one).
class frmZQ410_EditVal : public QDialog
{
    Q_OBJECT

public:
    frmZQ410_EditVal(PollingEngine &engine, const QString &caption, const QString &oldText,
                     DeviceTable::Field field, int deviceNo = 0, QWidget *parent = nullptr);

private:
    void confirm();

    PollingEngine &m_engine;
    /// Empty for a field no window may write: then nothing is written.
    std::optional<Register> EditRegister;
    int m_deviceNo;
    QLabel *lblOldVal = nullptr;
    QLineEdit *txtEditVal = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
