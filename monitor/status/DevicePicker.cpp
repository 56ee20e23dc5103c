#include "DevicePicker.h"

#include "DevicePickerModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace {

constexpr int DeviceNumberPointSize = 16;

} // namespace

DevicePicker::DevicePicker(const DeviceTable &table, AlarmEngine &alarms, QWidget *parent)
    : QGroupBox(QStringLiteral("편집 기기번호"), parent)
{
    lblMC_No = new QLabel(this);
    lblMC_No->setObjectName(QStringLiteral("lblMC_No"));
    lblMC_No->setGeometry(8, 20, 113, 33);
    lblMC_No->setAlignment(Qt::AlignCenter);
    lblMC_No->setToolTip(QStringLiteral("기기번호 선택"));
    // Font and colour by palette: a style sheet would also dress the label's tooltip.
    QFont numberFont = lblMC_No->font();
    numberFont.setPointSize(DeviceNumberPointSize);
    numberFont.setBold(true);
    lblMC_No->setFont(numberFont);
    QPalette numberPalette = lblMC_No->palette();
    numberPalette.setColor(QPalette::WindowText, Qt::red);
    lblMC_No->setPalette(numberPalette);

    sprdStatus = new QTableView(this);
    sprdStatus->setObjectName(QStringLiteral("sprdStatus"));
    auto *model = new DevicePickerModel(table, sprdStatus);
    model->showAlarms(alarms);
    sprdStatus->setModel(model);
    sprdStatus->setGeometry(4, 58, 121, 313);
    sprdStatus->verticalHeader()->hide();
    sprdStatus->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdStatus->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprdStatus->setSelectionMode(QAbstractItemView::NoSelection);
    connect(sprdStatus, &QTableView::clicked, this,
            [this](const QModelIndex &index) { emit rowClicked(index.row()); });
}

void DevicePicker::showDevice(int deviceNo)
{
    lblMC_No->setText(QString::number(deviceNo));
}
