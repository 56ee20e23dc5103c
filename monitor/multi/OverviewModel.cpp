#include "OverviewModel.h"

#include "AlarmEngine.h"
#include "AlarmMarks.h"
#include "LinkColours.h"
#include "RegisterMap.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <array>

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

} // namespace

std::optional<DeviceTable::Field> OverviewModel::fieldOf(int column)
{
    switch (column) {
    case PvColumn:
        return F::Pv;
    case AuxColumn:
        return F::Aux;
    case SvColumn:
        return F::Sv;
    case RestTimeColumn:
        return F::RestTime;
    case HeatColumn:
        return F::HeatOutput;
    case CoolColumn:
        return F::CoolOutput;
    case CurrentRColumn:
        return F::CurrentR;
    case CurrentSColumn:
        return F::CurrentS;
    case MemoryColumn:
        return F::MemoryNo;
    default:
        return std::nullopt;
    }
}

OverviewModel::OverviewModel(const DeviceTable &table, QObject *parent)
    : DeviceTableProxy(table, parent)
{}

void OverviewModel::showAlarms(const AlarmEngine &alarms)
{
    m_alarms = &alarms;
    connect(&alarms, &AlarmEngine::transitioned, this, [this] { columnChanged(PvColumn); });
}

int OverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OverviewModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int row = index.row();
    const int column = index.column();
    if (role == Qt::FontRole) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (column == LinkColumn)
        return linkData(row, role);
    if (isButton(column))
        return buttonData(row, column - FirstButtonColumn, role);
    if (column == PvColumn && m_alarms && m_alarms->hasAlarm(table().deviceNo(row))) {
        if (role == Qt::BackgroundRole)
            return AlarmMarks::background(m_alarms, table().deviceNo(row));
        if (role == Qt::ForegroundRole)
            return AlarmMarks::foreground(m_alarms, table().deviceNo(row));
        if (role == Qt::ToolTipRole)
            return AlarmMarks::toolTip(m_alarms, table().deviceNo(row));
    }
    switch (role) {
    case Qt::DisplayRole:
        return table().field(row, *fieldOf(column));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (column == MemoryColumn && table().linkState(row) == LinkState::Good)
            return QStringLiteral("클릭하면 데이터 수정 가능");
        return {};
    default:
        return {};
    }
}

/// The link cell as the device table has it, except that a reply not come in time marks the
/// controller "불량" on red: in the overview a silent controller must stand out.
QVariant OverviewModel::linkData(int row, int role) const
{
    const LinkState state = table().linkState(row);
    const bool timedOut = state == LinkState::TimedOut;
    switch (role) {
    case Qt::DisplayRole:
        return timedOut ? QStringLiteral("불량") : DeviceTable::textOf(state);
    case Qt::BackgroundRole:
        return timedOut ? QVariant(QBrush(Lit)) : LinkColours::background(state);
    case Qt::ForegroundRole:
        return timedOut ? QVariant() : LinkColours::foreground(state);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return {};
    }
}

QVariant OverviewModel::buttonData(int row, int button, int role) const
{
    const std::optional<bool> on = lit(row, button);
    switch (role) {
    case Qt::DisplayRole:
        return QLatin1String(Buttons.at(button).caption);
    case LitRole:
        return on ? QVariant(*on) : QVariant();
    case Qt::BackgroundRole:
        return QBrush(!on ? NotYet : *on ? Lit : Unlit);
    default:
        return {};
    }
}

/// From the controller's last status block: its STATUS bit, or LED1 bit 15 for TIMER.
std::optional<bool> OverviewModel::lit(int row, int button) const
{
    const std::optional<int> status = table().value(row, F::Status);
    if (!status)
        return std::nullopt;
    const int bit = Buttons.at(button).statusBit;
    if (bit >= 0)
        return (*status >> bit) & 1;
    return (table().value(row, F::Led1).value_or(0) >> TimerLedBit) & 1;
}

QVariant OverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section >= 0 && section < rowCount() ? QVariant(table().deviceNo(section))
                                                    : QVariant();
    static const QStringList captions = {QStringLiteral("통신상태"),
                                         QStringLiteral("제어온도"),
                                         QStringLiteral("보조온도"),
                                         QStringLiteral("SV"),
                                         QString(),
                                         QString(),
                                         QString(),
                                         QString(),
                                         QString(),
                                         QString(),
                                         QString(),
                                         QString(),
                                         QStringLiteral("잔여시간(분)"),
                                         QStringLiteral("가열출력값"),
                                         QStringLiteral("냉각출력값"),
                                         QStringLiteral("R상 전류값"),
                                         QStringLiteral("S상 전류값"),
                                         QStringLiteral("MEMORY")};
    return captions.value(section);
}
