#include "AlarmEngine.h"

#include "AlarmSettingsFile.h"

#include "AlarmJournal.h"
#include "PollingEngine.h"

#include <algorithm>
#include <cmath>

namespace {

using F = DeviceTable::Field;

} // namespace

AlarmEngine::AlarmEngine(PollingEngine &engine, QObject *parent) : QObject(parent), m_engine(engine)
{
    connect(&m_engine, &PollingEngine::statusBlockDecoded, this, &AlarmEngine::onStatusBlock);
    connect(&m_engine, &PollingEngine::portLost, this, &AlarmEngine::onPortLost);
    connect(&m_engine.table(), &QAbstractItemModel::modelReset, this, &AlarmEngine::reloadNames);
    m_linkTimer = m_engine.clock().createTimer([this] {
        onLinkCheck();
        m_linkTimer->start(LinkCheckMs);
    });
}

AlarmEngine::~AlarmEngine() = default;

void AlarmEngine::start()
{
    const AlarmSettings::Read read = AlarmSettingsFile(m_engine.programFolder()).load();
    m_settings = read.settings;
    m_settingsError = read.error;
    reloadNames();
    restore();
    m_linkTimer->start(LinkCheckMs);
}

bool AlarmEngine::apply(const AlarmSettings &settings)
{
    m_settings = settings;
    m_settingsError.clear();
    return AlarmSettingsFile(m_engine.programFolder()).save(settings);
}

QString AlarmEngine::settingsPath() const
{
    return AlarmSettingsFile(m_engine.programFolder()).path();
}

QList<Alarm> AlarmEngine::alarms() const
{
    QList<Alarm> alarms = m_alarms.values();
    std::stable_sort(alarms.begin(), alarms.end(),
                     [](const Alarm &a, const Alarm &b) { return a.raised > b.raised; });
    return alarms;
}

int AlarmEngine::unacknowledgedCount() const
{
    return int(std::count_if(m_alarms.cbegin(), m_alarms.cend(),
                             [](const Alarm &alarm) { return alarm.isUnacknowledged(); }));
}

bool AlarmEngine::hasAlarm(int deviceNo) const
{
    return std::any_of(m_alarms.cbegin(), m_alarms.cend(),
                       [deviceNo](const Alarm &alarm) { return alarm.deviceNo == deviceNo; });
}

QString AlarmEngine::journalFolder() const
{
    return m_engine.state().recording.DataFolder;
}

QDate AlarmEngine::today() const
{
    return m_engine.clock().now().date();
}

void AlarmEngine::acknowledge(int deviceNo, AlarmKind kind)
{
    const auto alarm = m_alarms.constFind(keyOf(deviceNo, kind));
    if (alarm != m_alarms.cend() && alarm->isUnacknowledged())
        step(deviceNo, kind, AlarmStep::Acknowledged, alarm->value, alarm->limit);
}

void AlarmEngine::acknowledgeAll()
{
    const QList<Alarm> all = m_alarms.values();
    for (const Alarm &alarm : all)
        acknowledge(alarm.deviceNo, alarm.kind);
}

/// A fresh status block: the limits and the controller's own alarm of its controller.
void AlarmEngine::onStatusBlock(int row)
{
    const DeviceTable &table = m_engine.table();
    const int deviceNo = table.deviceNo(row);
    const AlarmLimits limits = m_settings.of(deviceNo);
    const auto pv = table.number(row, F::Pv);
    const auto sv = table.number(row, F::Sv);
    const int decimals = std::clamp(table.value(row, F::DecimalPlaces).value_or(0), 0, 3);
    const int status = table.value(row, F::Status).value_or(0);
    const bool buzzer = status & (1 << BuzzerBit);
    judge(deviceNo, AlarmKind::Device, buzzer, !buzzer, 0, {}, {});
    if (!pv)
        return;

    judgeLimit(deviceNo, AlarmKind::High, limits.High, true, *pv, true, limits, decimals);
    judgeLimit(deviceNo, AlarmKind::Low, limits.Low, false, *pv, true, limits, decimals);
    if (sv)
        judgeLimit(deviceNo, AlarmKind::Deviation, limits.Deviation, true, std::abs(*pv - *sv),
                   table.running(row), limits, decimals);
    else
        judge(deviceNo, AlarmKind::Deviation, false, true, 0, {}, {});
}

