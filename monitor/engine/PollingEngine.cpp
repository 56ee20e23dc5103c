#include "PollingEngine.h"

#include "Frames.h"

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

const QList<int> ErrorRegisters = {700, 701, 702, 703, 704};

bool isMemoryRead(int code)
{
    return code >= CodeFirstMemoryRead && code <= CodeLastMemoryRead;
}

bool isMemoryWrite(int code)
{
    return code >= CodeFirstMemoryWrite && code <= CodeLastMemoryWrite;
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

void PollingEngine::applyPortSettings(const PortSettings &settings)
{
    m_files.SavePortSettings(settings);
    usePortSettings(settings);
}

void PollingEngine::usePortSettings(const PortSettings &settings)
{
    m_state.port = settings;
    m_state.ChecksumMode = Frames::checksumModeOf(settings.Protocol);
}

void PollingEngine::applyRecordingSettings(const RecordingSettings &settings)
{
    m_files.SaveRecordingSettings(settings);
    m_state.recording = settings;
}

void PollingEngine::applyDeviceList(const QList<DeviceListRow> &rows)
{
    m_files.SaveDeviceList(rows);
    QList<int> devices;
    for (int n = 1; n <= int(rows.size()); ++n) {
        if (rows.at(n - 1).inUse())
            devices.append(n);
    }
    setDeviceList(devices);
}

void PollingEngine::setDeviceList(const QList<int> &devices)
{
    m_state.DeviceList = devices;
    m_state.ConnectedFlags = QList<bool>(devices.size(), false);
    m_state.RunFlags = QList<bool>(devices.size(), false);
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
    m_requestCode = CodeIdentify;
    m_currentIndex = 0;
    const PortSettings &port = m_state.port;
    const LinkOpenResult result = m_link.open(
        LinkSettings{port.PortName, port.BaudRate, port.ParityBit, port.DataBit, port.StopBit});
    if (!result.ok())
        return result;
    ReceiveBuffer.clear();
    m_arrived.clear();
    m_awaitingReply = false;
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
    // Bytes that arrived but were never handled still belong in the trace.
    traceReceived(std::exchange(ReceiveBuffer, QByteArray()) + std::exchange(m_arrived, {}));
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
    m_state.ConnectedFlags.fill(false);
    m_state.RunFlags.fill(false);
    for (int row = 0; row < m_table.rowCount(); ++row) {
        m_table.setLinkState(row, LinkState::Unknown);
        m_table.setPickerState(row, LinkState::Unknown);
    }
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
    if (!m_online || index < 0 || index >= m_state.DeviceList.size() ||
        !m_state.ConnectedFlags.at(index))
        return false;
    m_state.SelectedIndex = index;
    m_state.SelectedDeviceNo = m_state.DeviceList.at(index);
    m_state.PendingRequest = CodeStatus;
    clearDisplay(); // the previous controller's values must not pass for this one's
    return true;
}

void PollingEngine::queueRequest(int code, const QList<int> &addresses, const QList<int> &values)
{
    m_state.AddressList = addresses;
    m_state.ValueList = values;
    m_state.PendingRequest = code;
    m_writeDeviceNo = 0;
}

void PollingEngine::readParameters()
{
    queueRequest(CodeParameters);
}

void PollingEngine::writeRegister(int address, int value, int deviceNo)
{
    queueRequest(CodeWrite, {address}, {value});
    m_writeDeviceNo = deviceNo;
}

void PollingEngine::readErrorHistory()
{
    queueRequest(CodeErrors);
}

void PollingEngine::readMemory(MemoryTable &table)
{
    m_memoryTable = &table;
    queueRequest(CodeFirstMemoryRead);
}

void PollingEngine::sendMemory(MemoryTable &table)
{
    m_memoryTable = &table;
    queueRequest(CodeFirstMemoryWrite);
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
    for (int i = std::max(0, start); i < m_state.ConnectedFlags.size(); ++i) {
        if (m_state.ConnectedFlags[i])
            return i;
    }
    return -1;
}

bool PollingEngine::AnyConnected() const
{
    return m_state.ConnectedFlags.contains(true);
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
    const int deviceNo = m_state.DeviceList.at(m_currentIndex);
    traceReceived(std::exchange(ReceiveBuffer, QByteArray()));
    if (m_state.PendingRequest > 0) {
        m_requestCode = m_state.PendingRequest;
        m_state.PendingRequest = 0;
    }
    setSendLit(true);
    tmrBall_Send->start(IndicatorMs);

    const std::optional<QByteArray> frame = buildRequest(deviceNo);
    if (!frame) {
        // Nothing can be sent for this request, so no reply or time-out would ever re-arm the
        // tick: drop it and go back to status polling.
        emit requestRefused(kindOf(m_requestCode));
        m_requestCode = CodeStatus;
        tmrSend->start(SendDelayMs);
        return;
    }
    transmit(*frame);
}

std::optional<QByteArray> PollingEngine::buildRequest(int deviceNo)
{
    const Frames::ChecksumMode mode = m_state.ChecksumMode;
    const int selected = m_state.SelectedDeviceNo;
    const int code = m_requestCode;
    if (code == CodeIdentify)
        return Frames::buildWho(deviceNo, mode);
    if (code == CodeStatus)
        return Frames::buildRead(deviceNo, StatusDecoder::statusRegisters(), mode);
    if (code == CodeParameters)
        return Frames::buildRead(selected, StatusDecoder::parameterRegisters(), mode);
    if (code == CodeErrors)
        return Frames::buildRead(selected, ErrorRegisters, mode);
    if (isMemoryRead(code)) {
        return Frames::buildRead(selected, MemoryTable::blockRegisters(code - CodeFirstMemoryRead),
                                 mode);
    }
    if (code == CodeWrite) {
        if (m_state.AddressList.isEmpty() || m_state.ValueList.isEmpty())
            return std::nullopt;
        return Frames::buildWrite(m_writeDeviceNo > 0 ? m_writeDeviceNo : selected,
                                  {m_state.AddressList.first()}, {m_state.ValueList.first()}, mode);
    }
    if (isMemoryWrite(code))
        return buildMemoryWrite(code - CodeFirstMemoryWrite);
    return std::nullopt;
}

/// Fills AddressList and ValueList with block b of the memory table as it stands now and frames
/// the write. Nothing is sent once the table is gone.
std::optional<QByteArray> PollingEngine::buildMemoryWrite(int block)
{
    if (!m_memoryTable)
        return std::nullopt;
    m_state.AddressList = MemoryTable::blockRegisters(block);
    m_state.ValueList = m_memoryTable->blockValues(block, m_state.DecimalPlaces);
    return Frames::buildWrite(m_state.SelectedDeviceNo, m_state.AddressList, m_state.ValueList,
                              m_state.ChecksumMode);
}

/// The transmit sequence: trace the frame whether or not the port is open; when it is open,
/// start the reply time-out and put the frame and a 0x00 byte on the line under RTS.
void PollingEngine::transmit(const QByteArray &frame)
{
    m_trace.WriteTrace(frame, false);
    if (!m_link.isOpen())
        return;
    tmrRecvErr->start(ReplyTimeoutMs);
    m_awaitingReply = true;
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
    if (m_awaitingReply) {
        // A reply has begun but not ended: give it the rest of 600 ms from its last byte, then
        // handle it as a time-out, so a reply cut short never stops polling.
        const qint64 quiet = m_clock.elapsedMs() - m_lastArrivalMs;
        tmrRecvErr->start(int(std::max<qint64>(0, ReplyTimeoutMs - quiet)));
    }
    if (std::exchange(m_sendAfterRead, false) && !tmrSend->isActive())
        onSendTick();
}

/// Assembles replies from STX to LF. Bytes outside a reply (before its STX) are noise and are
/// dropped; an "NG" at bytes 3-4 ends the reply early. Each reply is traced once, whole; dropped
/// bytes are traced as one line when they are dropped. False when the event was abandoned.
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
            m_awaitingReply = false;
            if (!handleCompleteReply(reply)) {
                traceReceived(bytes.sliced(i + 1));
                abandonEvent();
                return false;
            }
            armSend();
            continue;
        }
        if (ReceiveBuffer.size() > MaxReplyBytes) {
            traceReceived(std::exchange(ReceiveBuffer, QByteArray()));
            continue;
        }
        if (ReceiveBuffer.size() > NgOffset + 1 && ReceiveBuffer.at(NgOffset) == 'N' &&
            ReceiveBuffer.at(NgOffset + 1) == 'G') {
            // An early negative reply: the rest of this read is dropped.
            traceReceived(std::exchange(ReceiveBuffer, QByteArray()) + bytes.sliced(i + 1));
            m_awaitingReply = false;
            m_table.setLinkState(m_currentIndex, LinkState::Negative);
            armSend();
            return true;
        }
    }
    traceReceived(noise);
    return true;
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

