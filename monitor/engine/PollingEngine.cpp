#include "PollingEngine.h"

#include "Frames.h"
#include "RegisterMap.h"

namespace {

using Kind = PollingEngine::RequestKind;

constexpr int code(Kind kind)
{
    return int(kind);
}

constexpr int CodeIdentify = code(Kind::Identification);
constexpr int CodeStatus = code(Kind::Status);
constexpr int CodeParameters = code(Kind::Parameters);
constexpr int CodeErrors = code(Kind::ErrorHistory);
constexpr int CodeFirstMemoryRead = code(Kind::MemoryRead);
constexpr int CodeLastMemoryRead = CodeFirstMemoryRead + MemoryTable::BlockCount - 1;
constexpr int CodeWrite = code(Kind::RegisterWrite);
constexpr int CodeFirstMemoryWrite = code(Kind::MemoryWrite);
constexpr int CodeLastMemoryWrite = CodeFirstMemoryWrite + MemoryTable::BlockCount - 1;
constexpr int TimeoutsToGiveUp = 3;
constexpr int ErrorCodeCount = 5;
/// Where a negative reply says "NG": after STX and the two device digits.
constexpr qsizetype NgOffset = 3;

constexpr int RegisterMin = -32768;
constexpr int RegisterMax = 32767;

bool isMemoryRead(int code)
{
    return code >= CodeFirstMemoryRead && code <= CodeLastMemoryRead;
}

bool isMemoryWrite(int code)
{
    return code >= CodeFirstMemoryWrite && code <= CodeLastMemoryWrite;
}

/// The register values a good reply to the request carries.
int expectedValues(int requestCode)
{
    if (requestCode == CodeStatus)
        return int(RegisterMap::statusRegisters().size());
    if (requestCode == CodeParameters)
        return int(RegisterMap::parameterBlock().size());
    if (requestCode == CodeErrors)
        return ErrorCodeCount;
    if (isMemoryRead(requestCode))
        return MemoryTable::BlockSize;
    return 0;
}

Kind kindOf(int requestCode)
{
    if (isMemoryRead(requestCode))
        return Kind::MemoryRead;
    if (isMemoryWrite(requestCode))
        return Kind::MemoryWrite;
    return Kind(requestCode);
}

} // namespace

PollingEngine::PollingEngine(Link &link, Clock &clock, const QString &programFolder,
                             const QString &defaultDataFolder, QObject *parent)
    : QObject(parent), m_link(link), m_clock(clock), m_programFolder(programFolder),
      m_defaultDataFolder(defaultDataFolder), m_files(programFolder),
      m_decoder(m_state, m_table, m_display),
      m_trace(programFolder, [&clock] { return clock.now(); })
{
    tmrSend = m_clock.createTimer([this] { onSendTick(); });
    tmrRecvErr = m_clock.createTimer([this] { onReplyTimeout(); });
    tmrBall_Send = m_clock.createTimer([this] { setSendLit(false); });
    tmrBall_Recv = m_clock.createTimer([this] { setReceiveLit(false); });
    m_readTimer = m_clock.createTimer([this] { onDeferredRead(); });
    connect(&m_link, &Link::readyRead, this, &PollingEngine::onReadyRead);
    connect(&m_link, &Link::lost, this, &PollingEngine::onLinkLost);
}

PollingEngine::~PollingEngine() = default;

void PollingEngine::startUp()
{
    startUp(m_files.LoadStartSettings(m_defaultDataFolder));
}

void PollingEngine::startUp(const SettingsFiles::StartSettings &settings)
{
    m_state.TraceEnabled = settings.trace;
    m_trace.setEnabled(m_state.TraceEnabled);
    m_state.recording = settings.recording;
    setDeviceList(settings.devices);
    usePortSettings(settings.port);
}

bool PollingEngine::applyPortSettings(const PortSettings &settings)
{
    const bool saved = m_files.SavePortSettings(settings);
    usePortSettings(settings);
    return saved;
}

void PollingEngine::usePortSettings(const PortSettings &settings)
{
    m_state.port = settings;
    m_state.ChecksumMode = Frames::checksumModeOf(settings.Protocol);
}

bool PollingEngine::applyRecordingSettings(const RecordingSettings &settings)
{
    const bool saved = m_files.SaveRecordingSettings(settings);
    m_state.recording = settings;
    return saved;
}

