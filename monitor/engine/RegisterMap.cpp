#include "RegisterMap.h"

namespace RegisterMap {

namespace {

using F = DeviceTable::Field;
using C = Conversion;

constexpr int MemoryNumber = 131;
constexpr int FirstMemoryRegister = 800;
constexpr int MemoryBlockSize = 25;
constexpr std::array<int, CommandCount> CommandRegisters = {102, 103, 104, 105, 106, 107, 108, 110};

} // namespace

const std::array<Register, 16> &statusBlock()
{
    static const std::array<Register, 16> block = {{
        {507, F::Unit, C::Plain},
        {506, F::DecimalPlaces, C::Plain},
        {1, F::Pv, C::Scaled},
        {2, F::Aux, C::Scaled},
        {3, F::Deviation, C::Scaled},
        {6, F::Status, C::Bits},
        {7, F::Sv, C::Scaled},
        {16, F::RestTime, C::Plain},
        {31, F::Led1, C::Bits},
        {32, F::Led2, C::Plain},
        {131, F::MemoryNo, C::Plain},
        {201, F::HeatOutput, C::Tenths},
        {202, F::CoolOutput, C::Tenths},
        {205, F::RemoteId, C::Plain},
        {207, F::CurrentR, C::Plain},
        {208, F::CurrentS, C::Plain},
    }};
    return block;
}

const QList<int> &statusRegisters()
{
    static const QList<int> registers = [] {
        QList<int> addresses;
        for (const Register &r : statusBlock())
            addresses.append(r.address);
        return addresses;
    }();
    return registers;
}

qsizetype statusPosition(DeviceTable::Field field)
{
    const auto &block = statusBlock();
    const auto it = std::find_if(block.begin(), block.end(),
                                 [field](const Register &r) { return r.field == field; });
    return it == block.end() ? -1 : it - block.begin();
}

const std::array<Register, 31> &parameterBlock()
{
    static const std::array<Register, 31> block = {{
        {300, F::CoolMode, C::Plain},
        {301, F::HeatMode, C::Plain},
        {304, F::HighAlarm, C::Scaled},
        {305, F::LowAlarm, C::Scaled},
        {306, F::DeviationAlarm, C::Scaled},
        {308, F::CurrentHighAlarm, C::Tenths},
        {309, F::CurrentLowAlarm, C::Tenths},
        {400, F::Pb, C::Scaled},
        {401, F::Ti, C::Plain},
        {402, F::Td, C::Plain},
        {403, F::Ct, C::Plain},
        {405, F::Pbc, C::Scaled},
        {406, F::Tic, C::Plain},
        {407, F::Tdc, C::Plain},
        {408, F::Ctc, C::Plain},
        {500, F::ControlSensor, C::Plain},
        {501, F::AuxSensor, C::Plain},
        {504, F::UpperLimit, C::Scaled},
        {505, F::LowerLimit, C::Scaled},
        {506, F::DecimalPlaces, C::Plain},
        {507, F::Unit, C::Plain},
        {508, F::ControlOffset, C::Scaled},
        {509, F::AuxOffset, C::Scaled},
        {511, F::PreheatSv, C::Scaled},
        {600, F::SuctionOption, C::Plain},
        {603, F::RestartMode, C::Plain},
        {605, F::Timer1, C::Plain},
        {606, F::Timer2, C::Plain},
        {607, F::Timer3, C::Plain},
        {618, F::RefillTime, C::Plain},
        {205, F::RemoteId, C::Plain},
    }};
    return block;
}

QList<int> parameterRegisters()
{
    QList<int> registers;
    for (const Register &r : parameterBlock())
        registers.append(r.address);
    return registers;
}

const QList<int> &errorRegisters()
{
    static const QList<int> registers = {700, 701, 702, 703, 704};
    return registers;
}

QList<int> memoryBlock(int block)
{
    const int start = FirstMemoryRegister + 100 * (block / 2) + MemoryBlockSize * (block % 2);
    QList<int> registers;
    for (int i = 0; i < MemoryBlockSize; ++i)
        registers.append(start + i);
    return registers;
}

std::optional<Register> writable(DeviceTable::Field field)
{
    if (field == F::MemoryNo)
        return Register{MemoryNumber, F::MemoryNo, C::Plain};
    for (const Register &r : parameterBlock()) {
        if (r.field == field)
            return r;
    }
    return std::nullopt;
}

int commandRegister(Command command)
{
    return CommandRegisters[size_t(command)];
}

} // namespace RegisterMap
