#include "PollingEngine.h"

#include "Frames.h"
#include "RegisterMap.h"

using namespace RequestCodes;

namespace {

constexpr int RegisterMin = -32768;
constexpr int RegisterMax = 32767;

} // namespace

PollingEngine::PollingEngine(Link &link, Clock &clock, const QString &programFolder,
                             QObject *parent)
    : QObject(parent), m_link(link), m_clock(clock), m_programFolder(programFolder),
      m_decoder(m_state, m_table, m_display),
      m_trace(programFolder, [&clock] { return clock.now(); }),
      m_requests([this](const RequestFailure &failure) { emit requestFailed(failure); },
                 [this](QObject *requester) { emit requestDone(requester); }),
      m_poller(link, clock, m_state, m_table, m_decoder, m_trace, m_requests)
{
    connectPoller();
    connect(&m_link, &Link::lost, this, &PollingEngine::onLinkLost);
}

/// The loop's news is the engine's.
void PollingEngine::connectPoller()
{
    const LinePoller *poller = &m_poller;
    connect(poller, &LinePoller::identified, this, [this] {
        setOnline(true);
        setConnectCheckVisible(false);
    });
    connect(&poller->indicators(), &LineIndicators::sendChanged, this,
            &PollingEngine::sendIndicatorChanged);
    connect(&poller->indicators(), &LineIndicators::receiveChanged, this,
            &PollingEngine::receiveIndicatorChanged);
    connect(poller, &LinePoller::selectedDeviceChanged, this,
            &PollingEngine::selectedDeviceChanged);
    connect(poller, &LinePoller::selectedDisplayChanged, this,
            &PollingEngine::selectedDisplayChanged);
    connect(poller, &LinePoller::statusBlockDecoded, this, &PollingEngine::statusBlockDecoded);
    connect(poller, &LinePoller::parameterBlockDecoded, this,
            &PollingEngine::parameterBlockDecoded);
    connect(poller, &LinePoller::errorHistoryReceived, this, &PollingEngine::errorHistoryReceived);
    connect(poller, &LinePoller::memoryBlockPlaced, this, &PollingEngine::memoryBlockPlaced);
    connect(poller, &LinePoller::memoryReadCompleted, this, &PollingEngine::memoryReadCompleted);
    connect(poller, &LinePoller::memoryBlockSent, this, &PollingEngine::memoryBlockSent);
    connect(poller, &LinePoller::memorySendVerifying, this, &PollingEngine::memorySendVerifying);
    connect(poller, &LinePoller::memorySendCompleted, this, &PollingEngine::memorySendCompleted);
    connect(poller, &LinePoller::replyTimedOut, this, &PollingEngine::replyTimedOut);
    connect(poller, &LinePoller::requestFailed, this, &PollingEngine::requestFailed);
}

PollingEngine::~PollingEngine() = default;

void PollingEngine::startUp(const SettingsFiles::StartSettings &settings)
{
    m_state.TraceEnabled = settings.trace;
    m_trace.setEnabled(m_state.TraceEnabled);
    m_state.recording = settings.recording;
    setDeviceList(settings.devices);
    usePortSettings(settings.port);
}

void PollingEngine::usePortSettings(const PortSettings &settings)
{
    m_state.port = settings;
    m_state.ChecksumMode = Frames::checksumModeOf(settings.Protocol);
}

void PollingEngine::setDeviceList(const QList<int> &devices)
{
    m_requests.abandon(RequestFailure::Reason::Replaced);
    m_state.DeviceList = devices;
    m_state.LastIndex = std::max(0, int(devices.size()) - 1);
    m_table.reset(devices);
    m_poller.restartRotation();
    if (!isPortOpen())
        return;
    m_state.SelectedIndex = 0;
    m_state.SelectedDeviceNo = 0;
    m_requests.setCode(Identify);
    setOnline(false);
    setConnectCheckVisible(true);
}

LinkOpenResult PollingEngine::openPort()
{
    if (m_state.DeviceList.isEmpty()) {
        return LinkOpenResult{LinkOpenResult::Failure::Other,
                              QStringLiteral("사용할 기기가 없습니다. 멀티 설정에서 기기를 "
                                             "선택한 뒤 포트를 여십시오.")};
    }
    const PortSettings &port = m_state.port;
    const LinkOpenResult result = m_link.open(
        LinkSettings{port.PortName, port.BaudRate, port.ParityBit, port.DataBit, port.StopBit});
    if (!result.ok())
        return result;
    // Nothing asked for before the port opened goes out now: the line starts with
    // identification.
    m_requests.abandon(RequestFailure::Reason::LineClosed);
    m_requests.setCode(Identify);
    m_state.SelectedDeviceNo = 0;
    setConnectCheckVisible(true);
    m_poller.start();
    return result;
}

void PollingEngine::closePort()
{
    setOnline(false);
    m_requests.abandon(RequestFailure::Reason::LineClosed);
    m_poller.stop();
    m_link.close();
    setConnectCheckVisible(false);
    forgetLineState();
}

/// With the line closed nothing is known about any controller: their link cells go blank, they
/// count as neither connected nor running, and the selected controller's display is cleared.
/// After the next opening nothing is charted or recorded for a controller until a status block
/// of it has been decoded again.
void PollingEngine::forgetLineState()
{
    m_table.forgetLineState();
    clearDisplay();
}