bool PollingEngine::applyDeviceList(const QList<DeviceListRow> &rows)
{
    const bool saved = m_files.SaveDeviceList(rows);
    QList<int> devices;
    for (int n = 1; n <= int(rows.size()); ++n) {
        if (rows.at(n - 1).inUse())
            devices.append(n);
    }
    setDeviceList(devices);
    return saved;
}

void PollingEngine::setDeviceList(const QList<int> &devices)
{
    abandonRequests(RequestFailure::Reason::Replaced);
    m_state.DeviceList = devices;
    m_state.LastIndex = std::max(0, int(devices.size()) - 1);
    m_table.reset(devices);
    m_currentIndex = 0;
    if (!isPortOpen())
        return;
    m_state.SelectedIndex = 0;
    m_state.SelectedDeviceNo = 0;
    m_requestCode = CodeIdentify;
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
    abandonRequests(RequestFailure::Reason::LineClosed);
    m_requestCode = CodeIdentify;
    m_currentIndex = 0;
    m_timeoutCount = 0;
    ReceiveBuffer.clear();
    m_arrived.clear();
    m_outstanding.reset();
    m_doubt.clear();
    m_state.SelectedDeviceNo = 0;
    setConnectCheckVisible(true);
    tmrSend->start(SendDelayMs);
    return result;
}

void PollingEngine::closePort()
{
    setOnline(false);
    tmrSend->stop();
    m_readTimer->stop();
    m_sendAfterRead = false;
    abandonRequests(RequestFailure::Reason::LineClosed);
    // Bytes that arrived but were never handled still belong in the trace.
    traceReceived(std::exchange(ReceiveBuffer, QByteArray()) + std::exchange(m_arrived, {}));
    m_link.close();
    m_doubt.clear();
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
    // The status request of the new pick takes the slot; a window's request still waiting in
    // it will not go out, and its window hears so.
    if (isWindowRequest(m_state.PendingRequest))
        refuse(m_state.PendingRequest, m_pending, RequestFailure::Reason::Replaced);
    m_state.PendingRequest = CodeStatus;
    m_pending = Command{};
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

bool PollingEngine::isBusy() const
{
    return isWindowRequest(m_state.PendingRequest) || isWindowRequest(m_requestCode);
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
        refuse(code, command, RequestFailure::Reason::NoController);
        return;
    }
    if (isMemoryRead(code) || isMemoryWrite(code)) {
        // Temperatures are scaled by the controller's own decimal places: until its status
        // block has said them, a read would show and a send would write tenfold values.
        const auto decimals =
            m_table.value(rowOf(command.deviceNo), DeviceTable::Field::DecimalPlaces);
        if (!decimals) {
            refuse(code, command, RequestFailure::Reason::NotReadYet);
            return;
        }
        command.decimals = *decimals;
    }
    if (code == CodeWrite &&
        !Frames::buildWrite(command.deviceNo, addresses, values, m_state.ChecksumMode)) {
        refuse(code, command, RequestFailure::Reason::OutOfRange);
        return;
    }
    m_state.AddressList = addresses;
    m_state.ValueList = values;
    m_state.PendingRequest = code;
    m_pending = command;
}

void PollingEngine::readParameters(QObject *requester, int deviceNo)
{
    queueRequest(CodeParameters, deviceNo, requester);
}

void PollingEngine::writeRegister(int address, int value, int deviceNo, QObject *requester)
{
    if (value < RegisterMin || value > RegisterMax) {
        Command command;
        command.deviceNo = deviceNo > 0 ? deviceNo : m_state.SelectedDeviceNo;
        command.addresses = {address};
        command.values = {value};
        command.requester = requester;
        refuse(CodeWrite, command, RequestFailure::Reason::OutOfRange);
        return;
    }
    queueRequest(CodeWrite, deviceNo, requester, {address}, {value});
}

void PollingEngine::readErrorHistory(QObject *requester)
{
    queueRequest(CodeErrors, 0, requester);
}

void PollingEngine::readMemory(MemoryTable &table, QObject *requester)
{
    queueRequest(CodeFirstMemoryRead, 0, requester);
    if (m_state.PendingRequest == CodeFirstMemoryRead)
        m_pending.table = &table;
}

void PollingEngine::sendMemory(MemoryTable &table, QObject *requester)
{
    queueRequest(CodeFirstMemoryWrite, 0, requester);
    if (m_state.PendingRequest != CodeFirstMemoryWrite)
        return;
    m_pending.table = &table;
    for (int block = 0; block < MemoryTable::BlockCount; ++block)
        m_pending.round.append(block);
}

