#include "MqttPublisher.h"

#include "MqttSettingsFile.h"

#include "AlarmEngine.h"
#include "PollingEngine.h"

#include <QDir>

MqttPublisher::MqttPublisher(PollingEngine &engine, QObject *parent)
    : QObject(parent), m_engine(engine)
{
    connect(&m_engine, &PollingEngine::statusBlockDecoded, this, &MqttPublisher::onStatusBlock);
    connect(&m_engine.table(), &QAbstractItemModel::modelReset, this,
            &MqttPublisher::onDeviceListReset);
    connect(&m_connection, &MqttConnection::connected, this, &MqttPublisher::onConnected);
    connect(&m_connection, &MqttConnection::messageReceived, this, &MqttPublisher::requestReceived);
    connect(&m_connection, &MqttConnection::statusChanged, this,
            [this] { emit statusChanged(status()); });
    connect(&m_forwarder, &RecordForwarder::backlogChanged, this,
            [this] { emit statusChanged(status()); });
    connect(&m_forwarder, &RecordForwarder::notice, this, &MqttPublisher::notice);
    m_linkTimer = m_engine.clock().createTimer([this] {
        onLinkCheck();
        m_linkTimer->start(LinkCheckMs);
    });
}

MqttPublisher::~MqttPublisher() = default;

void MqttPublisher::start()
{
    const MqttSettings::Read read = MqttSettingsFile(m_engine.programFolder()).load();
    use(read.settings, read.error);
}

bool MqttPublisher::apply(const MqttSettings &settings)
{
    const bool saved = MqttSettingsFile(m_engine.programFolder()).save(settings);
    use(settings, MqttSettingsFile(m_engine.programFolder()).problem(settings));
    return saved;
}

void MqttPublisher::watchAlarms(const AlarmEngine &alarms)
{
    m_alarms = &alarms;
    connect(&alarms, &AlarmEngine::transitioned, this, &MqttPublisher::onAlarm);
}

QString MqttPublisher::settingsPath() const
{
    return MqttSettingsFile(m_engine.programFolder()).path();
}

QStringList MqttPublisher::settingsWarnings() const
{
    QStringList warnings;
    if (status().state == MqttState::SettingsError)
        warnings.append(status().text());
    if (const QString warning = MqttSettingsFile(m_engine.programFolder()).passwordWarning();
        !warning.isEmpty())
        warnings.append(warning);
    return warnings;
}

MqttStatus MqttPublisher::status() const
{
    if (!m_settingsError.isEmpty())
        return {MqttState::SettingsError, m_settingsError, 0};
    MqttStatus status = m_connection.status();
    if (status.state == MqttState::Connected)
        status.backlog = m_forwarder.backlog();
    return status;
}

/// Takes settings: connects with them when they switch publishing on and can be used.
void MqttPublisher::use(const MqttSettings &settings, const QString &error)
{
    m_settings = settings;
    m_settingsError = error;
    m_connection.close();
    m_forwarder.stop();
    m_alarmEvents.stop();
    m_announced.clear();
    m_linkTimer->stop();
    onDeviceListReset();
    if (error.isEmpty() && settings.Enabled) {
        MqttSettings connection = settings;
        if (!connection.CaFile.isEmpty())
            connection.CaFile = QDir(m_engine.programFolder()).absoluteFilePath(settings.CaFile);
        connection.Prefix = settings.topicPrefix(m_instance); // the client id follows it
        m_topics = ControllerTopics(connection.Prefix);
        m_forwarder.start(m_topics.prefix(), settings.ReplayDays);
        m_alarmEvents.start(m_topics.alarms(), m_engine.state().recording.DataFolder,
                            settings.ReplayDays);
        m_connection.open(connection, m_topics.status(),
                          {m_topics.prefix() + QStringLiteral("/request/+")});
        m_linkTimer->start(LinkCheckMs);
    }
    emit statusChanged(status());
}

void MqttPublisher::onStatusBlock(int row)
{
    if (m_connection.isConnected())
        publishRow(row, false);
}

/// The link of every controller follows the engine: lost once it stops answering, unknown when
/// the port closes.
void MqttPublisher::onLinkCheck()
{
    if (!m_connection.isConnected())
        return;
    const DeviceTable &table = m_engine.table();
    for (int row = 0; row < table.rowCount(); ++row) {
        if (const auto link = linkOf(row))
            send(table.deviceNo(row), QStringLiteral("link"), *link, false);
    }
}

