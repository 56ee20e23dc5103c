#include "StatusDecoder.h"

#include "Frames.h"
#include "RegisterMap.h"

#include <cmath>

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

using F = DeviceTable::Field;

/// The position of the decimal places (register 506) in a parameter reply.
constexpr int ParameterDecimalPlaces = 19;

QString unitText(int unit)
{
    return unit > 0 ? QStringLiteral("℉") : QStringLiteral("℃");
}

/// STATUS bit of each command button; button 5 has none.
constexpr std::array<int, 8> CommandStatusBit = {0, 1, 2, 5, 4, -1, 8, -1};
constexpr int TimerButton = 7;
constexpr int TimerLedBit = 15;
constexpr int FirstLampBit = 5;

} // namespace

StatusDecoder::StatusDecoder(SharedState &state, DeviceTable &table, SelectedDisplay &display)
    : m_state(state), m_table(table), m_display(display)
{}

bool StatusDecoder::DecodeStatusBlock(const QByteArray &reply, int p)
{
    const auto x = Frames::replyValues(reply, int(RegisterMap::statusRegisters().size()));
    if (!x || p < 0 || p >= m_table.rowCount())
        return false;
    const auto at = [&x](F field) {
        return x->at(RegisterMap::statusPosition(field));
    };
    const bool selected = p == m_state.SelectedIndex;
    const int d = at(F::DecimalPlaces);
    const QString unit = unitText(at(F::Unit));
    if (selected) {
        m_state.DecimalPlaces = d;
        m_state.UnitText = unit;
        m_display.unit = unit;
    }
    for (size_t k = 0; k < RegisterMap::statusBlock().size(); ++k) {
        const Register &r = RegisterMap::statusBlock()[k];
        const int raw = r.conversion == Conversion::Bits ? unsignedWord(x->at(k)) : x->at(k);
        m_table.setValue(p, r.field, raw, r.conversion, d);
    }
    if (!selected)
        return true;

    m_display.pv = {m_table.field(p, F::Pv), m_table.field(p, F::Aux)};
    m_display.sv = m_table.field(p, F::Sv);
    const double scale = std::pow(10.0, std::clamp(d, 0, 9));
    m_display.trendValues = {at(F::Sv) / scale, at(F::Pv) / scale, at(F::Aux) / scale};
    m_display.restTime = m_table.field(p, F::RestTime);
    m_display.memoryNo = m_table.field(p, F::MemoryNo);
    m_display.output = {m_table.field(p, F::HeatOutput), m_table.field(p, F::CoolOutput)};
    m_display.ampere = {m_table.field(p, F::CurrentR), m_table.field(p, F::CurrentS)};
    const int status = unsignedWord(at(F::Status));
    const int led1 = unsignedWord(at(F::Led1));
    for (int i = 0; i < int(CommandStatusBit.size()); ++i) {
        if (CommandStatusBit[i] >= 0)
            m_display.commandLit[i] = bit(status, CommandStatusBit[i]);
    }
    m_display.commandLit[TimerButton] = bit(led1, TimerLedBit);
    for (int lamp = 0; lamp < int(m_display.lampLit.size()); ++lamp)
        m_display.lampLit[lamp] = bit(led1, FirstLampBit + lamp);
    return true;
}

bool StatusDecoder::DecodeParameterBlock(const QByteArray &reply, int row)
{
    const auto w = Frames::replyValues(reply, int(RegisterMap::parameterBlock().size()));
    if (!w || row < 0 || row >= m_table.rowCount())
        return false;
    const int d = w->at(ParameterDecimalPlaces);
    if (row == m_state.SelectedIndex)
        m_state.DecimalPlaces = d;
    for (int k = 0; k < int(RegisterMap::parameterBlock().size()); ++k) {
        const Register &target = RegisterMap::parameterBlock()[size_t(k)];
        m_table.setValue(row, target.field, w->at(k), target.conversion, d);
    }
    return true;
}