bool PollingEngine::isWindowRequest(int code) const
{
    return code > 0 && code != CodeIdentify && code != CodeStatus;
}

RequestFailure PollingEngine::failureOf(int code, const Command &command,
                                        RequestFailure::Reason reason) const
{
    RequestFailure failure;
    failure.kind = kindOf(code);
    failure.reason = reason;
    failure.deviceNo = command.deviceNo;
    if (code == CodeWrite) {
        failure.address = command.addresses.value(0);
        failure.value = command.values.value(0);
    }
    if (isMemoryRead(code))
        failure.blocksDone = code - CodeFirstMemoryRead;
    if (isMemoryWrite(code))
        failure.blocksDone = command.resent ? MemoryTable::BlockCount : code - CodeFirstMemoryWrite;
    if (command.verifying) {
        // Reading a send back: every block went out.
        failure.kind = RequestKind::MemoryWrite;
        failure.blocksDone = MemoryTable::BlockCount;
    }
    if (reason == RequestFailure::Reason::Unverified)
        failure.blocks = command.differing;
    failure.requester = command.requester.data();
    return failure;
}

void PollingEngine::refuse(int code, const Command &command, RequestFailure::Reason reason)
{
    emit requestFailed(failureOf(code, command, reason));
}

/// The window's request under way is given up; polling goes on at once.
void PollingEngine::dropCommand(RequestFailure::Reason reason)
{
    const RequestFailure failure = failureOf(m_requestCode, m_command, reason);
    finishCommand();
    m_currentIndex = connectedIndexOrFirst(m_currentIndex);
    emit requestFailed(failure);
}

void PollingEngine::finishCommand()
{
    m_command = Command{};
    m_requestCode = CodeStatus;
    m_failuresInRow = 0;
}

/// Empties the slot and ends the window's request under way, telling their windows.
void PollingEngine::abandonRequests(RequestFailure::Reason reason)
{
    const int pendingCode = std::exchange(m_state.PendingRequest, 0);
    const Command pending = std::exchange(m_pending, Command{});
    if (isWindowRequest(pendingCode))
        refuse(pendingCode, pending, reason);
    if (!isWindowRequest(m_requestCode))
        return;
    const int code = m_requestCode;
    const Command running = m_command;
    finishCommand();
    refuse(code, running, reason);
}

int PollingEngine::NextIndex() const
{
    const int next = m_currentIndex + 1;
    return next > m_state.LastIndex ? 0 : next;
}

int PollingEngine::NextConnectedIndex(int start) const
{
    if (start > m_state.LastIndex)
        start = 0;
    for (int i = std::max(0, start); i < m_table.rowCount(); ++i) {
        if (m_table.connected(i))
            return i;
    }
    return -1;
}

bool PollingEngine::AnyConnected() const
{
    return m_table.connectedCount() > 0;
}

/// The first connected index from start, then from 0; 0 when no device is connected at all,
/// so the index always stays inside the list.
int PollingEngine::connectedIndexOrFirst(int start) const
{
    int index = NextConnectedIndex(start);
    if (index < 0)
        index = NextConnectedIndex(0);
    return std::max(index, 0);
}

int PollingEngine::rowOf(int deviceNo) const
{
    return deviceNo > 0 ? int(m_state.DeviceList.indexOf(deviceNo)) : -1;
}

// ---- Scheduler ----------------------------------------------------------------------------

void PollingEngine::onSendTick()
{
    tmrSend->stop();
    if (m_readTimer->isActive()) {
        m_sendAfterRead = true;
        return;
    }
    if (m_state.DeviceList.isEmpty())
        return;
    if (m_currentIndex < 0 || m_currentIndex > m_state.LastIndex)
        m_currentIndex = 0;
    // Whatever arrived before this request goes out cannot be its reply.
    traceReceived(std::exchange(ReceiveBuffer, QByteArray()));
    if (m_state.PendingRequest > 0)
        takePendingRequest();
    setSendLit(true);
    tmrBall_Send->start(IndicatorMs);

    const int deviceNo = targetDeviceNo();
    const std::optional<QByteArray> frame = buildRequest(deviceNo);
    if (!frame) {
        // Nothing can be sent for this request, so no reply or time-out would ever re-arm the
        // tick: drop it and go back to status polling.
        const bool transfer = isMemoryRead(m_requestCode) || isMemoryWrite(m_requestCode);
        if (transfer && !m_command.table)
            finishCommand(); // its window closed: nobody is left to tell
        else if (isWindowRequest(m_requestCode))
            dropCommand(RequestFailure::Reason::OutOfRange);
        else
            m_requestCode = CodeStatus;
        tmrSend->start(SendDelayMs);
        return;
    }
    transmit(*frame, deviceNo);
}