/// A new connection: every topic is brought up to date once. A controller that answers has
/// all of them published; one that no longer does (or the port is closed) its link and its
/// last state, which carries its time, so no old value is passed off as new.
void MqttPublisher::onConnected()
{
    m_announced.clear();
    m_alarmEvents.replay(m_engine.clock().now());
    if (m_alarms) {
        QSet<int> devices = m_alarmDevices;
        for (const Alarm &alarm : m_alarms->alarms())
            devices.insert(alarm.deviceNo);
        for (const int deviceNo : devices)
            publishAlarmList(deviceNo);
    }
    const DeviceTable &table = m_engine.table();
    QSet<int> published;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (!m_engine.isCurrent(row))
            continue;
        publishRow(row, true);
        published.insert(table.deviceNo(row));
    }
    const QList<int> known = m_sent.keys();
    for (const int deviceNo : known) {
        if (published.contains(deviceNo))
            continue;
        const int row = m_engine.state().DeviceList.indexOf(deviceNo);
        const QByteArray link =
            (row >= 0 ? linkOf(row) : std::nullopt).value_or(ControllerTopics::LinkUnknown);
        const QByteArray state = m_sent.value(deviceNo).value(QStringLiteral("state")).payload;
        send(deviceNo, QStringLiteral("link"), link, true);
        if (!state.isEmpty())
            send(deviceNo, QStringLiteral("state"), state, true);
    }
    emit connected();
}

void MqttPublisher::onAlarm(const AlarmTransition &transition)
{
    m_alarmEvents.live(transition);
    if (m_connection.isConnected())
        publishAlarmList(transition.deviceNo);
}

void MqttPublisher::publishAlarmList(int deviceNo)
{
    QList<Alarm> list;
    for (const Alarm &alarm : m_alarms->alarms()) {
        if (alarm.deviceNo == deviceNo)
            list.append(alarm);
    }
    if (m_connection.publish(m_topics.of(deviceNo, QStringLiteral("alarm")),
                             ControllerTopics::alarmList(list)))
        m_alarmDevices.insert(deviceNo);
}

/// The device list changed: names are read again; a controller no longer in it is unknown.
void MqttPublisher::onDeviceListReset()
{
    m_names.clear();
    const QList<DeviceListRow> rows = SettingsFiles(m_engine.programFolder()).LoadDeviceListRows();
    for (int i = 0; i < rows.size(); ++i)
        m_names.insert(i + 1, rows.at(i).name);
    if (!m_connection.isConnected())
        return;
    const QList<int> known = m_sent.keys();
    for (const int deviceNo : known) {
        if (!m_engine.state().DeviceList.contains(deviceNo))
            send(deviceNo, QStringLiteral("link"), ControllerTopics::LinkUnknown, false);
    }
}

void MqttPublisher::publishRow(int row, bool force)
{
    const DeviceTable &table = m_engine.table();
    const int deviceNo = table.deviceNo(row);
    const auto link = linkOf(row);
    if (!link)
        return;
    if (m_settings.Discovery && !m_announced.contains(deviceNo))
        announce(row);
    for (const auto &[suffix, payload] : ControllerTopics::plainPayloads(table, row))
        send(deviceNo, suffix, payload, force);
    send(deviceNo, QStringLiteral("link"), *link, force);
    send(deviceNo, QStringLiteral("state"),
         ControllerTopics::stateJson(table, row, nameOf(deviceNo), *link,
                                     m_engine.lastStatusTime(row)),
         true);
}

void MqttPublisher::announce(int row)
{
    const DeviceTable &table = m_engine.table();
    const int deviceNo = table.deviceNo(row);
    const bool fahrenheit = table.value(row, DeviceTable::Field::Unit).value_or(0) > 0;
    bool sent = true;
    for (const auto &[topic, payload] : m_topics.discovery(deviceNo, nameOf(deviceNo), fahrenheit))
        sent = m_connection.publish(topic, payload) && sent;
    if (sent)
        m_announced.insert(deviceNo);
}

bool MqttPublisher::send(int deviceNo, const QString &suffix, const QByteArray &payload, bool force)
{
    const qint64 now = m_engine.clock().elapsedMs();
    const auto device = m_sent.constFind(deviceNo);
    const Sent last = device != m_sent.cend() ? device->value(suffix) : Sent{};
    const bool due = force || last.payload != payload || now - last.atMs >= RefreshMs;
    if (!due || !m_connection.publish(m_topics.of(deviceNo, suffix), payload))
        return false;
    m_sent[deviceNo][suffix] = {payload, now};
    return true;
}

/// The link topic of a row: ok while it answers, lost once it no longer does, unknown with the
/// port closed; nothing for a controller that has not answered since the port opened and was
/// never published.
std::optional<QByteArray> MqttPublisher::linkOf(int row) const
{
    const DeviceTable &table = m_engine.table();
    const bool published = m_sent.contains(table.deviceNo(row));
    if (!m_engine.isPortOpen() || table.lastStatusMs(row) < 0) {
        if (published)
            return ControllerTopics::LinkUnknown;
        return std::nullopt;
    }
    return m_engine.isCurrent(row) ? ControllerTopics::LinkOk : ControllerTopics::LinkLost;
}

QString MqttPublisher::nameOf(int deviceNo) const
{
    return m_names.value(deviceNo);
}
