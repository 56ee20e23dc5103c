#include "SimulatedController.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Ambient = 25.0;
/// Seconds in which the control temperature closes most of the gap to its target.
constexpr double HeatingTimeConstant = 20.0;
constexpr double AuxTimeConstant = 8.0;

constexpr int RegPv = 1;
constexpr int RegAux = 2;
constexpr int RegDeviation = 3;
constexpr int RegStatus = 6;
constexpr int RegSv = 7;
constexpr int RegRemaining = 16;
constexpr int RegLed1 = 31;
constexpr int RegLed2 = 32;
constexpr int RegMemoryNo = 131;
constexpr int RegHeatOut = 201;
constexpr int RegCoolOut = 202;
constexpr int RegRemoteId = 205;
constexpr int RegCurrentR = 207;
constexpr int RegCurrentS = 208;
constexpr int RegDecimals = 506;
constexpr int RegUnit = 507;

/// Command register and the STATUS bit it toggles.
struct Command
{
    int address;
    int statusBit;
};
constexpr Command Commands[] = {{102, 0}, {103, 1}, {104, 2}, {105, 5},
                                {106, 4}, {107, 3}, {108, 8}};
constexpr int TimerCommand = 110;
constexpr int TimerLedBit = 15;

/// Parameter registers (besides 205, 506 and 507) with their start values.
constexpr std::pair<int, int> Parameters[] = {
    {300, 0},   {301, 0},   {304, 1500}, {305, 0},    {306, 100}, {308, 300}, {309, 0},
    {400, 50},  {401, 240}, {402, 60},   {403, 2},    {405, 50},  {406, 240}, {407, 60},
    {408, 2},   {500, 0},   {501, 0},    {504, 2000}, {505, 0},   {508, 0},   {509, 0},
    {511, 400}, {600, 0},   {603, 1},    {605, 10},   {606, 20},  {607, 30},  {618, 5}};

constexpr int ErrorFirst = 700;
constexpr int ErrorLast = 704;
constexpr int MemoryFirst = 800;
constexpr int DemoPrograms = 5;
constexpr int MemoryLast = 1349;

bool isMemory(int address)
{
    return address >= MemoryFirst && address <= MemoryLast && (address % 100) < 50;
}

int toRegister(double degrees, int decimals)
{
    return int(std::lround(degrees * std::pow(10.0, decimals)));
}

/// The registers of a controller as it comes from the factory (its address aside), built once:
/// a line of 99 controllers, or a test that builds thousands of lines, copies it.
QHash<int, int> factoryRegisters()
{
    QHash<int, int> registers = {{RegStatus, 0},     {RegSv, 600},     {RegRemaining, 120},
                                 {RegLed1, 1 << 10}, {RegLed2, 0},     {RegMemoryNo, 1},
                                 {RegRemoteId, 0},   {RegDecimals, 1}, {RegUnit, 0}};
    for (const auto &[address, value] : Parameters)
        registers.insert(address, value);
    for (int address = ErrorFirst; address <= ErrorLast; ++address)
        registers.insert(address, address == ErrorFirst ? 3 : 0);
    // A few memory programs of a plausible kind (SV tenths, ON and OFF minutes); the rest 0.
    for (int address = MemoryFirst; address <= MemoryLast; ++address) {
        if (isMemory(address))
            registers.insert(address, 0);
    }
    for (int entry = 0; entry < DemoPrograms; ++entry) {
        const int offset = 100 * (entry / 50) + entry % 50; // entries 51.. sit 100 further on
        registers.insert(MemoryFirst + offset, 400 + 50 * entry);
        registers.insert(MemoryFirst + 200 + offset, 30 + 15 * entry);
        registers.insert(MemoryFirst + 400 + offset, 10);
    }
    return registers;
}

} // namespace

SimulatedController::SimulatedController(int deviceNo) : m_deviceNo(deviceNo)
{
    static const QHash<int, int> factory = factoryRegisters();
    m_registers = factory;
    m_registers[RegRemoteId] = deviceNo;
    updateDerivedRegisters();
}

bool SimulatedController::running() const
{
    return m_registers.value(RegStatus) & 1;
}

