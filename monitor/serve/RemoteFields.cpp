#include "RemoteFields.h"

#include "Conversion.h"

#include <QMetaEnum>
#include <cmath>

namespace RemoteFields {

namespace {

using F = DeviceTable::Field;

/// The front panel shows four digits: what lies beyond them no controller takes.
constexpr Range Temperature{-199.9, 999.9};

double scaleOf(Conversion conversion, int decimals)
{
    switch (conversion) {
    case Conversion::Scaled:
        return std::pow(10.0, std::clamp(decimals, 0, 9));
    case Conversion::Tenths:
        return 10.0;
    default:
        return 1.0;
    }
}

} // namespace

QString nameOf(DeviceTable::Field field)
{
    const QString camel = QString::fromLatin1(QMetaEnum::fromType<F>().valueToKey(int(field)));
    QString snake;
    for (const QChar c : camel) {
        if (c.isUpper() && !snake.isEmpty())
            snake += QLatin1Char('_');
        snake += c.toLower();
    }
    return snake;
}

std::optional<Register> writable(const QString &name)
{
    if (name == nameOf(F::MemoryNo))
        return RegisterMap::writable(F::MemoryNo);
    for (const Register &r : RegisterMap::parameterBlock()) {
        if (nameOf(r.field) == name)
            return RegisterMap::writable(r.field);
    }
    return std::nullopt;
}

std::optional<Command> command(const QString &name)
{
    static const QStringList names = {QStringLiteral("run"),     QStringLiteral("at"),
                                      QStringLiteral("preheat"), QStringLiteral("suction"),
                                      QStringLiteral("cool"),    QStringLiteral("mold"),
                                      QStringLiteral("buzzer"),  QStringLiteral("timer")};
    const qsizetype index = names.indexOf(name);
    return index < 0 ? std::nullopt : std::optional<Command>(Command(index));
}

Range rangeOf(DeviceTable::Field field)
{
    switch (field) {
    case F::HighAlarm:
    case F::LowAlarm:
    case F::UpperLimit:
    case F::LowerLimit:
    case F::PreheatSv:
        return Temperature;
    case F::DeviationAlarm:
    case F::Pb:
    case F::Pbc:
        return {0, 999.9};
    case F::ControlOffset:
    case F::AuxOffset:
        return {-99.9, 99.9};
    case F::CurrentHighAlarm:
    case F::CurrentLowAlarm:
        return {0, 99.9};
    case F::ControlSensor:
    case F::AuxSensor:
        return {0, 2};
    case F::CoolMode:
    case F::HeatMode:
    case F::DecimalPlaces:
    case F::Unit:
    case F::SuctionOption:
    case F::RestartMode:
        return {0, 1};
    case F::RemoteId:
        return {0, 99};
    case F::MemoryNo:
        return {1, 100};
    default: // times in seconds or tens of hours
        return {0, 9999};
    }
}

std::optional<int> rawOf(const Register &target, double value, int decimals)
{
    const double scaled = value * scaleOf(target.conversion, decimals);
    const double rounded = std::round(scaled);
    if (!std::isfinite(scaled) || std::abs(scaled - rounded) > 1e-6 || std::abs(rounded) > 32767)
        return std::nullopt;
    return int(rounded);
}

double valueOf(const Register &target, int raw, int decimals)
{
    return raw / scaleOf(target.conversion, decimals);
}

} // namespace RemoteFields
