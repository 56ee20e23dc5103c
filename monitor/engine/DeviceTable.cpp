#include "DeviceTable.h"

#include <algorithm>
#include <utility>

const QStringList &DeviceTable::headers()
{
    static const QStringList texts = {
        QStringLiteral("통신상태"),
        QStringLiteral("소수점"),
        QStringLiteral("온도단위"),
        QStringLiteral("제어온도"),
        QStringLiteral("보조온도"),
        QStringLiteral("온도편차"),
        QStringLiteral("STATUS"),
        QStringLiteral("SV"),
        QStringLiteral("남은 시간"),
        QStringLiteral("사용 메모리번호"),
        QStringLiteral("LED1"),
        QStringLiteral("LED2"),
        QStringLiteral("가열출력값"),
        QStringLiteral("냉각출력값"),
        QStringLiteral("리모콘ID"),
        QStringLiteral("R상 전류값"),
        QStringLiteral("S상 전류값"),
        QStringLiteral("냉각출력모드"),
        QStringLiteral("가열출력모드"),
        QStringLiteral("온도상한경보값"),
        QStringLiteral("온도하한경보값"),
        QStringLiteral("온도편차경보값"),
        QStringLiteral("전류상한경보값"),
        QStringLiteral("전류하한경보값"),
        QStringLiteral("PB"),
        QStringLiteral("TI"),
        QStringLiteral("TD"),
        QStringLiteral("CT"),
        QStringLiteral("PBC"),
        QStringLiteral("TIC"),
        QStringLiteral("TDC"),
        QStringLiteral("CTC"),
        QStringLiteral("제어온도센서"),
        QStringLiteral("보조온도센서"),
        QStringLiteral("사용온도상한"),
        QStringLiteral("사용온도하한"),
        QStringLiteral("제어온도보정"),
        QStringLiteral("보조온도보정"),
        QStringLiteral("예열SV"),
        QStringLiteral("SUCTION OPTION"),
        QStringLiteral("RESTART MODE"),
        QStringLiteral("TIMER1"),
        QStringLiteral("TIMER2"),
        QStringLiteral("TIMER3"),
        QStringLiteral("매체보충시간"),
    };
    return texts;
}

QString DeviceTable::textOf(LinkState state)
{
    switch (state) {
    case LinkState::Good:
        return QStringLiteral("양호");
    case LinkState::Negative:
        return QStringLiteral("NG");
    case LinkState::ChecksumError:
        return QStringLiteral("CRC");
    case LinkState::TimedOut:
        return QStringLiteral("OVER");
    case LinkState::Failed:
        return QStringLiteral("불량");
    case LinkState::Unknown:
        break;
    }
    return QString();
}

LinkColour DeviceTable::colourOf(LinkState state)
{
    switch (state) {
    case LinkState::Good:
        return LinkColour::Green;
    case LinkState::Negative:
    case LinkState::ChecksumError:
    case LinkState::TimedOut:
        return LinkColour::Red;
    case LinkState::Failed:
        return LinkColour::Black;
    case LinkState::Unknown:
        break;
    }
    return LinkColour::None;
}

DeviceTable::DeviceTable(QObject *parent) : QAbstractTableModel(parent) {}

void DeviceTable::reset(const QList<int> &deviceNos)
{
    beginResetModel();
    m_rows.clear();
    for (int deviceNo : deviceNos) {
        Row row;
        row.deviceNo = deviceNo;
        m_rows.append(row);
    }
    endResetModel();
}

QString DeviceTable::field(int row, Field field) const
{
    if (field == Field::LinkState)
        return textOf(m_rows.at(row).linkState);
    const std::optional<Value> &v = m_rows.at(row).values.at(columnOf(field));
    return v ? Conversions::text(v->raw, v->conversion, v->decimals) : QString();
}

std::optional<int> DeviceTable::value(int row, Field field) const
{
    const std::optional<Value> &v = m_rows.at(row).values.at(columnOf(field));
    return v ? std::optional<int>(v->raw) : std::nullopt;
}

std::optional<double> DeviceTable::number(int row, Field field) const
{
    const std::optional<Value> &v = m_rows.at(row).values.at(columnOf(field));
    return v ? std::optional<double>(Conversions::number(v->raw, v->conversion, v->decimals))
             : std::nullopt;
}

void DeviceTable::setValue(int row, Field field, int raw, Conversion conversion, int decimals)
{
    Q_ASSERT(field != Field::LinkState); // a state, set with setLinkState
    std::optional<Value> &cell = m_rows[row].values.at(columnOf(field));
    const Value value{raw, conversion,
                      conversion == Conversion::Scaled ? std::clamp(decimals, 0, 9) : 0};
    if (cell == value)
        return;
    cell = value;
    changed(row, columnOf(field));
}

void DeviceTable::setLinkState(int row, LinkState state)
{
    m_rows[row].linkState = state;
    changed(row, columnOf(Field::LinkState));
}

void DeviceTable::setPickerState(int row, LinkState state)
{
    m_rows[row].pickerState = state;
    changed(row, PickerColumn);
}

void DeviceTable::setConnected(int row, bool connected)
{
    if (std::exchange(m_rows[row].connected, connected) != connected)
        rowStateChanged(row);
}

int DeviceTable::connectedCount() const
{
    return int(std::count_if(m_rows.cbegin(), m_rows.cend(),
                             [](const Row &row) { return row.connected; }));
}

void DeviceTable::noteStatusBlock(int row, qint64 nowMs)
{
    Row &r = m_rows[row];
    r.lastStatusMs = nowMs;
    r.unansweredPolls = 0;
    const bool running = value(row, Field::Status).value_or(0) & 1;
    const bool stateChanges = !r.connected || r.running != running;
    r.connected = true;
    r.running = running;
    if (stateChanges)
        rowStateChanged(row);
}

void DeviceTable::noteUnansweredPoll(int row)
{
    ++m_rows[row].unansweredPolls;
}

void DeviceTable::forgetLineState()
{
    for (int row = 0; row < rowCount(); ++row) {
        Row &r = m_rows[row];
        const bool was = r.connected || r.running;
        r.connected = false;
        r.running = false;
        r.lastStatusMs = -1;
        r.unansweredPolls = 0;
        setLinkState(row, LinkState::Unknown);
        setPickerState(row, LinkState::Unknown);
        if (was)
            rowStateChanged(row);
    }
}

/// Connected and running belong to the whole row.
void DeviceTable::rowStateChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, PickerColumn), {ConnectedRole, RunningRole});
}

void DeviceTable::changed(int row, int column)
{
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

int DeviceTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rowCount();
}

int DeviceTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FieldCount + 1;
}

QVariant DeviceTable::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row &row = m_rows.at(index.row());
    const bool linkCell = index.column() == PickerColumn || index.column() == 0;
    const LinkState state = index.column() == PickerColumn ? row.pickerState : row.linkState;
    switch (role) {
    case ConnectedRole:
        return row.connected;
    case RunningRole:
        return row.running;
    case Qt::DisplayRole:
        return linkCell ? textOf(state) : field(index.row(), Field(index.column() + 1));
    case LinkStateRole:
        return linkCell ? QVariant::fromValue(state) : QVariant();
    case LinkColourRole:
        return linkCell ? QVariant::fromValue(colourOf(state)) : QVariant();
    default:
        return {};
    }
}

QVariant DeviceTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section >= 0 && section < rowCount() ? QVariant(deviceNo(section)) : QVariant();
    if (section == PickerColumn)
        return QStringLiteral("연결상태");
    return headers().value(section);
}
