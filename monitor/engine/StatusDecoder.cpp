#include "StatusDecoder.h"

#include "Frames.h"
#include "NumberText.h"

#include <optional>

namespace {

/// STATUS and LED1 are bit words: read as unsigned 16-bit.
int unsignedWord(int value)
{
    return value < 0 ? value + 65536 : value;
}

bool bit(int word, int i)
{
    return (word >> i) & 1;
}

enum class Conversion { Plain, Scaled, Tenths };

struct ParameterField
{
    int field;
    Conversion conversion;
};

/// Where each parameter register goes, in the order the registers are requested.
const std::array<ParameterField, 31> &parameterFields()
{
    using C = Conversion;
    static const std::array<ParameterField, 31> fields = {{
        {18, C::Plain},  {19, C::Plain},  {20, C::Scaled}, {21, C::Scaled}, {22, C::Scaled},
        {23, C::Tenths}, {24, C::Tenths}, {25, C::Scaled}, {26, C::Plain},  {27, C::Plain},
        {28, C::Plain},  {29, C::Scaled}, {30, C::Plain},  {31, C::Plain},  {32, C::Plain},
        {33, C::Plain},  {34, C::Plain},  {35, C::Scaled}, {36, C::Scaled}, {2, C::Plain},
        {3, C::Plain},   {37, C::Scaled}, {38, C::Scaled}, {39, C::Scaled}, {40, C::Plain},
        {41, C::Plain},  {42, C::Plain},  {43, C::Plain},  {44, C::Plain},  {45, C::Plain},
        {15, C::Plain},
    }};
    return fields;
}

QString convert(int value, Conversion conversion, int decimals)
{
    switch (conversion) {
    case Conversion::Scaled:
        return NumberText::scaled(value, decimals);
    case Conversion::Tenths:
        return NumberText::tenths(value);
    case Conversion::Plain:
        break;
    }
    return NumberText::plain(value);
}

/// STATUS bit of each command button; button 5 has none.
constexpr std::array<int, 8> CommandStatusBit = {0, 1, 2, 5, 4, -1, 8, -1};
constexpr int TimerButton = 7;
constexpr int TimerLedBit = 15;
constexpr int FirstLampBit = 5;

} // namespace

const QList<int> &StatusDecoder::statusRegisters()
{
    static const QList<int> registers = {507, 506, 1,   2,   3,   6,   7,   16,
                                         31,  32,  131, 201, 202, 205, 207, 208};
    return registers;
}

const QList<int> &StatusDecoder::parameterRegisters()
{
    static const QList<int> registers = {300, 301, 304, 305, 306, 308, 309, 400, 401, 402, 403,
                                         405, 406, 407, 408, 500, 501, 504, 505, 506, 507, 508,
                                         509, 511, 600, 603, 605, 606, 607, 618, 205};
    return registers;
}

StatusDecoder::StatusDecoder(SharedState &state, DeviceTable &table, SelectedDisplay &display)
    : m_state(state), m_table(table), m_display(display)
{}

bool StatusDecoder::DecodeStatusBlock(const QByteArray &reply, int p)
{
    const auto x = Frames::replyValues(reply, int(statusRegisters().size()));
    if (!x || p < 0 || p >= m_table.rowCount())
        return false;
    const bool selected = p == m_state.SelectedIndex;
    const int d = x->at(1);
    const QString unit = x->at(0) > 0 ? QStringLiteral("℉") : QStringLiteral("℃");
    if (selected) {
        m_state.DecimalPlaces = d;
        m_state.UnitText = unit;
        m_display.unit = unit;
    }
    m_table.setField(p, 2, NumberText::plain(x->at(1)));
    m_table.setField(p, 3, NumberText::plain(x->at(0)));
    m_table.setField(p, 4, NumberText::scaled(x->at(2), d));
    m_table.setField(p, 5, NumberText::scaled(x->at(3), d));
    m_table.setField(p, 6, NumberText::scaled(x->at(4), d));
    const int status = unsignedWord(x->at(5));
    m_table.setField(p, 7, NumberText::plain(status));
    m_table.setField(p, 8, NumberText::scaled(x->at(6), d));
    m_table.setField(p, 9, NumberText::plain(x->at(7)));
    m_table.setField(p, 10, NumberText::plain(x->at(10)));
    const int led1 = unsignedWord(x->at(8));
    m_table.setField(p, 11, NumberText::plain(led1));
    m_table.setField(p, 12, NumberText::plain(x->at(9)));
    m_table.setField(p, 13, NumberText::tenths(x->at(11)));
    m_table.setField(p, 14, NumberText::tenths(x->at(12)));
    m_table.setField(p, 15, NumberText::plain(x->at(13)));
    m_table.setField(p, 16, NumberText::plain(x->at(14)));
    m_table.setField(p, 17, NumberText::plain(x->at(15)));
    if (!selected)
        return true;

    m_display.pv = {m_table.field(p, 4), m_table.field(p, 5)};
    m_display.sv = m_table.field(p, 8);
    m_display.restTime = m_table.field(p, 9);
    m_display.memoryNo = m_table.field(p, 10);
    m_display.output = {m_table.field(p, 13), m_table.field(p, 14)};
    m_display.ampere = {m_table.field(p, 16), m_table.field(p, 17)};
    for (int i = 0; i < int(CommandStatusBit.size()); ++i) {
        if (CommandStatusBit[i] >= 0)
            m_display.commandLit[i] = bit(status, CommandStatusBit[i]);
    }
    m_display.commandLit[TimerButton] = bit(led1, TimerLedBit);
    for (int lamp = 0; lamp < int(m_display.lampLit.size()); ++lamp)
        m_display.lampLit[lamp] = bit(led1, FirstLampBit + lamp);
    if (p < m_state.RunFlags.size())
        m_state.RunFlags[p] = bit(status, 0);
    return true;
}

bool StatusDecoder::DecodeParameterBlock(const QByteArray &reply)
{
    const auto w = Frames::replyValues(reply, int(parameterRegisters().size()));
    const int row = m_state.SelectedIndex;
    if (!w || row < 0 || row >= m_table.rowCount())
        return false;
    const int d = w->at(19);
    m_state.DecimalPlaces = d;
    for (int k = 0; k < int(parameterFields().size()); ++k) {
        const ParameterField &target = parameterFields()[k];
        m_table.setField(row, target.field, convert(w->at(k), target.conversion, d));
    }
    return true;
}