void SimulatedController::setRunning(bool on)
{
    if (running() != on)
        writeRegister(Commands[0].address, 1); // RUN toggles
}

std::optional<int> SimulatedController::readRegister(int address) const
{
    const auto it = m_registers.constFind(address);
    if (it == m_registers.constEnd())
        return std::nullopt;
    const int value = it.value() & 0xFFFF;
    return value >= 0x8000 ? value - 0x10000 : value;
}

bool SimulatedController::accepts(int address, int value) const
{
    const bool command = address == TimerCommand ||
                         std::any_of(std::begin(Commands), std::end(Commands),
                                     [address](const Command &c) { return c.address == address; });
    if (command)
        return true;
    if (address == RegMemoryNo)
        return value >= 0 && value <= 99;
    return address == RegSv || address == RegRemoteId || address == RegDecimals ||
           address == RegUnit || isMemory(address) ||
           std::any_of(std::begin(Parameters), std::end(Parameters),
                       [address](const auto &p) { return p.first == address; });
}

bool SimulatedController::writeRegister(int address, int value)
{
    if (!accepts(address, value))
        return false;
    if (address == TimerCommand) {
        if (value == 1)
            toggleBit(RegLed1, TimerLedBit);
        return true;
    }
    for (const Command &command : Commands) {
        if (command.address == address) {
            if (value == 1)
                toggleBit(RegStatus, command.statusBit);
            updateDerivedRegisters();
            return true;
        }
    }
    m_registers[address] = value;
    updateDerivedRegisters();
    return true;
}

void SimulatedController::pinTemperature(std::optional<double> degrees)
{
    m_pinned = degrees.has_value();
    if (degrees) {
        m_pv = *degrees;
        m_aux = *degrees;
    }
    updateDerivedRegisters();
}

void SimulatedController::toggleBit(int address, int bit)
{
    m_registers[address] ^= (1 << bit);
}

void SimulatedController::advance(int ms)
{
    const double seconds = ms / 1000.0;
    const int decimals = std::clamp(m_registers.value(RegDecimals), 0, 3);
    const double sv = m_registers.value(RegSv) / std::pow(10.0, decimals);
    const double target = running() ? sv : Ambient;
    if (!m_pinned) {
        m_pv += (target - m_pv) * (1.0 - std::exp(-seconds / HeatingTimeConstant));
        m_aux += (m_pv - m_aux) * (1.0 - std::exp(-seconds / AuxTimeConstant));
    }
    if (running()) {
        m_msIntoMinute += ms;
        while (m_msIntoMinute >= 60000) {
            m_msIntoMinute -= 60000;
            m_registers[RegRemaining] = std::max(0, m_registers.value(RegRemaining) - 1);
        }
    }
    updateDerivedRegisters();
}

/// Registers that follow from the temperatures and the run state.
void SimulatedController::updateDerivedRegisters()
{
    const int decimals = std::clamp(m_registers.value(RegDecimals), 0, 3);
    const int pv = toRegister(m_pv, decimals);
    const int sv = m_registers.value(RegSv);
    m_registers[RegPv] = pv;
    m_registers[RegAux] = toRegister(m_aux, decimals);
    m_registers[RegDeviation] = pv - sv;

    const bool run = running();
    const double gap = (sv - pv) / std::pow(10.0, decimals);
    const int heat = run ? std::clamp(int(gap * 50), 0, 1000) : 0;
    const int cool = run ? std::clamp(int(-gap * 50), 0, 1000) : 0;
    m_registers[RegHeatOut] = heat;
    m_registers[RegCoolOut] = cool;
    m_registers[RegCurrentR] = heat / 40;
    m_registers[RegCurrentS] = heat / 42;

    int led1 = m_registers.value(RegLed1) & (1 << TimerLedBit);
    led1 |= 1 << 10; // COMM
    if (run)
        led1 |= 1 << 5; // pump forward
    if (heat > 0)
        led1 |= 1 << 7;
    if (cool > 0)
        led1 |= 1 << 8;
    if (m_registers.value(RegStatus) & (1 << 1))
        led1 |= 1 << 12; // auto-tuning
    m_registers[RegLed1] = led1;
}
