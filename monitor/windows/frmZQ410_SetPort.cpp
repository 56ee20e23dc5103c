#include "frmZQ410_SetPort.h"
#include "ui_frmZQ410_SetPort.h"

#include "SerialLink.h"

#include <QLineEdit>
#include <QSerialPortInfo>

frmZQ410_SetPort::frmZQ410_SetPort(const PortSettings &current, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmZQ410_SetPort>())
{
    ui->setupUi(this);
    fillLists();
    ui->cmbPort->setCurrentText(current.PortName);
    ui->cmbBaud->setCurrentText(current.BaudRate);
    ui->cmbParity->setCurrentText(current.ParityBit);
    ui->cmbData->setCurrentText(current.DataBit);
    ui->cmbStop->setCurrentText(current.StopBit);
    ui->cmbProtocol->setCurrentText(current.Protocol);
    if (!current.PortName.isEmpty())
        runPortTest(current.PortName);
    connect(ui->cmbPort, &QComboBox::activated, this,
            [this](int index) { runPortTest(ui->cmbPort->itemText(index)); });
    // A message about another port must not stand beside a newly typed one; a typed port is
    // tested once the operator has finished typing it.
    connect(ui->cmbPort, &QComboBox::editTextChanged, ui->lblMsg, &QLabel::clear);
    connect(ui->cmbPort->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { runPortTest(ui->cmbPort->currentText()); });
    connect(ui->btnOK, &QPushButton::clicked, this, &frmZQ410_SetPort::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &frmZQ410_SetPort::reject);
}

frmZQ410_SetPort::~frmZQ410_SetPort() = default;

/// COM1 to COM16, then the serial ports the system reports.
void frmZQ410_SetPort::fillLists()
{
    for (int n = 1; n <= 16; ++n)
        ui->cmbPort->addItem(QStringLiteral("COM%1").arg(n));
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ui->cmbPort->addItem(info.systemLocation());
    ui->cmbBaud->addItems({"9600", "4800", "2400", "1200"});
    ui->cmbParity->addItems({"N", "E", "O"});
    ui->cmbData->addItems({"7", "8"});
    ui->cmbStop->addItems({"1", "2"});
    ui->cmbProtocol->addItems({"STD", "SUM"});
}

PortSettings frmZQ410_SetPort::settings() const
{
    return PortSettings{ui->cmbPort->currentText(),   ui->cmbBaud->currentText(),
                        ui->cmbParity->currentText(), ui->cmbData->currentText(),
                        ui->cmbStop->currentText(),   ui->cmbProtocol->currentText()};
}

QString frmZQ410_SetPort::testPort(const QString &portText, QString *holder)
{
    SerialLink probe;
    const LinkOpenResult result = probe.open({portText, QStringLiteral("9600"), QStringLiteral("N"),
                                              QStringLiteral("8"), QStringLiteral("1")});
    probe.close();
    switch (result.failure) {
    case LinkOpenResult::Failure::NotFound:
        return result.description;
    case LinkOpenResult::Failure::InUse:
        // The window's line is short; who holds the port is in its tool tip.
        if (holder)
            *holder = result.description;
        return QStringLiteral("포트가 이미 사용 중입니다.");
    case LinkOpenResult::Failure::None:
    case LinkOpenResult::Failure::Other:
        break;
    }
    return {};
}

void frmZQ410_SetPort::runPortTest(const QString &portText)
{
    QString holder;
    ui->lblMsg->setText(testPort(portText, &holder));
    ui->lblMsg->setToolTip(holder);
}
