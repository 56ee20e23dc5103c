#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

/// What an alarm is about, per controller.
enum class AlarmKind {
    LinkLoss,  ///< "통신 이상": given up after its time-outs
    High,      ///< "상한 경보": PV above the high limit
    Low,       ///< "하한 경보": PV below the low limit
    Deviation, ///< "편차 경보": |PV - SV| above the limit while running
    Device,    ///< "기기 경보": the controller's BUZZER bit (STATUS bit 8)
};

/// The alarm states of the alarm-management standards (ISA-18.2).
enum class AlarmState {
    Normal,
    ActiveUnacknowledged,
    ActiveAcknowledged,
    /// Cleared before anyone acknowledged it: it stays until acknowledged.
    ReturnedUnacknowledged,
};

/// A step of an alarm as the journal records it.
enum class AlarmStep { Raised, Acknowledged, Cleared };

/// One controller's alarm of one kind, while it is not normal.
struct Alarm
{
    int deviceNo = 0;
    AlarmKind kind = AlarmKind::LinkLoss;
    AlarmState state = AlarmState::Normal;
    /// The last raise; while unacknowledged a raise again counts up from the first.
    QDateTime raised;
    QDateTime firstRaised;
    int raiseCount = 0;
    QDateTime acknowledged;
    QDateTime cleared;
    /// The value and the limit when it was raised, as the journal writes them (empty: none).
    QString value;
    QString limit;

    bool isActive() const
    {
        return state == AlarmState::ActiveUnacknowledged || state == AlarmState::ActiveAcknowledged;
    }
    bool isUnacknowledged() const
    {
        return state == AlarmState::ActiveUnacknowledged ||
               state == AlarmState::ReturnedUnacknowledged;
    }
};

/// A transition as it happened: what the journal gets a line for.
struct AlarmTransition
{
    QDateTime time;
    int deviceNo = 0;
    AlarmKind kind = AlarmKind::LinkLoss;
    AlarmStep step = AlarmStep::Raised;
    QString value;
    QString limit;
};

namespace Alarms {

/// The value a clear carries when a changed or removed limit, not the value, ended the alarm.
inline const QString ClearedBySettings = QStringLiteral("설정 변경으로 해제");

/// "통신 이상", "상한 경보", ...
QString kindText(AlarmKind kind);
/// The short name a chart mark carries: "통신", "상한", ...
QString shortText(AlarmKind kind);
/// "발생", "확인", "해제".
QString stepText(AlarmStep step);
/// "미확인", "확인", "해제 미확인".
QString stateText(AlarmState state);
std::optional<AlarmKind> kindOf(const QString &text);
std::optional<AlarmStep> stepOf(const QString &text);

/// The state after a step, as the alarm engine applies it live and to a journal replayed.
AlarmState after(AlarmState state, AlarmStep step);
/// The alarm after a transition: its state and the times and values that go with it. A raise
/// before the last one was acknowledged counts (raiseCount) and keeps the first time.
Alarm advanced(Alarm alarm, const AlarmTransition &transition);
/// The alarms that are not normal once the transitions (oldest first) have happened, oldest
/// raise first.
QList<Alarm> standing(const QList<AlarmTransition> &transitions);
/// "3회, 첫 발생 10:27:00" for an alarm raised again before acknowledgement; empty otherwise.
QString repeatText(const Alarm &alarm);
/// "10:30:12 02 Oven B 상한 경보 (3회, 첫 발생 10:27:00)": when, which controller, what.
QString summaryText(const Alarm &alarm, const QString &channelName = {});

} // namespace Alarms
