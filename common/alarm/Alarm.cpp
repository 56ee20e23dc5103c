#include "Alarm.h"

#include <QMap>

#include <algorithm>
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

Alarm advanced(Alarm alarm, const AlarmTransition &transition)
{
    switch (transition.step) {
    case AlarmStep::Raised:
        if (alarm.isUnacknowledged()) {
            ++alarm.raiseCount;
        } else {
            alarm.raiseCount = 1;
            alarm.firstRaised = transition.time;
        }
        alarm.raised = transition.time;
        alarm.acknowledged = {};
        alarm.cleared = {};
        alarm.value = transition.value;
        alarm.limit = transition.limit;
        break;
    case AlarmStep::Acknowledged:
        alarm.acknowledged = transition.time;
        break;
    case AlarmStep::Cleared:
        alarm.cleared = transition.time;
        break;
    }
    alarm.state = after(alarm.state, transition.step);
    return alarm;
}

QList<Alarm> standing(const QList<AlarmTransition> &transitions)
{
    QMap<std::pair<int, int>, Alarm> alarms;
    for (const AlarmTransition &transition : transitions) {
        const std::pair<int, int> key{transition.deviceNo, int(transition.kind)};
        Alarm alarm = alarms.value(key);
        alarm.deviceNo = transition.deviceNo;
        alarm.kind = transition.kind;
        alarm = advanced(alarm, transition);
        if (alarm.state == AlarmState::Normal)
            alarms.remove(key);
        else
            alarms.insert(key, alarm);
    }
    QList<Alarm> list = alarms.values();
    std::stable_sort(list.begin(), list.end(),
                     [](const Alarm &a, const Alarm &b) { return a.raised < b.raised; });
    return list;
}

QString repeatText(const Alarm &alarm)
{
    if (alarm.raiseCount < 2)
        return {};
    return QStringLiteral("%1회, 첫 발생 %2")
        .arg(alarm.raiseCount)
        .arg(alarm.firstRaised.toString(QStringLiteral("HH:mm:ss")));
}

QString summaryText(const Alarm &alarm, const QString &channelName)
{
    QString text = QStringLiteral("%1 %2%3 %4")
                       .arg(alarm.raised.toString(QStringLiteral("HH:mm:ss")))
                       .arg(alarm.deviceNo, 2, 10, QLatin1Char('0'))
                       .arg(channelName.isEmpty() ? QString() : QLatin1Char(' ') + channelName,
                            kindText(alarm.kind));
    if (const QString repeat = repeatText(alarm); !repeat.isEmpty())
        text += QStringLiteral(" (%1)").arg(repeat);
    return text;
}

} // namespace Alarms
