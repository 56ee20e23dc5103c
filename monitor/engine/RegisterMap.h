#pragma once

#include "Conversion.h"
#include "DeviceTable.h"

#include <QList>
#include <array>
#include <optional>

/// One register of the controller as the monitor uses it: its address, the device table field
/// it fills, how its value converts.
struct Register
{
    int address;
    DeviceTable::Field field;
    Conversion conversion;
};

/// The run-state commands of the command buttons (main window and overview), in button order.
enum class Command { Run, At, Preheat, Suction, Cool, Mold, Buzzer, Timer };

/// The controller's registers as the monitor uses them, written once: the blocks it reads, the
/// registers it writes. Windows name fields and commands, never addresses.
namespace RegisterMap {

constexpr int CommandCount = 8;

/// The 16 registers of a status block, in request and decoding order, with the field each fills.
const std::array<Register, 16> &statusBlock();
const QList<int> &statusRegisters();
/// Where a field's register stands in the status block.
qsizetype statusPosition(DeviceTable::Field field);
/// The 31 registers of a parameter block, in request and decoding order.
const std::array<Register, 31> &parameterBlock();
QList<int> parameterRegisters();
/// The five error history registers.
const QList<int> &errorRegisters();
/// The 25 registers of memory block 0..11: 800 + 100 (b div 2) + 25 (b mod 2) onwards.
QList<int> memoryBlock(int block);

/// The register a field is written to (parameters and the memory number), with its conversion;
/// nullopt for a field no window writes.
std::optional<Register> writable(DeviceTable::Field field);
/// The register a command writes 1 to.
int commandRegister(Command command);

} // namespace RegisterMap
