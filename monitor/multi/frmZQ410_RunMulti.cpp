#include "frmZQ410_RunMulti.h"

#include "CommandButtonDelegate.h"
#include "Notice.h"
#include "OverviewModel.h"
#include "PollingEngine.h"
#include "RegisterMap.h"
#include "ScreenFit.h"
#include "TwoRowHeader.h"
#include "frmZQ410_EditVal.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

frmZQ410_RunMulti::frmZQ410_RunMulti(PollingEngine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine)
{
    setWindowTitle(QStringLiteral("멀티운전"));
    buildGrid();
    btnClose = new QPushButton(QStringLiteral("닫기[&C]"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setMinimumWidth(100);
    btnClose->setAutoDefault(false);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(sprdMulti, 1);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    // Wide enough for every column without scrolling; tall enough for up to 20 rows.
    const int gridWidth = sprdMulti->verticalHeader()->width() +
                          sprdMulti->horizontalHeader()->length() + 2 * sprdMulti->frameWidth() +
                          sprdMulti->verticalScrollBar()->sizeHint().width();
    ScreenFit::resizeWithin(*this, QSize(gridWidth + layout->contentsMargins().left() +
                                             layout->contentsMargins().right(),
                                         std::min(720, 140 + 28 * m_model->rowCount())));

    connect(&m_engine, &PollingEngine::requestFailed, this, [this](const RequestFailure &failure) {
        if (failure.requester == this)
            Notice::post(this, failure.text());
    });
}

/// One row per controller, empty until its first status block.
void frmZQ410_RunMulti::showAlarms(const AlarmEngine &alarms)
{
    m_model->showAlarms(alarms);
}

void frmZQ410_RunMulti::buildGrid()
{
    m_model = new OverviewModel(m_engine.table(), this);
    sprdMulti = new QTableView(this);
    sprdMulti->setObjectName(QStringLiteral("sprdMulti"));
    sprdMulti->setModel(m_model);
    using M = OverviewModel;
    auto *header =
        new TwoRowHeader({{M::PvColumn, M::AuxColumn, QStringLiteral("PV")},
                          {M::FirstButtonColumn, M::LastButtonColumn, QStringLiteral("CONTROL")},
                          {M::RestTimeColumn, M::RestTimeColumn, QStringLiteral("TIMER")}},
                         sprdMulti);
    header->install(*sprdMulti, QStringLiteral("기기번호"));
    auto *buttons = new CommandButtonDelegate(sprdMulti);
    for (int column = OverviewModel::FirstButtonColumn; column <= OverviewModel::LastButtonColumn;
         ++column)
        sprdMulti->setItemDelegateForColumn(column, buttons);
    sprdMulti->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprdMulti->setSelectionMode(QAbstractItemView::NoSelection);
    sprdMulti->setFocusPolicy(Qt::NoFocus);
    sprdMulti->verticalHeader()->setDefaultSectionSize(28);
    // Room for the corner's "기기번호" over the device numbers.
    sprdMulti->verticalHeader()->setMinimumWidth(
        sprdMulti->fontMetrics().horizontalAdvance(QStringLiteral("기기번호")) + 16);
    header->setMinimumSectionSize(56);
    for (int column = 0; column < OverviewModel::ColumnCount; ++column) {
        const bool button = OverviewModel::isButton(column);
        header->setSectionResizeMode(column,
                                     button ? QHeaderView::Fixed : QHeaderView::ResizeToContents);
        if (button)
            sprdMulti->setColumnWidth(column, 64);
    }
    connect(sprdMulti, &QTableView::clicked, this, &frmZQ410_RunMulti::onCellClicked);
}

/// A button sends its command to the controller of its row, the memory cell opens the value
/// dialog for it; the main window's selection stays. Controllers not connected take neither.
void frmZQ410_RunMulti::onCellClicked(const QModelIndex &index)
{
    const DeviceTable &table = m_engine.table();
    const int row = index.row();
    if (!index.isValid() || row >= table.rowCount() || !table.connected(row))
        return;
    const int deviceNo = table.deviceNo(row);
    if (OverviewModel::isButton(index.column())) {
        const auto command = Command(index.column() - OverviewModel::FirstButtonColumn);
        m_engine.writeRegister(RegisterMap::commandRegister(command), 1, deviceNo, this);
    } else if (index.column() == OverviewModel::MemoryColumn) {
        using F = DeviceTable::Field;
        frmZQ410_EditVal dialog(m_engine, QStringLiteral("MEMORY"), table.field(row, F::MemoryNo),
                                F::MemoryNo, deviceNo, this);
        dialog.exec();
    }
}
