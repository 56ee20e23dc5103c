#include "frmZQ410_RunMulti.h"

#include "GroupHeader.h"
#include "LinkColours.h"
#include "Notice.h"
#include "PollingEngine.h"
#include "RegisterMap.h"
#include "frmZQ410_EditVal.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using F = DeviceTable::Field;

/// The buttons in command order (RegisterMap's Command), each lit by its bit.
struct CommandButton
{
    const char *caption;
    /// STATUS bit, or -1 for LED1 bit 15.
    int statusBit;
};
const std::array<CommandButton, RegisterMap::CommandCount> Buttons = {{{"RUN", 0},
                                                                       {"AT", 1},
                                                                       {"PREH", 2},
                                                                       {"SUCTION", 3},
                                                                       {"COOL", 4},
                                                                       {"MOLD", 5},
                                                                       {"BUZZER", 8},
                                                                       {"TIMER", -1}}};
constexpr int TimerLedBit = 15;
const QColor Lit(255, 0, 0);
const QColor Unlit(224, 224, 224);
const QColor NotYet(192, 192, 192);

/// The text fields copied into the row, by grid column.
const std::array<std::pair<int, F>, 9> TextColumns = {{
    {frmZQ410_RunMulti::PvColumn, F::Pv},
    {frmZQ410_RunMulti::AuxColumn, F::Aux},
    {frmZQ410_RunMulti::SvColumn, F::Sv},
    {frmZQ410_RunMulti::RestTimeColumn, F::RestTime},
    {frmZQ410_RunMulti::HeatColumn, F::HeatOutput},
    {frmZQ410_RunMulti::CoolColumn, F::CoolOutput},
    {frmZQ410_RunMulti::CurrentRColumn, F::CurrentR},
    {frmZQ410_RunMulti::CurrentSColumn, F::CurrentS},
    {frmZQ410_RunMulti::MemoryColumn, F::MemoryNo},
}};

void paintButton(QPushButton *button, const QColor &colour)
{
    button->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid gray;").arg(colour.name()));
}

} // namespace

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
    layout->addWidget(
        new GroupHeader(*sprdMulti,
                        {{PvColumn, AuxColumn, QStringLiteral("PV")},
                         {FirstButtonColumn, LastButtonColumn, QStringLiteral("CONTROL")},
                         {RestTimeColumn, RestTimeColumn, QStringLiteral("TIMER")}},
                        QStringLiteral("기기번호"), this));
    layout->addWidget(sprdMulti, 1);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    // Wide enough for every column without scrolling; tall enough for up to 20 rows.
    const int gridWidth = sprdMulti->verticalHeader()->width() +
                          sprdMulti->horizontalHeader()->length() + 2 * sprdMulti->frameWidth() +
                          sprdMulti->verticalScrollBar()->sizeHint().width();
    resize(gridWidth + layout->contentsMargins().left() + layout->contentsMargins().right(),
           std::min(720, 140 + 28 * int(sprdMulti->rowCount())));

    connect(&m_engine, &PollingEngine::statusBlockDecoded, this,
            &frmZQ410_RunMulti::CopyToOverview);
    connect(&m_engine, &PollingEngine::replyTimedOut, this, &frmZQ410_RunMulti::markTimeOut);
    connect(&m_engine, &PollingEngine::requestFailed, this, [this](const RequestFailure &failure) {
        if (failure.requester == this)
            Notice::post(this, failure.text());
    });
}

