#pragma once

#include "DeviceTable.h"
#include "RegisterMap.h"

#include <QString>
#include <optional>

/// The names a request from the network gives the controller's writable fields and commands,
/// and the range a value sent from the network must lie in. A field is named as its register
/// map field in snake_case ("preheat_sv", "high_alarm", "memory_no"); a command as the command
/// button in lower case ("run", "at", "preheat", ...).
namespace RemoteFields {

/// A writable field by its name; nullopt for a name that is no writable field.
std::optional<Register> writable(const QString &name);
/// The snake_case name of a field ("PreheatSv" -> "preheat_sv").
QString nameOf(DeviceTable::Field field);
/// The command button by its name; nullopt for an unknown name.
std::optional<Command> command(const QString &name);

/// The values a field may be given from the network, in the controller's units.
struct Range
{
    double min;
    double max;
};
Range rangeOf(DeviceTable::Field field);

/// A value in the controller's units as its register holds it (decimals for a scaled field);
/// nullopt when it is not a whole number of the register's steps.
std::optional<int> rawOf(const Register &target, double value, int decimals);
/// A register's value in the controller's units.
double valueOf(const Register &target, int raw, int decimals);

} // namespace RemoteFields