/// Nothing is shown (or charted) for the selected controller until its next status block; the
/// unit stays, it rarely changes.
void PollingEngine::clearDisplay()
{
    const QString unit = m_display.unit;
    m_display = SelectedDisplay{};
    m_display.unit = unit;
    emit selectedDisplayChanged();
}

bool PollingEngine::isPortOpen() const
{
    return m_link.isOpen();
}

bool PollingEngine::selectDevice(int index)
{
    // Before the first identification pass is over the request slot belongs to identification.
    if (!m_online || index < 0 || index >= m_state.DeviceList.size() || !m_table.connected(index))
        return false;
    m_state.SelectedIndex = index;
    m_state.SelectedDeviceNo = m_state.DeviceList.at(index);
    m_requests.queueStatus();
    clearDisplay(); // the previous controller's values must not pass for this one's
    return true;
}

bool PollingEngine::isCurrent(int row) const
{
    if (row < 0 || row >= m_table.rowCount() || !m_table.connected(row))
        return false;
    const qint64 last = m_table.lastStatusMs(row);
    if (last < 0 || m_table.unansweredPolls(row) >= UnansweredToStale)
        return false;
    const qint64 connected = std::max(1, m_table.connectedCount());
    return m_clock.elapsedMs() - last <= StaleCycles * StaleMsPerController * connected;
}

QDateTime PollingEngine::lastStatusTime(int row) const
{
    if (row < 0 || row >= m_table.rowCount() || m_table.lastStatusMs(row) < 0)
        return {};
    return m_clock.now().addMSecs(m_table.lastStatusMs(row) - m_clock.elapsedMs());
}

// ---- Windows' requests --------------------------------------------------------------------

/// Fills the slot with a window's request for the controller deviceNo (0: the selected one),
/// replacing one not yet taken. A request that can never be sent is refused at once.
void PollingEngine::queueRequest(int code, int deviceNo, QObject *requester,
                                 const QList<int> &addresses, const QList<int> &values)
{
    Command command;
    command.deviceNo = deviceNo > 0 ? deviceNo : m_state.SelectedDeviceNo;
    command.addresses = addresses;
    command.values = values;
    command.decimals = m_state.DecimalPlaces;
    command.requester = requester;
    if (rowOf(command.deviceNo) < 0) {
        m_requests.refuse(code, command, RequestFailure::Reason::NoController);
        return;
    }
    if (isTransfer(code)) {
        // Temperatures are scaled by the controller's own decimal places: until its status
        // block has said them, a read would show and a send would write tenfold values.
        const auto decimals =
            m_table.value(rowOf(command.deviceNo), DeviceTable::Field::DecimalPlaces);
        if (!decimals) {
            m_requests.refuse(code, command, RequestFailure::Reason::NotReadYet);
            return;
        }
        command.decimals = *decimals;
    }
    if (code == Write &&
        !Frames::buildWrite(command.deviceNo, addresses, values, m_state.ChecksumMode)) {
        m_requests.refuse(code, command, RequestFailure::Reason::OutOfRange);
        return;
    }
    m_requests.queue(code, command);
}

void PollingEngine::readParameters(QObject *requester, int deviceNo)
{
    queueRequest(Parameters, deviceNo, requester);
}

void PollingEngine::writeRegister(int address, int value, int deviceNo, QObject *requester)
{
    if (value < RegisterMin || value > RegisterMax) {
        Command command;
        command.deviceNo = deviceNo > 0 ? deviceNo : m_state.SelectedDeviceNo;
        command.addresses = {address};
        command.values = {value};
        command.requester = requester;
        m_requests.refuse(Write, command, RequestFailure::Reason::OutOfRange);
        return;
    }
    queueRequest(Write, deviceNo, requester, {address}, {value});
}

void PollingEngine::readErrorHistory(QObject *requester, int deviceNo)
{
    queueRequest(Errors, deviceNo, requester);
}

void PollingEngine::readMemory(MemoryTable &table, QObject *requester, int deviceNo)
{
    queueRequest(FirstMemoryRead, deviceNo, requester);
    if (m_requests.pendingCode() == FirstMemoryRead)
        m_requests.pending().table = &table;
}

void PollingEngine::sendMemory(MemoryTable &table, QObject *requester, int deviceNo)
{
    queueRequest(FirstMemoryWrite, deviceNo, requester);
    if (m_requests.pendingCode() != FirstMemoryWrite)
        return;
    Command &pending = m_requests.pending();
    pending.table = &table;
    for (int block = 0; block < MemoryTable::BlockCount; ++block)
        pending.round.append(block);
}

int PollingEngine::rowOf(int deviceNo) const
{
    return deviceNo > 0 ? int(m_state.DeviceList.indexOf(deviceNo)) : -1;
}

void PollingEngine::onLinkLost(const QString &reason)
{
    m_poller.linkLost();
    closePort();
    emit portLost(reason);
}

void PollingEngine::setOnline(bool online)
{
    if (m_online == online)
        return;
    m_online = online;
    emit onlineChanged(online);
}

void PollingEngine::setConnectCheckVisible(bool visible)
{
    if (m_connectCheckVisible == visible)
        return;
    m_connectCheckVisible = visible;
    emit connectCheckVisibleChanged(visible);
}
