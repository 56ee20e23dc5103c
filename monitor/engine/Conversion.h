#pragma once

#include <QString>

/// How a register's value reads as the number shown, and how an entry is written back.
enum class Conversion {
    Plain,  ///< the number itself
    Scaled, ///< divided by 10^decimal places (temperatures)
    Tenths, ///< divided by 10 (outputs, currents)
    Bits,   ///< a word of flags: read as an unsigned 16-bit number
};

namespace Conversions {

/// The text of a register value as the windows and the trend files show it.
QString text(int raw, Conversion conversion, int decimals);
/// The number a register value stands for.
double number(int raw, Conversion conversion, int decimals);

} // namespace Conversions