/// One row per controller, empty until its next status block; the note of the memory column for
/// the controllers good at this moment.
void frmZQ410_RunMulti::buildGrid()
{
    const DeviceTable &table = m_engine.table();
    sprdMulti = new QTableWidget(table.rowCount(), ColumnCount, this);
    sprdMulti->setObjectName(QStringLiteral("sprdMulti"));
    sprdMulti->setHorizontalHeaderLabels(
        {QStringLiteral("통신상태"), QStringLiteral("제어온도"), QStringLiteral("보조온도"),
         QStringLiteral("SV"), QString(), QString(), QString(), QString(), QString(), QString(),
         QString(), QString(), QStringLiteral("잔여시간(분)"), QStringLiteral("가열출력값"),
         QStringLiteral("냉각출력값"), QStringLiteral("R상 전류값"), QStringLiteral("S상 전류값"),
         QStringLiteral("MEMORY")});
    sprdMulti->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprdMulti->setSelectionMode(QAbstractItemView::NoSelection);
    sprdMulti->setFocusPolicy(Qt::NoFocus);
    sprdMulti->verticalHeader()->setDefaultSectionSize(28);
    // Room for the corner's "기기번호" over the device numbers.
    sprdMulti->verticalHeader()->setMinimumWidth(
        sprdMulti->fontMetrics().horizontalAdvance(QStringLiteral("기기번호")) + 16);
    QFont bold = sprdMulti->font();
    bold.setBold(true);
    for (int row = 0; row < table.rowCount(); ++row) {
        sprdMulti->setVerticalHeaderItem(
            row, new QTableWidgetItem(QString::number(table.deviceNo(row))));
        for (int column = 0; column < ColumnCount; ++column) {
            if (column >= FirstButtonColumn && column <= LastButtonColumn) {
                const int index = column - FirstButtonColumn;
                auto *button = new QPushButton(QLatin1String(Buttons[index].caption));
                button->setObjectName(QStringLiteral("btnCMD_%1_%2").arg(row).arg(index));
                button->setFocusPolicy(Qt::NoFocus);
                paintButton(button, NotYet);
                connect(button, &QPushButton::clicked, this,
                        [this, row, index] { onButtonClicked(row, index); });
                sprdMulti->setCellWidget(row, column, button);
                continue;
            }
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(column == LinkColumn ? Qt::Alignment(Qt::AlignCenter)
                                                        : Qt::AlignRight | Qt::AlignVCenter);
            item->setFont(bold);
            sprdMulti->setItem(row, column, item);
        }
        if (table.linkState(row) == LinkState::Good)
            sprdMulti->item(row, MemoryColumn)
                ->setToolTip(QStringLiteral("클릭하면 데이터 수정 가능"));
    }
    QHeaderView *header = sprdMulti->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setMinimumSectionSize(56);
    for (int column = FirstButtonColumn; column <= LastButtonColumn; ++column)
        header->setSectionResizeMode(column, QHeaderView::Fixed);
    for (int column = FirstButtonColumn; column <= LastButtonColumn; ++column)
        sprdMulti->setColumnWidth(column, 64);
    connect(sprdMulti, &QTableWidget::cellClicked, this, &frmZQ410_RunMulti::onCellClicked);
}

void frmZQ410_RunMulti::CopyToOverview(int row)
{
    const DeviceTable &table = m_engine.table();
    if (row < 0 || row >= sprdMulti->rowCount() || row >= table.rowCount())
        return;
    QTableWidgetItem *link = sprdMulti->item(row, LinkColumn);
    const LinkState state = table.linkState(row);
    link->setText(DeviceTable::textOf(state));
    link->setData(Qt::BackgroundRole, LinkColours::background(state));
    link->setData(Qt::ForegroundRole, LinkColours::foreground(state));
    for (const auto &[column, field] : TextColumns)
        sprdMulti->item(row, column)->setText(table.field(row, field));
    const int status = table.value(row, F::Status).value_or(0);
    const int led1 = table.value(row, F::Led1).value_or(0);
    for (int index = 0; index < int(Buttons.size()); ++index) {
        const int bit = Buttons[index].statusBit;
        const bool lit = bit >= 0 ? (status >> bit) & 1 : (led1 >> TimerLedBit) & 1;
        paintButton(
            qobject_cast<QPushButton *>(sprdMulti->cellWidget(row, FirstButtonColumn + index)),
            lit ? Lit : Unlit);
    }
}

/// The polled controller did not answer: "불량" on red.
void frmZQ410_RunMulti::markTimeOut(int row)
{
    if (row < 0 || row >= sprdMulti->rowCount())
        return;
    QTableWidgetItem *link = sprdMulti->item(row, LinkColumn);
    link->setText(QStringLiteral("불량"));
    link->setData(Qt::BackgroundRole, QBrush(Lit));
    link->setData(Qt::ForegroundRole, QVariant());
}

bool frmZQ410_RunMulti::connected(int row) const
{
    return m_engine.state().ConnectedFlags.value(row);
}

/// The command goes to the controller of the row clicked; the main window's selection stays.
void frmZQ410_RunMulti::onButtonClicked(int row, int button)
{
    if (!connected(row))
        return;
    m_engine.writeRegister(RegisterMap::commandRegister(Command(button)), 1,
                           m_engine.table().deviceNo(row), this);
}

void frmZQ410_RunMulti::onCellClicked(int row, int column)
{
    if (column != MemoryColumn || !connected(row))
        return;
    frmZQ410_EditVal dialog(m_engine, QStringLiteral("MEMORY"),
                            sprdMulti->item(row, MemoryColumn)->text(), F::MemoryNo,
                            m_engine.table().deviceNo(row), this);
    dialog.exec();
}
