#include "DeviceTable.h"

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

DeviceTable::DeviceTable(QObject *parent) : QObject(parent) {}

void DeviceTable::reset(const QList<int> &deviceNos)
{
    m_rows.clear();
    for (int deviceNo : deviceNos) {
        Row row;
        row.deviceNo = deviceNo;
        m_rows.append(row);
    }
    emit rowsReset();
}

QString DeviceTable::field(int row, int field) const
{
    if (field == 1)
        return m_rows.at(row).linkState.text;
    return m_rows.at(row).fields.at(field - 1);
}

void DeviceTable::setField(int row, int field, const QString &text)
{
    if (field == 1) {
        setLinkState(row, LinkCell{text, m_rows.at(row).linkState.colour});
        return;
    }
    m_rows[row].fields.at(field - 1) = text;
    emit fieldChanged(row, field);
}

void DeviceTable::setLinkState(int row, const LinkCell &cell)
{
    m_rows[row].linkState = cell;
    emit fieldChanged(row, 1);
}

void DeviceTable::setPickerState(int row, const LinkCell &cell)
{
    m_rows[row].pickerState = cell;
    emit pickerStateChanged(row);
}
