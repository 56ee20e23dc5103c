#include "frmZQ410_SetMulti.h"

#include "MonitorSettings.h"
#include "Notice.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int DeviceCount = 99;

} // namespace

frmZQ410_SetMulti::frmZQ410_SetMulti(MonitorSettings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setWindowTitle(QStringLiteral("멀티 설정"));
    sprdList = new QTableWidget(DeviceCount, 2, this);
    sprdList->setObjectName(QStringLiteral("sprdList"));
    sprdList->setHorizontalHeaderLabels({QStringLiteral("사용 여부"), QStringLiteral("채널 명칭")});
    sprdList->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    sprdList->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    sprdList->setMinimumSize(300, 480);
    // The rows as designed ("X", no name), then the file's lines over them.
    const QList<DeviceListRow> rows = m_settings.files().LoadDeviceListRows();
    for (int n = 0; n < DeviceCount; ++n) {
        const DeviceListRow row = rows.value(n);
        auto *mark = new QTableWidgetItem(row.mark);
        mark->setTextAlignment(Qt::AlignCenter);
        sprdList->setItem(n, 0, mark);
        sprdList->setItem(n, 1, new QTableWidgetItem(row.name));
    }
    btnOK = new QPushButton(QStringLiteral("확인[&O]"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("취소[&C]"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter in the grid confirms a cell, never the whole list: no default button.
    for (QPushButton *button : {btnOK, btnCancel})
        button->setAutoDefault(false);
    connect(btnOK, &QPushButton::clicked, this, &frmZQ410_SetMulti::confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sprdList);
    layout->addLayout(buttons);
}

/// At least one "O" (exactly that letter) or nothing is saved; then the 99 lines are saved and
/// the list applied.
void frmZQ410_SetMulti::confirm()
{
    QList<DeviceListRow> rows;
    for (int n = 0; n < DeviceCount; ++n)
        rows.append({sprdList->item(n, 0)->text(), sprdList->item(n, 1)->text()});
    if (std::none_of(rows.begin(), rows.end(), [](const DeviceListRow &r) { return r.inUse(); })) {
        Notice::show(this, QStringLiteral("사용 여부에 최소 하나는 O 를 선택해야만 합니다."));
        return;
    }
    if (!m_settings.applyDeviceList(rows))
        Notice::show(this, SettingsFiles::notSavedMessage(QStringLiteral("멀티 설정"),
                                                          m_settings.files().setMultiPath()));
    accept();
}
