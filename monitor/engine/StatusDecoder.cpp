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

/// Positions of the values in a status reply, in the order RegisterMap::statusRegisters() asks
/// for them.
enum class StatusValue {
    Unit,          // 507
    DecimalPlaces, // 506
    Pv,            // 1
    Aux,           // 2
    Deviation,     // 3
    Status,        // 6
    Sv,            // 7
    RestTime,      // 16
    Led1,          // 31
    Led2,          // 32
    MemoryNo,      // 131
    HeatOutput,    // 201
    CoolOutput,    // 202
    RemoteId,      // 205
    CurrentR,      // 207
    CurrentS,      // 208
};

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
    const auto value = [&x](StatusValue v) {
        return x->at(int(v));
    };
    const bool selected = p == m_state.SelectedIndex;
    const int d = value(StatusValue::DecimalPlaces);
    const QString unit = unitText(value(StatusValue::Unit));
    if (selected) {
        m_state.DecimalPlaces = d;
        m_state.UnitText = unit;
        m_display.unit = unit;
    }
    const int status = unsignedWord(value(StatusValue::Status));
    const int led1 = unsignedWord(value(StatusValue::Led1));
    const auto plain = [&](F field, StatusValue v) {
        m_table.setValue(p, field, value(v));
    };
    const auto scaled = [&](F field, StatusValue v) {
        m_table.setValue(p, field, value(v), Conversion::Scaled, d);
    };
    const auto tenths = [&](F field, StatusValue v) {
        m_table.setValue(p, field, value(v), Conversion::Tenths);
    };
    plain(F::DecimalPlaces, StatusValue::DecimalPlaces);
    plain(F::Unit, StatusValue::Unit);
    scaled(F::Pv, StatusValue::Pv);
    scaled(F::Aux, StatusValue::Aux);
    scaled(F::Deviation, StatusValue::Deviation);
    m_table.setValue(p, F::Status, status);
    scaled(F::Sv, StatusValue::Sv);
    plain(F::RestTime, StatusValue::RestTime);
    plain(F::MemoryNo, StatusValue::MemoryNo);
    m_table.setValue(p, F::Led1, led1);
    plain(F::Led2, StatusValue::Led2);
    tenths(F::HeatOutput, StatusValue::HeatOutput);
    tenths(F::CoolOutput, StatusValue::CoolOutput);
    plain(F::RemoteId, StatusValue::RemoteId);
    plain(F::CurrentR, StatusValue::CurrentR);
    plain(F::CurrentS, StatusValue::CurrentS);
    if (!selected)
        return true;

    m_display.pv = {m_table.field(p, F::Pv), m_table.field(p, F::Aux)};
    m_display.sv = m_table.field(p, F::Sv);
    const double scale = std::pow(10.0, std::clamp(d, 0, 9));
    m_display.trendValues = {value(StatusValue::Sv) / scale, value(StatusValue::Pv) / scale,
                             value(StatusValue::Aux) / scale};
    m_display.restTime = m_table.field(p, F::RestTime);
    m_display.memoryNo = m_table.field(p, F::MemoryNo);
    m_display.output = {m_table.field(p, F::HeatOutput), m_table.field(p, F::CoolOutput)};
    m_display.ampere = {m_table.field(p, F::CurrentR), m_table.field(p, F::CurrentS)};
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
