#include "frmZQ410_EditVal.h"

#include "Notice.h"
#include "PollingEngine.h"
#include "RegisterEntry.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmZQ410_EditVal::frmZQ410_EditVal(PollingEngine &engine, const QString &caption,
                                   const QString &oldText, DeviceTable::Field field, int deviceNo,
                                   QWidget *parent)
    : QDialog(parent), m_engine(engine), EditRegister(RegisterMap::writable(field)),
      m_deviceNo(deviceNo)
{
    setWindowTitle(caption);
    lblOldVal = new QLabel(oldText, this);
    lblOldVal->setObjectName(QStringLiteral("lblOldVal"));
    lblOldVal->setFrameShape(QFrame::Panel);
    lblOldVal->setFrameShadow(QFrame::Sunken);
    lblOldVal->setMinimumWidth(120);
    txtEditVal = new QLineEdit(this);
    txtEditVal->setObjectName(QStringLiteral("txtEditVal"));
    btnOK = new QPushButton(QStringLiteral("확인[&O]"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("취소[&C]"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &frmZQ410_EditVal::confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("기존값"), this), 0, 0);
    grid->addWidget(lblOldVal, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("변경값"), this), 1, 0);
    grid->addWidget(txtEditVal, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    txtEditVal->setFocus();
}

void frmZQ410_EditVal::confirm()
{
    if (txtEditVal->text().isEmpty()) {
        Notice::show(this, QStringLiteral("변경값을 입력하시오."));
        return;
    }
    if (!EditRegister)
        return;
    const std::optional<int> value = RegisterEntry::convertOrWarn(
        this, txtEditVal->text(), EditRegister->conversion, m_engine.state().DecimalPlaces);
    if (!value)
        return;
    // The window that opened this dialog hears if the write does not go through.
    m_engine.writeRegister(EditRegister->address, *value, m_deviceNo, parentWidget());
    accept();
}
