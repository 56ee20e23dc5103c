#include "Alarm.h"

#include <array>
#include <optional>

namespace {

struct KindName
{
    AlarmKind kind;
    const char *text;
    const char *shortText;
};

const std::array<KindName, 5> KindNames = {{
    {AlarmKind::LinkLoss, "통신 이상", "통신"},
    {AlarmKind::High, "상한 경보", "상한"},
    {AlarmKind::Low, "하한 경보", "하한"},
    {AlarmKind::Deviation, "편차 경보", "편차"},
    {AlarmKind::Device, "기기 경보", "기기"},
}};

const std::array<std::pair<AlarmStep, const char *>, 3> StepNames = {{
    {AlarmStep::Raised, "발생"},
    {AlarmStep::Acknowledged, "확인"},
    {AlarmStep::Cleared, "해제"},
}};

} // namespace

namespace Alarms {

QString kindText(AlarmKind kind)
{
    return QString::fromUtf8(KindNames.at(size_t(kind)).text);
}

QString shortText(AlarmKind kind)
{
    return QString::fromUtf8(KindNames.at(size_t(kind)).shortText);
}

QString stepText(AlarmStep step)
{
    return QString::fromUtf8(StepNames.at(size_t(step)).second);
}

QString stateText(AlarmState state)
{
    switch (state) {
    case AlarmState::Normal:
        return QStringLiteral("정상");
    case AlarmState::ActiveUnacknowledged:
        return QStringLiteral("발생 (미확인)");
    case AlarmState::ActiveAcknowledged:
        return QStringLiteral("발생 (확인)");
    case AlarmState::ReturnedUnacknowledged:
        return QStringLiteral("해제 (미확인)");
    }
    return {};
}

std::optional<AlarmKind> kindOf(const QString &text)
{
    for (const KindName &name : KindNames) {
        if (text == QString::fromUtf8(name.text))
            return name.kind;
    }
    return std::nullopt;
}

std::optional<AlarmStep> stepOf(const QString &text)
{
    for (const auto &[step, name] : StepNames) {
        if (text == QString::fromUtf8(name))
            return step;
    }
    return std::nullopt;
}

AlarmState after(AlarmState state, AlarmStep step)
{
    using S = AlarmState;
    switch (step) {
    case AlarmStep::Raised:
        return state == S::ActiveAcknowledged ? S::ActiveAcknowledged : S::ActiveUnacknowledged;
    case AlarmStep::Acknowledged:
        if (state == S::ActiveUnacknowledged)
            return S::ActiveAcknowledged;
        return state == S::ReturnedUnacknowledged ? S::Normal : state;
    case AlarmStep::Cleared:
        if (state == S::ActiveUnacknowledged)
            return S::ReturnedUnacknowledged;
        return state == S::ActiveAcknowledged ? S::Normal : state;
    }
    return state;
}

} // namespace Alarms
