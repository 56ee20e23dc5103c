#include "RegisterEntry.h"

#include "Notice.h"
#include "NumberText.h"

#include <cmath>

namespace RegisterEntry {

namespace {

constexpr int RegisterMin = -32768;
constexpr int RegisterMax = 32767;

int decimalsOf(Kind kind, int decimals)
{
    switch (kind) {
    case Kind::Scaled:
        return std::clamp(decimals, 0, 9);
    case Kind::Tenths:
        return 1;
    case Kind::Plain:
    case Kind::Bits:
        break;
    }
    return 0;
}

} // namespace

std::optional<int> convert(const QString &text, Kind kind, int decimals)
{
    const double value =
        NumberText::leadingNumber(text) * std::pow(10.0, decimalsOf(kind, decimals));
    if (!(value >= RegisterMin - 0.5 && value <= RegisterMax + 0.5))
        return std::nullopt;
    const int rounded = NumberText::roundHalfEven(value);
    if (rounded < RegisterMin || rounded > RegisterMax)
        return std::nullopt;
    return rounded;
}

std::optional<int> convertOrWarn(QWidget *parent, const QString &text, Kind kind, int decimals)
{
    const std::optional<int> value = convert(text, kind, decimals);
    if (value)
        return value;
    const int places = decimalsOf(kind, decimals);
    Notice::show(
        parent,
        QStringLiteral("입력한 값이 기기가 받을 수 있는 범위(%1 ~ %2)를 벗어납니다.")
            .arg(NumberText::scaled(RegisterMin, places), NumberText::scaled(RegisterMax, places)));
    return std::nullopt;
}

} // namespace RegisterEntry