/// The slot's request replaces whatever ran before (identification, polling, a transfer). A
/// memory transfer cut short that way is reported, so its window does not wait for ever.
void PollingEngine::takePendingRequest()
{
    const int code = std::exchange(m_state.PendingRequest, 0);
    if ((isMemoryRead(m_requestCode) || isMemoryWrite(m_requestCode)) && m_command.table)
        refuse(m_requestCode, m_command, RequestFailure::Reason::Replaced);
    m_requestCode = code;
    m_command = std::exchange(m_pending, Command{});
    m_failuresInRow = 0;
}

/// Identification and status go to the polled controller; a window's request to the
/// controller it was queued for.
int PollingEngine::targetDeviceNo() const
{
    if (m_requestCode == CodeIdentify || m_requestCode == CodeStatus)
        return m_state.DeviceList.at(m_currentIndex);
    return m_command.deviceNo;
}

std::optional<QByteArray> PollingEngine::buildRequest(int deviceNo)
{
    const Frames::ChecksumMode mode = m_state.ChecksumMode;
    const int code = m_requestCode;
    if (code == CodeIdentify)
        return Frames::buildWho(deviceNo, mode);
    if (code == CodeStatus)
        return Frames::buildRead(deviceNo, RegisterMap::statusRegisters(), mode);
    if (code == CodeParameters)
        return Frames::buildRead(deviceNo, RegisterMap::parameterRegisters(), mode);
    if (code == CodeErrors)
        return Frames::buildRead(deviceNo, RegisterMap::errorRegisters(), mode);
    if (isMemoryRead(code)) {
        if (!m_command.table)
            return std::nullopt;
        return Frames::buildRead(deviceNo, RegisterMap::memoryBlock(code - CodeFirstMemoryRead),
                                 mode);
    }
    if (code == CodeWrite) {
        if (m_command.addresses.isEmpty() || m_command.values.isEmpty())
            return std::nullopt;
        return Frames::buildWrite(deviceNo, {m_command.addresses.first()},
                                  {m_command.values.first()}, mode);
    }
    if (isMemoryWrite(code))
        return buildMemoryWrite(code - CodeFirstMemoryWrite);
    return std::nullopt;
}

/// Fills AddressList and ValueList with block b of the memory table as it stands now and frames
/// the write. Nothing is sent once the table is gone, nor a block with a value its register
/// cannot hold.
std::optional<QByteArray> PollingEngine::buildMemoryWrite(int block)
{
    if (!m_command.table)
        return std::nullopt;
    // A block sent again goes out as it went the first time.
    const QList<int> values = m_command.resent
                                  ? m_command.sent.at(block)
                                  : m_command.table->blockValues(block, m_command.decimals);
    const bool fits = std::all_of(values.begin(), values.end(), [](int value) {
        return value >= RegisterMin && value <= RegisterMax;
    });
    if (!fits)
        return std::nullopt;
    m_state.AddressList = RegisterMap::memoryBlock(block);
    m_state.ValueList = values;
    m_command.sent[block] = values;
    return Frames::buildWrite(m_command.deviceNo, m_state.AddressList, m_state.ValueList,
                              m_state.ChecksumMode);
}

/// The transmit sequence: trace the frame whether or not the port is open; when it is open,
/// start the reply time-out and put the frame and a 0x00 byte on the line under RTS.
void PollingEngine::transmit(const QByteArray &frame, int deviceNo)
{
    m_trace.WriteTrace(frame, false);
    if (!m_link.isOpen())
        return;
    Outstanding request;
    request.deviceNo = deviceNo;
    request.row = rowOf(deviceNo);
    request.command = frame.mid(3, 3);
    request.valueCount = m_requestCode == CodeIdentify ? -1 : expectedValues(m_requestCode);
    request.sentMs = m_clock.elapsedMs();
    m_outstanding = request;
    if (m_requestCode == CodeStatus)
        noteUnanswered(request.row);
    tmrRecvErr->start(ReplyTimeoutMs);
    m_link.transmit(frame + QByteArray(1, '\0'));
}

// ---- Receiving ----------------------------------------------------------------------------