bool PollingEngine::handleCompleteReply(const QByteArray &reply)
{
    if (m_state.DeviceList.isEmpty() || m_currentIndex > m_state.LastIndex)
        return false;
    if (m_requestCode == CodeIdentify) {
        handleIdentification(reply);
        return true;
    }
    Outcome outcome = Outcome::Good;
    if (m_state.ChecksumMode == Frames::ChecksumMode::Sum && !Frames::ReplyChecksumValid(reply))
        outcome = Outcome::ChecksumError;
    else if (!reply.contains("OK"))
        outcome = Outcome::Negative;
    if (outcome != Outcome::Good) {
        m_link.discardInput();
        markOutcome(outcome);
        return true;
    }
    return handleGoodReply(reply);
}

void PollingEngine::markOutcome(Outcome outcome)
{
    const int row = m_currentIndex;
    const bool blockRequest = m_requestCode != CodeWrite;
    switch (outcome) {
    case Outcome::Good:
        if (blockRequest) {
            m_table.setLinkState(row, LinkState::Good);
            m_table.setPickerState(row, LinkState::Good);
        }
        break;
    case Outcome::Negative:
    case Outcome::ChecksumError:
        m_table.setLinkState(row, outcome == Outcome::Negative ? LinkState::Negative
                                                               : LinkState::ChecksumError);
        if (blockRequest)
            m_table.setPickerState(row, LinkState::Failed);
        break;
    }
}

