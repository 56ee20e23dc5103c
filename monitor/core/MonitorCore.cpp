#include "MonitorCore.h"

#include "SerialLink.h"
#include "SystemClock.h"

#include <QCoreApplication>

MonitorCore::MonitorCore(const QString &programFolder, const QString &defaultDataFolder,
                         QObject *parent)
    : QObject(parent), m_ownClock(std::make_unique<SystemClock>()),
      m_ownLink(std::make_unique<SerialLink>())
{
    m_engine = std::make_unique<PollingEngine>(*m_ownLink, *m_ownClock, programFolder);
    m_settings = std::make_unique<MonitorSettings>(*m_engine, programFolder, defaultDataFolder);
    m_ticker = std::make_unique<DisplayTicker>(*m_engine);
    m_alarms = std::make_unique<AlarmEngine>(*m_engine);
    m_publisher = std::make_unique<MqttPublisher>(*m_engine);
    serveLine();
}

MonitorCore::MonitorCore(Clock &clock, Link &link, const QString &programFolder,
                         const QString &defaultDataFolder, QObject *parent)
    : QObject(parent), m_engine(std::make_unique<PollingEngine>(link, clock, programFolder)),
      m_settings(std::make_unique<MonitorSettings>(*m_engine, programFolder, defaultDataFolder)),
      m_ticker(std::make_unique<DisplayTicker>(*m_engine)),
      m_alarms(std::make_unique<AlarmEngine>(*m_engine)),
      m_publisher(std::make_unique<MqttPublisher>(*m_engine))
{
    serveLine();
}

/// The publisher also serves the line: its retained topics and the requests from the broker.
void MonitorCore::serveLine()
{
    // Every trend record written goes out on the broker (and is kept for it in the file).
    connect(m_ticker.get(), &DisplayTicker::recordsWritten, m_publisher.get(),
            &MqttPublisher::recordsWritten);
    m_publisher->watchAlarms(*m_alarms);
    m_announcer = std::make_unique<LineAnnouncer>(*m_engine, *m_publisher,
                                                  QCoreApplication::applicationName());
    m_server = std::make_unique<LineServer>(*m_engine, *m_publisher, *m_alarms, *m_announcer);
}

MonitorCore::~MonitorCore() = default;

void MonitorCore::start()
{
    m_settings->load();
    m_ticker->start();
    m_alarms->start();
    m_publisher->start();
    m_server->refreshPolicy();
}
