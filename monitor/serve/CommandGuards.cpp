#include "CommandGuards.h"

#include "PollingEngine.h"
#include "RemoteFields.h"

namespace {

using F = DeviceTable::Field;
using Op = ServedRequest::Op;

/// The memory entries' ON and OFF times (minutes) as the memory window takes them.
constexpr double MaxEntryTime = 9999;

Refusal outOfRange(const QString &what)
{
    return {QStringLiteral("out_of_range"), QStringLiteral("범위를 벗어난 값입니다: %1").arg(what)};
}

} // namespace

std::optional<Refusal> CommandGuards::check(const ServedRequest &request) const
{
    if (!m_policy.enabled)
        return Refusal{QStringLiteral("commands_disabled"),
                       QStringLiteral("원격 조작이 허용되지 않았습니다")};
    if (!m_policy.users.contains(request.user))
        return Refusal{
            QStringLiteral("user_not_allowed"),
            QStringLiteral("사용자 %1에게는 원격 조작이 허용되지 않았습니다").arg(request.user)};
    if (request.retained)
        return Refusal{QStringLiteral("retained"),
                       QStringLiteral("보관(retained)된 요청은 실행하지 않습니다")};
    if (!request.expirySeconds || *request.expirySeconds > MaxExpirySeconds)
        return Refusal{QStringLiteral("expired"),
                       QStringLiteral("유효 시간(Message Expiry %1초 이하)이 없는 요청은 "
                                      "실행하지 않습니다")
                           .arg(MaxExpirySeconds)};
    if (auto refusal = checkDevice(request))
        return refusal;
    if (auto refusal = checkValue(request))
        return refusal;
    return request.op == Op::Acknowledge ? std::nullopt : checkBusy(request.device);
}

std::optional<Refusal> CommandGuards::checkDevice(const ServedRequest &request) const
{
    const int row = int(m_engine.state().DeviceList.indexOf(request.device));
    if (row < 0)
        return Refusal{QStringLiteral("unknown_device"),
                       QStringLiteral("기기 %1번은 기기 목록에 없습니다").arg(request.device)};
    // An alarm is acknowledged whatever its controller does (a link loss above all).
    if (request.op != Op::Acknowledge && !m_engine.isCurrent(row))
        return Refusal{QStringLiteral("not_current"),
                       QStringLiteral("기기 %1번이 응답하지 않습니다").arg(request.device)};
    return std::nullopt;
}

std::optional<Refusal> CommandGuards::checkValue(const ServedRequest &request) const
{
    const int row = int(m_engine.state().DeviceList.indexOf(request.device));
    const DeviceTable &table = m_engine.table();
    const auto limits = [&]() -> std::optional<RemoteFields::Range> {
        const auto upper = table.number(row, F::UpperLimit);
        const auto lower = table.number(row, F::LowerLimit);
        if (!upper || !lower)
            return std::nullopt;
        return RemoteFields::Range{*lower, *upper};
    };
    const auto setValueOk = [&](double value) {
        const auto range = limits();
        return range && value >= range->min && value <= range->max;
    };
    switch (request.op) {
    case Op::Write: {
        const auto target = RemoteFields::writable(request.field);
        if (!target)
            return Refusal{QStringLiteral("not_writable"),
                           QStringLiteral("쓸 수 없는 항목입니다: %1").arg(request.field)};
        const RemoteFields::Range range = RemoteFields::rangeOf(target->field);
        const int decimals = table.value(row, F::DecimalPlaces).value_or(0);
        if (request.value < range.min || request.value > range.max ||
            !RemoteFields::rawOf(*target, request.value, decimals))
            return outOfRange(QStringLiteral("%1 = %2").arg(request.field).arg(request.value));
        if (target->field == F::PreheatSv && !setValueOk(request.value))
            return outOfRange(QStringLiteral("%1 = %2 (기기의 하한~상한 온도 밖이거나 아직 "
                                             "읽지 않음)")
                                  .arg(request.field)
                                  .arg(request.value));
        return std::nullopt;
    }
    case Op::Run:
        if (!RemoteFields::command(request.command))
            return Refusal{QStringLiteral("not_writable"),
                           QStringLiteral("알 수 없는 명령입니다: %1").arg(request.command)};
        return std::nullopt;
    case Op::MemorySend:
        for (qsizetype i = 0; i < request.entries.size(); ++i) {
            const auto &[sv, on, off] = request.entries.at(i);
            if (!setValueOk(sv) || on < 0 || on > MaxEntryTime || off < 0 || off > MaxEntryTime)
                return outOfRange(QStringLiteral("entries[%1]").arg(i));
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<Refusal> CommandGuards::checkBusy(int deviceNo) const
{
    const qint64 endedAt = m_lastEndMs.value(deviceNo, -CommandGapMs);
    if (m_underWay.value(deviceNo) || m_engine.clock().elapsedMs() - endedAt < CommandGapMs)
        return Refusal{QStringLiteral("busy"),
                       QStringLiteral("기기 %1번에 다른 명령이 진행 중이거나 방금 끝났습니다 "
                                      "(1초 뒤에 다시)")
                           .arg(deviceNo)};
    return std::nullopt;
}

void CommandGuards::started(int deviceNo)
{
    m_underWay.insert(deviceNo, true);
}

void CommandGuards::ended(int deviceNo)
{
    m_underWay.remove(deviceNo);
    m_lastEndMs.insert(deviceNo, m_engine.clock().elapsedMs());
}
