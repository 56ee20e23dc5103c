#include "ServiceRunner.h"

#include "AlarmJournal.h"
#include "MqttSettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

ServiceRunner::ServiceRunner(const QString &programFolder, const QString &defaultDataFolder,
                             QObject *parent)
    : QObject(parent), m_core(programFolder, defaultDataFolder)
{
    connectCore();
}

ServiceRunner::ServiceRunner(Clock &clock, Link &link, const QString &programFolder,
                             const QString &defaultDataFolder, QObject *parent)
    : QObject(parent), m_core(clock, link, programFolder, defaultDataFolder)
{
    connectCore();
}

void ServiceRunner::connectCore()
{
    PollingEngine &engine = m_core.engine();
    connect(&engine, &PollingEngine::portLost, this, &ServiceRunner::onPortLost);
    connect(&engine, &PollingEngine::sendIndicatorChanged, this, [this](bool lit) {
        if (lit)
            ++m_sentSinceTick;
    });
    connect(&engine, &PollingEngine::statusBlockDecoded, this, [this](int row) {
        const int deviceNo = m_core.engine().table().deviceNo(row);
        if (!m_answered.contains(deviceNo)) {
            m_answered.insert(deviceNo);
            log(QStringLiteral("기기 %1 응답: 폴링 중").arg(deviceNo, 2, 10, QLatin1Char('0')));
        }
    });
    connect(&m_core.alarms(), &AlarmEngine::transitioned, this,
            [this](const AlarmTransition &transition) {
                // Its next status block says it answers again (once, not at the clear too).
                if (transition.kind == AlarmKind::LinkLoss && transition.step == AlarmStep::Raised)
                    m_answered.remove(transition.deviceNo);
                log(QStringLiteral("경보: %1")
                        .arg(AlarmJournal::lineOf(transition,
                                                  m_core.alarms().channelName(transition.deviceNo))
                                 .replace(QLatin1Char('\t'), QLatin1Char(' '))
                                 .simplified()));
            });
    connect(&m_core.publisher(), &MqttPublisher::statusChanged, this, &ServiceRunner::logMqtt);
    connect(&m_core.publisher(), &MqttPublisher::notice, this,
            [this](const QString &text) { log(QStringLiteral("MQTT: %1").arg(text)); });
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &ServiceRunner::openPort);
    connect(&m_watchdog, &QTimer::timeout, this, &ServiceRunner::onWatchdogTick);
}

ServiceRunner::~ServiceRunner() = default;

void ServiceRunner::start()
{
    m_core.start();
    const SharedState &state = m_core.engine().state();
    QStringList devices;
    for (const int deviceNo : state.DeviceList)
        devices.append(QStringLiteral("%1").arg(deviceNo, 2, 10, QLatin1Char('0')));
    log(QStringLiteral("시작: 프로그램 폴더 %1, 기기 %2")
            .arg(m_core.engine().programFolder(),
                 devices.isEmpty() ? QStringLiteral("없음") : devices.join(QLatin1Char(' '))));
    describeRecording();
    if (const QString warning = MqttSettingsFile(m_core.engine().programFolder()).passwordWarning();
        !warning.isEmpty())
        log(QStringLiteral("경고: %1").arg(warning));
    m_started = true;
    logMqtt(m_core.publisher().status()); // what the broker's connection came to at the start
    if (const int pingMs = SystemdNotifier::watchdogPingMs(); pingMs > 0) {
        m_watchdog.start(pingMs);
        log(QStringLiteral("워치독: %1 ms마다").arg(pingMs));
    }
    openPort();
}

void ServiceRunner::stop()
{
    m_notifier.stopping();
    m_retry.stop();
    m_watchdog.stop();
    if (m_core.engine().isPortOpen())
        m_core.engine().closePort();
    log(QStringLiteral("정지: 통신포트를 닫았습니다"));
}

/// Opens the port; while it cannot be opened, tries again every 5 s, saying so once per change.
void ServiceRunner::openPort()
{
    const PortSettings &port = m_core.engine().state().port;
    const LinkOpenResult result = m_core.engine().openPort();
    if (result.ok()) {
        m_lastFailure.clear();
        m_answered.clear();
        log(QStringLiteral("통신포트 열림: %1 (%2,%3,%4,%5 %6)")
                .arg(port.PortName, port.BaudRate, port.ParityBit, port.DataBit, port.StopBit,
                     port.Protocol));
        setStatus(QStringLiteral("%1에서 기기 %2대 폴링")
                      .arg(port.PortName)
                      .arg(m_core.engine().state().DeviceList.size()));
        if (!m_ready) {
            m_ready = true;
            m_notifier.ready();
        }
        return;
    }
    if (result.description != m_lastFailure) {
        m_lastFailure = result.description;
        log(QStringLiteral("통신포트 %1을(를) 열 수 없습니다: %2 (%3초마다 다시 시도)")
                .arg(port.PortName, result.description)
                .arg(RetryMs / 1000));
        setStatus(QStringLiteral("%1 기다리는 중: %2").arg(port.PortName, result.description));
    }
    m_retry.start();
}

void ServiceRunner::onPortLost(const QString &reason)
{
    log(QStringLiteral("통신포트가 끊어졌습니다: %1 (%2초마다 다시 시도)")
            .arg(reason)
            .arg(RetryMs / 1000));
    m_lastFailure.clear();
    m_retry.start();
}

/// The watchdog is fed only while the polling loop advances: requests go out, or the port is
/// being tried again. A loop that stopped leaves systemd to restart the service.
void ServiceRunner::onWatchdogTick()
{
    const bool advancing = m_core.engine().isPortOpen() ? m_sentSinceTick > 0 : m_retry.isActive();
    m_sentSinceTick = 0;
    if (advancing)
        m_notifier.watchdog();
}

void ServiceRunner::describeRecording()
{
    const RecordingSettings &recording = m_core.engine().state().recording;
    if (!recording.isOn()) {
        log(QStringLiteral("기록: 하지 않음 (CFG/SaveData.INI)"));
        return;
    }
    log(QStringLiteral("기록: %1초마다 운전 중인 기기를 %2에")
            .arg(recording.intervalSeconds())
            .arg(QDir(recording.DataFolder)
                     .filePath(recording.DataFilePrefix + QStringLiteral("_NN.DAT"))));
    // A folder on a drive not mounted is not made here (it would fill the system disk).
    if (!QFileInfo(recording.DataFolder).isDir())
        log(QStringLiteral("기록: 저장폴더 %1이(가) 없어 기록하지 못합니다")
                .arg(recording.DataFolder));
}

/// The broker's state after the start line, each change once.
void ServiceRunner::logMqtt(const MqttStatus &status)
{
    if (!m_started || status.state == MqttState::Off)
        return;
    MqttStatus withoutBacklog = status;
    withoutBacklog.backlog = 0;
    const QString text = withoutBacklog.text();
    if (text != m_lastMqtt) {
        m_lastMqtt = text;
        log(QStringLiteral("MQTT: %1").arg(text));
    }
    // The backlog is said when a replay starts and when it is done, not at every record.
    if ((status.backlog > 0) != m_replaying) {
        m_replaying = status.backlog > 0;
        log(m_replaying ? QStringLiteral("MQTT: %1").arg(MqttStatus::backlogText(status.backlog))
                        : QStringLiteral("MQTT: 밀린 기록을 모두 보냈습니다"));
    }
}

void ServiceRunner::log(const QString &line) const
{
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

void ServiceRunner::setStatus(const QString &line)
{
    m_notifier.status(line);
}