void AlarmEngine::judgeLimit(int deviceNo, AlarmKind kind, const std::optional<double> &limit,
                             bool above, double measured, bool armed, const AlarmLimits &limits,
                             int decimals)
{
    const auto beyond = [&](double at) {
        return armed && (above ? measured > at : measured < at);
    };
    const auto within = [&](double at) {
        return !armed ||
               (above ? measured < at - limits.Deadband : measured > at + limits.Deadband);
    };
    const auto text = [decimals](double number) {
        return QString::number(number, 'f', decimals);
    };
    const bool inside = !limit || within(*limit);
    // Still beyond the limit it was raised against: only the settings ended it.
    bool bySettings = false;
    if (const Alarm alarm = m_alarms.value(keyOf(deviceNo, kind)); alarm.isActive() && inside) {
        bool numeric = false;
        const double raisedAt = alarm.limit.toDouble(&numeric);
        bySettings = numeric && !within(raisedAt);
    }
    judge(deviceNo, kind, limit && beyond(*limit), inside, limit ? limits.OnDelay : 0,
          text(measured), limit ? text(*limit) : QString(), bySettings);
}

/// Links: a controller given up raises its alarm, one that answers again clears it. With the
/// port closed on purpose nothing is judged.
void AlarmEngine::onLinkCheck()
{
    m_current.clear();
    if (!m_engine.isPortOpen())
        return;
    const DeviceTable &table = m_engine.table();
    for (int row = 0; row < table.rowCount(); ++row) {
        const bool current = m_engine.isCurrent(row);
        if (current)
            m_current.append(table.deviceNo(row));
        judge(table.deviceNo(row), AlarmKind::LinkLoss, linkLost(row), current, 0, {}, {});
    }
}

/// The port went away (an adapter pulled out): every controller that answered is lost.
void AlarmEngine::onPortLost()
{
    const QList<int> lost = std::exchange(m_current, {});
    for (const int deviceNo : lost)
        judge(deviceNo, AlarmKind::LinkLoss, true, false, 0, {}, {});
}

void AlarmEngine::reloadNames()
{
    m_names.clear();
    const QList<DeviceListRow> rows = SettingsFiles(m_engine.programFolder()).LoadDeviceListRows();
    for (int i = 0; i < rows.size(); ++i)
        m_names.insert(i + 1, rows.at(i).name);
}

/// The journal of the last days replayed: what was not normal when the monitor stopped is so
/// again, with its times.
void AlarmEngine::restore()
{
    const QDate today = m_engine.clock().now().date();
    const QList<AlarmTransition> transitions =
        AlarmJournal::read(journalFolder(), today.addDays(1 - AlarmJournal::RestoreDays), today);
    for (const Alarm &alarm : Alarms::standing(transitions))
        m_alarms.insert(keyOf(alarm.deviceNo, alarm.kind), alarm);
}

void AlarmEngine::judge(int deviceNo, AlarmKind kind, bool beyond, bool within, int onDelaySeconds,
                        const QString &value, const QString &limit, bool bySettings)
{
    const int key = keyOf(deviceNo, kind);
    Watch &watch = m_watches[key];
    if (const Alarm alarm = m_alarms.value(key); alarm.isActive()) {
        watch.crossedSinceMs.reset();
        if (within)
            step(deviceNo, kind, AlarmStep::Cleared, bySettings ? Alarms::ClearedBySettings : value,
                 alarm.limit);
        return;
    }
    if (!beyond) {
        watch.crossedSinceMs.reset();
        return;
    }
    const qint64 now = m_engine.clock().elapsedMs();
    if (!watch.crossedSinceMs)
        watch.crossedSinceMs = now;
    if (now - *watch.crossedSinceMs < qint64(onDelaySeconds) * 1000)
        return;
    watch.crossedSinceMs.reset();
    step(deviceNo, kind, AlarmStep::Raised, value, limit);
}

void AlarmEngine::step(int deviceNo, AlarmKind kind, AlarmStep step, const QString &value,
                       const QString &limit)
{
    const int key = keyOf(deviceNo, kind);
    Alarm alarm = m_alarms.value(key);
    alarm.deviceNo = deviceNo;
    alarm.kind = kind;
    const AlarmTransition transition{m_engine.clock().now(), deviceNo, kind, step, value, limit};
    alarm = Alarms::advanced(alarm, transition);
    if (alarm.state == AlarmState::Normal)
        m_alarms.remove(key);
    else
        m_alarms.insert(key, alarm);
    if (AlarmJournal::append(journalFolder(), transition, channelName(deviceNo)))
        m_journalFailures = 0;
    else
        ++m_journalFailures;
    emit transitioned(transition, alarm);
}

bool AlarmEngine::linkLost(int row) const
{
    const DeviceTable &table = m_engine.table();
    if (table.lastStatusMs(row) >= 0)
        return !m_engine.isCurrent(row);
    return table.pickerState(row) == LinkState::Failed;
}