bool PollingEngine::handleGoodReply(const QByteArray &reply)
{
    const int code = m_requestCode;
    markOutcome(Outcome::Good);
    if (code == CodeStatus) {
        m_state.ConnectedFlags[m_currentIndex] = true;
        if (!m_decoder.DecodeStatusBlock(reply, m_currentIndex))
            return false;
        emit statusBlockDecoded(m_currentIndex);
        if (m_currentIndex == m_state.SelectedIndex)
            emit selectedDisplayChanged();
        m_currentIndex = connectedIndexOrFirst(m_currentIndex + 1);
    } else if (code == CodeParameters) {
        if (!m_decoder.DecodeParameterBlock(reply))
            return false;
        emit parameterBlockDecoded();
        m_currentIndex = connectedIndexOrFirst(0);
        m_requestCode = CodeStatus;
    } else if (code == CodeErrors) {
        const auto codes = Frames::replyValues(reply, ErrorCodeCount);
        if (!codes)
            return false;
        emit errorHistoryReceived(*codes);
        m_currentIndex = connectedIndexOrFirst(0);
        m_requestCode = CodeStatus;
    } else if (isMemoryRead(code)) {
        if (!handleMemoryBlock(code - CodeFirstMemoryRead, reply))
            return false;
        m_requestCode = code + 1;
        if (code == CodeLastMemoryRead) {
            const int next = connectedIndexOrFirst(0) + 1;
            m_currentIndex = next > m_state.LastIndex ? 0 : next;
            m_requestCode = CodeStatus;
        }
    } else if (code == CodeWrite) {
        m_requestCode = CodeParameters;
    } else if (isMemoryWrite(code)) {
        emit memoryBlockSent(code - CodeFirstMemoryWrite);
        m_requestCode = code + 1;
        if (code == CodeLastMemoryWrite) {
            m_requestCode = CodeStatus;
            m_memoryTable = nullptr;
            emit memorySendCompleted();
        }
    }
    return true;
}

/// Places a read block into the table of the read under way, while it exists; the last block
/// completes the read.
bool PollingEngine::handleMemoryBlock(int block, const QByteArray &reply)
{
    const auto values = Frames::replyValues(reply, MemoryTable::BlockSize);
    if (!values)
        return false;
    if (!m_memoryTable)
        return true;
    m_memoryTable->placeBlock(block, *values, m_state.DecimalPlaces);
    emit memoryBlockPlaced(block);
    if (block == MemoryTable::BlockCount - 1) {
        m_memoryTable = nullptr;
        emit memoryReadCompleted();
    }
    return true;
}

/// Identification replies are not judged by checksum or "OK": a reply naming a "ZQ5" controller
/// connects the device; anything else leaves everything as it was and the device is asked again.
void PollingEngine::handleIdentification(const QByteArray &reply)
{
    if (!reply.contains("ZQ5"))
        return;
    m_state.ConnectedFlags[m_currentIndex] = true;
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
    m_awaitingReply = false;
    traceReceived(std::exchange(ReceiveBuffer, QByteArray())); // a reply abandoned unfinished
    if (m_state.DeviceList.isEmpty())
        return;
    const int row = std::clamp(m_currentIndex, 0, m_state.LastIndex);
    m_table.setLinkState(row, LinkState::TimedOut);
    emit replyTimedOut(row);
    if (++m_timeoutCount == TimeoutsToGiveUp) {
        m_timeoutCount = 0;
        m_table.setPickerState(row, LinkState::Failed);
        if (m_requestCode == CodeIdentify) {
            m_state.ConnectedFlags[row] = false;
            m_currentIndex = NextIndex();
            if (m_currentIndex == 0)
                finishIdentificationPass();
        } else {
            m_currentIndex = connectedIndexOrFirst(m_currentIndex + 1);
        }
    }
    tmrSend->start(SendDelayMs);
}

void PollingEngine::onLinkLost(const QString &reason)
{
    tmrRecvErr->stop();
    m_awaitingReply = false;
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
