#pragma once

#include "RegisterMap.h"

#include <QString>
#include <optional>

class QWidget;

/// How an operator's entry becomes a register value: its leading number (0 when it has none)
/// times the kind's factor, rounded half to even.
namespace RegisterEntry {

/// How the entry converts: the register map's conversion of the register it is written to.
using Kind = Conversion;

/// The register value of an entry; nullopt when it does not fit a signed 16-bit register.
std::optional<int> convert(const QString &text, Kind kind, int decimals);

/// convert, and when the value does not fit, a message box (titled "ZQ410") naming the range in
/// the entered unit.
std::optional<int> convertOrWarn(QWidget *parent, const QString &text, Kind kind, int decimals);

} // namespace RegisterEntry