/// Handling of arrived bytes waits 200 ms, like the controller's reply pause. They are traced
/// when handled: a reply once it is complete, anything else once it is dropped.
void PollingEngine::onReadyRead()
{
    const QByteArray bytes = m_link.readAll();
    if (bytes.isEmpty())
        return;
    m_arrived += bytes;
    m_lastArrivalMs = m_clock.elapsedMs();
    if (m_readTimer->isActive())
        return;
    tmrRecvErr->stop();
    setReceiveLit(true);
    tmrBall_Recv->start(IndicatorMs);
    m_readTimer->start(ReadDelayMs);
}

void PollingEngine::onDeferredRead()
{
    m_arrived += m_link.readAll();
    const QByteArray bytes = std::exchange(m_arrived, QByteArray());
    processBytes(bytes);
    if (m_outstanding)
        armReplyDeadline();
    if (std::exchange(m_sendAfterRead, false) && !tmrSend->isActive())
        onSendTick();
}

/// The request is still unanswered after a read (nothing arrived for it, or what arrived was
/// not its reply): its time-out runs on from when it was sent, and a reply that has begun gets
/// 600 ms from its last byte, so a reply cut short never stops polling.
void PollingEngine::armReplyDeadline()
{
    qint64 deadline = m_outstanding->sentMs + ReplyTimeoutMs;
    if (!ReceiveBuffer.isEmpty())
        deadline = std::max(deadline, m_lastArrivalMs + ReplyTimeoutMs);
    tmrRecvErr->start(int(std::max<qint64>(0, deadline - m_clock.elapsedMs())));
}

/// Assembles replies from STX to LF. Bytes outside a reply (before its STX) are noise and are
/// dropped; an "NG" at bytes 3-4 from the asked controller ends the reply early. Each reply is
/// traced once, whole; dropped bytes are traced as one line when they are dropped. False when
/// the event was abandoned.
bool PollingEngine::processBytes(const QByteArray &bytes)
{
    QByteArray noise;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes.at(i);
        if (byte == Frames::STX) {
            traceReceived(std::exchange(noise, QByteArray()));
            traceReceived(ReceiveBuffer); // a reply cut short by the next one
            ReceiveBuffer = QByteArray(1, byte);
            continue;
        }
        if (ReceiveBuffer.isEmpty()) {
            noise += byte;
            continue;
        }
        ReceiveBuffer += byte;
        if (byte == Frames::LF) {
            const QByteArray reply = std::exchange(ReceiveBuffer, QByteArray());
            traceReceived(reply);
            const Handling handling = handleCompleteReply(reply);
            if (handling == Handling::Fault) {
                traceReceived(bytes.sliced(i + 1));
                abandonEvent();
                return false;
            }
            if (handling == Handling::Done)
                armSend();
            continue;
        }
        if (ReceiveBuffer.size() > MaxReplyBytes) {
            traceReceived(std::exchange(ReceiveBuffer, QByteArray()));
            continue;
        }
        if (isEarlyNegative(ReceiveBuffer)) {
            // The rest of this read is dropped.
            traceReceived(std::exchange(ReceiveBuffer, QByteArray()) + bytes.sliced(i + 1));
            const int row = std::exchange(m_outstanding, std::nullopt)->row;
            m_table.setLinkState(row, LinkState::Negative);
            if (m_requestCode != CodeIdentify)
                countFailure(Outcome::Negative, row);
            armSend();
            return true;
        }
    }
    traceReceived(noise);
    return true;
}

/// An "NG" at bytes 3-4 of a reply from the controller that was asked.
bool PollingEngine::isEarlyNegative(const QByteArray &buffer) const
{
    if (buffer.size() != NgOffset + 2 || buffer.at(NgOffset) != 'N' ||
        buffer.at(NgOffset + 1) != 'G')
        return false;
    return m_outstanding && Frames::replyShape(buffer).deviceNo == m_outstanding->deviceNo;
}

/// A reply answers the request on the line only when one is outstanding, it comes from that
/// request's controller and it answers that command (or refuses it) with the values asked for.
/// A reply that came too late for its own request, or from another controller, answers nothing.
bool PollingEngine::answersOutstanding(const QByteArray &reply) const
{
    if (!m_outstanding)
        return false;
    const Frames::ReplyShape shape = Frames::replyShape(reply);
    if (shape.deviceNo != m_outstanding->deviceNo)
        return false;
    if (shape.command == "NG")
        return true;
    if (m_state.ChecksumMode == Frames::ChecksumMode::Sum && m_requestCode != CodeIdentify &&
        !Frames::ReplyChecksumValid(reply))
        return true; // its controller answered, corrupted: judged as a checksum error
    if (shape.command != m_outstanding->command)
        return false;
    return !shape.ok || m_outstanding->valueCount < 0 ||
           shape.valueCount == m_outstanding->valueCount;
}

