#include "Conversion.h"

#include "NumberText.h"

#include <cmath>

namespace Conversions {

QString text(int raw, Conversion conversion, int decimals)
{
    switch (conversion) {
    case Conversion::Scaled:
        return NumberText::scaled(raw, decimals);
    case Conversion::Tenths:
        return NumberText::tenths(raw);
    case Conversion::Plain:
    case Conversion::Bits:
        break;
    }
    return NumberText::plain(raw);
}

double number(int raw, Conversion conversion, int decimals)
{
    switch (conversion) {
    case Conversion::Scaled:
        return raw / std::pow(10.0, std::clamp(decimals, 0, 9));
    case Conversion::Tenths:
        return raw / 10.0;
    case Conversion::Plain:
    case Conversion::Bits:
        break;
    }
    return raw;
}

} // namespace Conversions
