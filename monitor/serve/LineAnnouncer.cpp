#include "LineAnnouncer.h"

#include "LineTopics.h"
#include "MqttPublisher.h"
#include "PollingEngine.h"
#include "SettingsFiles.h"
#include "Version.h"

#include <QSysInfo>

LineAnnouncer::LineAnnouncer(PollingEngine &engine, MqttPublisher &publisher,
                             const QString &program, QObject *parent)
    : QObject(parent), m_engine(engine), m_publisher(publisher), m_program(program)
{
    connect(&m_publisher, &MqttPublisher::connected, this, &LineAnnouncer::publishAll);
    connect(&m_engine, &PollingEngine::onlineChanged, this, [this](bool online) {
        if (!online)
            forgetBlocks();
        publishLine();
    });
    connect(&m_engine.table(), &QAbstractItemModel::modelReset, this, [this] {
        m_parametersTime.clear();
        m_connected.clear();
        publishLine();
    });
    connect(&m_engine, &PollingEngine::statusBlockDecoded, this, [this](int row) {
        onConnectedChange(row);
        publishRegisters(row);
    });
    connect(&m_engine, &PollingEngine::replyTimedOut, this, &LineAnnouncer::onConnectedChange);
    connect(&m_engine, &PollingEngine::parameterBlockDecoded, this, [this](int row) {
        m_parametersTime.insert(row, m_engine.clock().now());
        publishParameters(row);
    });
}

void LineAnnouncer::setCommands(bool enabled, const QStringList &users)
{
    if (enabled == m_commandsEnabled && users == m_commandUsers)
        return;
    m_commandsEnabled = enabled;
    m_commandUsers = users;
    publishLine();
}

QDateTime LineAnnouncer::parametersTime(int row) const
{
    return m_parametersTime.value(row);
}

QString LineAnnouncer::topic(int row, const QString &suffix) const
{
    return QStringLiteral("%1/%2/%3")
        .arg(m_publisher.topicPrefix())
        .arg(m_engine.table().deviceNo(row), 2, 10, QLatin1Char('0'))
        .arg(suffix);
}

/// P/line follows a controller's connected flag.
void LineAnnouncer::onConnectedChange(int row)
{
    const bool connected = m_engine.table().connected(row);
    if (m_connected.contains(row) && m_connected.value(row) == connected)
        return;
    m_connected.insert(row, connected);
    publishLine();
}

void LineAnnouncer::publishLine()
{
    LineTopics::Line line;
    line.program = m_program;
    line.host = QSysInfo::machineHostName();
    line.version = QString::fromLatin1(Version::Number);
    line.portOpen = m_engine.isPortOpen();
    line.protocol = m_engine.state().port.Protocol;
    const QList<DeviceListRow> rows = SettingsFiles(m_engine.programFolder()).LoadDeviceListRows();
    const DeviceTable &table = m_engine.table();
    for (int row = 0; row < table.rowCount(); ++row) {
        const int deviceNo = table.deviceNo(row);
        line.devices.append({deviceNo,
                             deviceNo <= rows.size() ? rows.at(deviceNo - 1).name : QString(),
                             table.connected(row)});
    }
    line.commandsEnabled = m_commandsEnabled;
    line.commandUsers = m_commandUsers;
    line.time = m_engine.clock().now();
    m_publisher.connection().publish(m_publisher.topicPrefix() + QStringLiteral("/line"),
                                     LineTopics::line(line));
}

void LineAnnouncer::publishRegisters(int row)
{
    if (const auto payload =
            LineTopics::registers(m_engine.table(), row, m_engine.lastStatusTime(row)))
        m_publisher.connection().publish(topic(row, QStringLiteral("registers")), *payload);
}

void LineAnnouncer::publishParameters(int row)
{
    const QDateTime time = m_parametersTime.value(row);
    if (!time.isValid())
        return;
    if (const auto payload = LineTopics::parameters(m_engine.table(), row, time))
        m_publisher.connection().publish(topic(row, QStringLiteral("parameters")), *payload);
}

/// The line closed (or starts identifying again): no block read before stays on the broker as
/// if it were current.
void LineAnnouncer::forgetBlocks()
{
    m_parametersTime.clear();
    for (int row = 0; row < m_engine.table().rowCount(); ++row) {
        for (const QString &suffix : {QStringLiteral("registers"), QStringLiteral("parameters")})
            m_publisher.connection().publish(topic(row, suffix), QByteArray()); // retained: gone
    }
}

void LineAnnouncer::publishAll()
{
    publishLine();
    for (int row = 0; row < m_engine.table().rowCount(); ++row) {
        if (m_engine.isPortOpen())
            publishRegisters(row);
        publishParameters(row);
    }
}