void PollingEngine::traceReceived(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        m_trace.WriteTrace(bytes, true);
}

/// A fault while handling a reply: the bytes still waiting are thrown away and polling goes on.
void PollingEngine::abandonEvent()
{
    m_link.discardInput();
    ReceiveBuffer.clear();
    armSend();
}

void PollingEngine::armSend()
{
    if (m_requestCode > 0)
        tmrSend->start(SendDelayMs);
}

PollingEngine::Handling PollingEngine::handleCompleteReply(const QByteArray &reply)
{
    if (!answersOutstanding(reply)) {
        noteStray(reply);
        return Handling::Dropped;
    }
    const Outstanding answered = *std::exchange(m_outstanding, std::nullopt);
    const int row = answered.row;
    if (m_state.DeviceList.isEmpty() || row < 0 || row > m_state.LastIndex)
        return Handling::Fault;
    if (m_requestCode == CodeIdentify) {
        handleIdentification(reply);
        return Handling::Done;
    }
    Outcome outcome = Outcome::Good;
    if (m_state.ChecksumMode == Frames::ChecksumMode::Sum && !Frames::ReplyChecksumValid(reply))
        outcome = Outcome::ChecksumError;
    else if (!reply.contains("OK"))
        outcome = Outcome::Negative;
    if (outcome != Outcome::Good) {
        m_link.discardInput();
        markFailure(outcome, row);
        return Handling::Done;
    }
    const ReplyDoubt::Shape shape = shapeOf(answered);
    const bool inDoubt = m_doubt.inDoubt(shape, m_clock.elapsedMs());
    markGood(row);
    if (!confirmRead(reply, shape, inDoubt))
        return Handling::Done; // the same read goes out again
    return handleGoodReply(reply, row, inDoubt) ? Handling::Done : Handling::Fault;
}

/// A reply that answered nothing may be the late answer to an earlier request: replies of its
/// shape from its controller are in doubt for a while.
void PollingEngine::noteStray(const QByteArray &reply)
{
    const Frames::ReplyShape shape = Frames::replyShape(reply);
    if (shape.deviceNo > 0 && shape.ok)
        m_doubt.noteSurprise({shape.deviceNo, shape.command, shape.valueCount},
                             m_clock.elapsedMs());
}

ReplyDoubt::Shape PollingEngine::shapeOf(const Outstanding &request)
{
    return {request.deviceNo, request.command, request.valueCount};
}

/// A window's read whose reply may be a late answer to an earlier request of its shape is taken
/// only when two reads in a row agree: a controller's registers do not change between two
/// reads of one block, while a late reply to another block differs from the next reply. False
/// when the read goes out again; after ReadsInDoubtToGiveUp reads the request is given up.
bool PollingEngine::confirmRead(const QByteArray &reply, const ReplyDoubt::Shape &shape,
                                bool inDoubt)
{
    const int code = m_requestCode;
    if (code != CodeParameters && code != CodeErrors && !isMemoryRead(code))
        return true;
    const auto values = Frames::replyValues(reply, expectedValues(code));
    if (!inDoubt || !values || m_command.unconfirmed == values) {
        m_command.unconfirmed.reset();
        m_command.readsInDoubt = 0;
        return true;
    }
    if (m_command.unconfirmed)
        m_doubt.noteSurprise(shape, m_clock.elapsedMs()); // they disagreed: a reply is late
    m_command.unconfirmed = values;
    if (++m_command.readsInDoubt >= ReadsInDoubtToGiveUp)
        dropCommand(RequestFailure::Reason::Unconfirmed);
    return false;
}

void PollingEngine::markGood(int row)
{
    m_failuresInRow = 0;
    if (m_requestCode == CodeWrite)
        return;
    m_table.setLinkState(row, LinkState::Good);
    m_table.setPickerState(row, LinkState::Good);
}

/// A refused or corrupted reply: the controller's row is marked and the request goes out again
/// at the next tick, up to three times in a row.
void PollingEngine::markFailure(Outcome outcome, int row)
{
    m_table.setLinkState(row, outcome == Outcome::Negative ? LinkState::Negative
                                                           : LinkState::ChecksumError);
    if (m_requestCode != CodeWrite)
        m_table.setPickerState(row, LinkState::Failed);
    countFailure(outcome, row);
}

/// The third failure in a row gives the request up: a status read moves on to the next
/// controller, a window's request is dropped and its window told.
void PollingEngine::countFailure(Outcome outcome, int row)
{
    if (++m_failuresInRow < FailuresToGiveUp)
        return;
    m_failuresInRow = 0;
    m_table.setPickerState(row, LinkState::Failed);
    if (m_requestCode == CodeStatus) {
        m_currentIndex = connectedIndexOrFirst(m_currentIndex + 1);
        return;
    }
    using Reason = RequestFailure::Reason;
    dropCommand(outcome == Outcome::Negative        ? Reason::Negative
                : outcome == Outcome::ChecksumError ? Reason::Corrupt
                                                    : Reason::NoReply);
}

/// A status request went out to the controller; a good reply cancels it.
void PollingEngine::noteUnanswered(int row)
{
    if (row >= 0 && row < m_table.rowCount())
        m_table.noteUnansweredPoll(row);
}

bool PollingEngine::handleGoodReply(const QByteArray &reply, int row, bool inDoubt)
{
    const int code = m_requestCode;
    if (code == CodeStatus) {
        m_table.setConnected(row, true);
        if (!m_decoder.DecodeStatusBlock(reply, row))
            return false;
        m_table.noteStatusBlock(row, m_clock.elapsedMs());
        emit statusBlockDecoded(row);
        if (row == m_state.SelectedIndex)
            emit selectedDisplayChanged();
        m_currentIndex = connectedIndexOrFirst(row + 1);
    } else if (code == CodeParameters) {
        if (!m_decoder.DecodeParameterBlock(reply, row))
            return false;
        finishCommand();
        emit parameterBlockDecoded(row);
        m_currentIndex = connectedIndexOrFirst(0);
    } else if (code == CodeErrors) {
        const auto codes = Frames::replyValues(reply, ErrorCodeCount);
        if (!codes)
            return false;
        finishCommand();
        emit errorHistoryReceived(*codes);
        m_currentIndex = connectedIndexOrFirst(0);
    } else if (isMemoryRead(code)) {
        const bool verifying = m_command.verifying; // reading a send back moves on by itself
        if (!handleMemoryBlock(code - CodeFirstMemoryRead, reply))
            return false;
        if (verifying)
            return true;
        m_requestCode = code + 1;
        if (code == CodeLastMemoryRead) {
            finishCommand();
            const int next = connectedIndexOrFirst(0) + 1;
            m_currentIndex = next > m_state.LastIndex ? 0 : next;
        }
    } else if (code == CodeWrite) {
        m_requestCode = CodeParameters; // the same controller's block is read back
    } else if (isMemoryWrite(code)) {
        m_command.sendInDoubt = m_command.sendInDoubt || inDoubt;
        emit memoryBlockSent(code - CodeFirstMemoryWrite);
        advanceSend(code - CodeFirstMemoryWrite);
    }
    return true;
}

/// On to the round's next block. After its last the send is done, unless a write met a
/// time-out or an acknowledgement in doubt (or blocks were sent again): then an acknowledgement
/// may have belonged to another block, and the round's blocks are read back first.
void PollingEngine::advanceSend(int block)
{
    const QList<int> &round = m_command.round;
    const qsizetype next = round.indexOf(block) + 1;
    if (next > 0 && next < round.size()) {
        m_requestCode = CodeFirstMemoryWrite + round.at(next);
        return;
    }
    if (!m_command.sendInDoubt && !m_command.resent) {
        completeSend();
        return;
    }
    m_command.verifying = true;
    m_command.differing.clear();
    m_requestCode = CodeFirstMemoryRead + round.first();
    emit memorySendVerifying();
}

/// A block of a send read back: it must hold what went out.
void PollingEngine::verifyBlock(int block, const QList<int> &values)
{
    if (values != m_command.sent.at(block))
        m_command.differing.append(block);
    const QList<int> &round = m_command.round;
    const qsizetype next = round.indexOf(block) + 1;
    if (next > 0 && next < round.size())
        m_requestCode = CodeFirstMemoryRead + round.at(next);
    else
        finishVerification();
}

/// Every block holds what was sent: done. Blocks that differ are sent once more and read back
/// again; still differing, they are reported by block.
void PollingEngine::finishVerification()
{
    if (m_command.differing.isEmpty()) {
        completeSend();
        return;
    }
    if (m_command.resent) {
        dropCommand(RequestFailure::Reason::Unverified);
        return;
    }
    m_command.resent = true;
    m_command.verifying = false;
    m_command.round = std::exchange(m_command.differing, {});
    m_requestCode = CodeFirstMemoryWrite + m_command.round.first();
}

void PollingEngine::completeSend()
{
    finishCommand();
    emit memorySendCompleted();
}

/// Places a read block into the table of the read under way, while it exists; the last block
/// completes the read.
bool PollingEngine::handleMemoryBlock(int block, const QByteArray &reply)
{
    const auto values = Frames::replyValues(reply, MemoryTable::BlockSize);
    if (!values)
        return false;
    MemoryTable *table = m_command.table;
    if (!table)
        return true;
    if (m_command.verifying) {
        verifyBlock(block, *values);
        return true;
    }
    table->placeBlock(block, *values, m_command.decimals);
    emit memoryBlockPlaced(block);
    if (block == MemoryTable::BlockCount - 1)
        emit memoryReadCompleted();
    return true;
}

/// Identification replies are not judged by checksum or "OK": a reply naming a "ZQ5" controller
/// connects the device; anything else leaves everything as it was and the device is asked again.
void PollingEngine::handleIdentification(const QByteArray &reply)
{
    if (!reply.contains("ZQ5"))
        return;
    m_table.setConnected(m_currentIndex, true);
    m_table.setPickerState(m_currentIndex, LinkState::Good);
    if (m_state.SelectedDeviceNo == 0) {
        m_state.SelectedIndex = m_currentIndex;
        m_state.SelectedDeviceNo = m_state.DeviceList.at(m_currentIndex);
        emit selectedDeviceChanged(m_state.SelectedDeviceNo);
    }
    m_currentIndex = NextIndex();
    if (m_currentIndex == 0)
        finishIdentificationPass();
}

/// Every device has been asked once: go online when any answered, otherwise start over.
void PollingEngine::finishIdentificationPass()
{
    if (!AnyConnected()) {
        m_currentIndex = 0;
        return;
    }
    m_currentIndex = NextConnectedIndex(0);
    setOnline(true);
    setConnectCheckVisible(false);
    m_requestCode = CodeStatus;
}

void PollingEngine::onReplyTimeout()
{
    tmrRecvErr->stop();
    const std::optional<Outstanding> request = std::exchange(m_outstanding, std::nullopt);
    traceReceived(std::exchange(ReceiveBuffer, QByteArray())); // a reply abandoned unfinished
    if (m_state.DeviceList.isEmpty())
        return;
    const int polled = std::clamp(m_currentIndex, 0, m_state.LastIndex);
    const int row = request && request->row >= 0 ? request->row : polled;
    m_table.setLinkState(row, LinkState::TimedOut);
    if (request) {
        // Its reply may still come, and would look like the answer to the next of its shape.
        m_doubt.noteSurprise(shapeOf(*request), m_clock.elapsedMs());
        if (isMemoryWrite(m_requestCode))
            m_command.sendInDoubt = true;
    }
    emit replyTimedOut(row);
    bool movedOn = false;
    if (++m_timeoutCount == TimeoutsToGiveUp) {
        m_timeoutCount = 0;
        m_table.setPickerState(row, LinkState::Failed);
        if (m_requestCode == CodeIdentify) {
            m_table.setConnected(polled, false);
            m_currentIndex = NextIndex();
            if (m_currentIndex == 0)
                finishIdentificationPass();
        } else {
            m_currentIndex = connectedIndexOrFirst(m_currentIndex + 1);
            movedOn = m_requestCode == CodeStatus;
        }
    }
    if (movedOn)
        m_failuresInRow = 0;
    else if (m_requestCode != CodeIdentify)
        countFailure(Outcome::TimedOut, row);
    tmrSend->start(SendDelayMs);
}

void PollingEngine::onLinkLost(const QString &reason)
{
    tmrRecvErr->stop();
    m_outstanding.reset();
    closePort();
    emit portLost(reason);
}

// ---- Window state -------------------------------------------------------------------------

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

void PollingEngine::setSendLit(bool lit)
{
    if (m_sendLit == lit)
        return;
    m_sendLit = lit;
    emit sendIndicatorChanged(lit);
}

void PollingEngine::setReceiveLit(bool lit)
{
    if (m_receiveLit == lit)
        return;
    m_receiveLit = lit;
    emit receiveIndicatorChanged(lit);
}
