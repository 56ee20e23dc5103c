#include "LinePoller.h"

#include "Frames.h"
#include "RequestFrames.h"

using namespace RequestCodes;

namespace {

/// Time-outs in a row that move identification or polling on to the next controller.
constexpr int TimeoutsToGiveUp = RequestSlot::FailuresToGiveUp;

} // namespace

LinePoller::LinePoller(Link &link, Clock &clock, SharedState &state, DeviceTable &table,
                       StatusDecoder &decoder, Trace &trace, RequestSlot &requests, QObject *parent)
    : QObject(parent), m_link(link), m_clock(clock), m_state(state), m_table(table),
      m_decoder(decoder), m_trace(trace), m_requests(requests), m_rotation(state, table),
      m_indicators(clock),
      m_transfer(requests,
                 {[this](int block) { emit memoryBlockPlaced(block); },
                  [this] { emit memoryReadCompleted(); }, [this] { emit memorySendVerifying(); },
                  [this] { emit memorySendCompleted(); },
                  [this](RequestFailure::Reason reason) {
                      dropCommand(reason);
                  }})
{
    tmrSend = m_clock.createTimer([this] { onSendTick(); });
    tmrRecvErr = m_clock.createTimer([this] { onReplyTimeout(); });
    connect(&m_link, &Link::readyRead, this, &LinePoller::onReadyRead);
}

LinePoller::~LinePoller() = default;

void LinePoller::start()
{
    m_rotation.setCurrent(0);
    m_timeoutCount = 0;
    m_assembler.clear();
    m_answerStartMs.reset();
    m_outstanding.reset();
    m_doubt.clear();
    tmrSend->start(SendDelayMs);
}

void LinePoller::stop()
{
    tmrSend->stop();
    // Bytes that arrived but never made a reply still belong in the trace.
    traceReceived(m_assembler.takePartial() + m_assembler.takeRest());
    m_assembler.clear();
    m_doubt.clear();
}

void LinePoller::linkLost()
{
    tmrRecvErr->stop();
    m_outstanding.reset();
}

/// The window's request under way is given up; polling goes on at once.
void LinePoller::dropCommand(RequestFailure::Reason reason)
{
    const RequestFailure failure = m_requests.drop(reason);
    m_rotation.setCurrent(m_rotation.connectedOrFirst(m_rotation.current()));
    emit requestFailed(failure);
}

int LinePoller::rowOf(int deviceNo) const
{
    return deviceNo > 0 ? int(m_state.DeviceList.indexOf(deviceNo)) : -1;
}

void LinePoller::onSendTick()
{
    tmrSend->stop();
    if (inReplyPause()) {
        tmrSend->start(int(pauseEndMs() - m_clock.elapsedMs()));
        return;
    }
    if (m_state.DeviceList.isEmpty())
        return;
    m_rotation.keepInside();
    // Whatever arrived before this request goes out cannot be its reply.
    traceReceived(m_assembler.takePartial());
    if (m_requests.pendingCode() > 0)
        m_requests.take();
    m_indicators.flashSend();

    const int deviceNo = targetDeviceNo();
    const std::optional<QByteArray> frame = buildRequest(deviceNo);
    if (!frame) {
        // Nothing can be sent for this request, so no reply or time-out would ever re-arm the
        // tick: drop it and go back to status polling.
        const int code = m_requests.code();
        if (isTransfer(code) && !m_requests.command().table)
            m_requests.finish(); // its window closed: nobody is left to tell
        else if (isWindowRequest(code))
            dropCommand(RequestFailure::Reason::OutOfRange);
        else
            m_requests.setCode(Status);
        tmrSend->start(SendDelayMs);
        return;
    }
    transmit(*frame, deviceNo);
}

/// Identification and status go to the polled controller; a window's request to the
/// controller it was queued for.
int LinePoller::targetDeviceNo() const
{
    const int code = m_requests.code();
    return code == Identify || code == Status ? m_rotation.deviceNo()
                                              : m_requests.command().deviceNo;
}

/// The frame of the request under way; a memory write's block takes its values from the
/// transfer as it goes out.
std::optional<QByteArray> LinePoller::buildRequest(int deviceNo)
{
    const int code = m_requests.code();
    const std::optional<QList<int>> blockValues =
        isMemoryWrite(code) ? m_transfer.valuesToSend(code - FirstMemoryWrite) : std::nullopt;
    return RequestFrames::build(code, m_requests.command(), deviceNo, m_state.ChecksumMode,
                                blockValues);
}

/// The transmit sequence: trace the frame whether or not the port is open; when it is open,
/// start the reply time-out and put the frame and a 0x00 byte on the line under RTS.
void LinePoller::transmit(const QByteArray &frame, int deviceNo)
{
    m_trace.WriteTrace(frame, false);
    if (!m_link.isOpen())
        return;
    const int code = m_requests.code();
    Outstanding request;
    request.deviceNo = deviceNo;
    request.row = rowOf(deviceNo);
    request.command = frame.mid(3, 3);
    request.valueCount = code == Identify ? -1 : RequestFrames::expectedValues(code);
    request.sentMs = m_clock.elapsedMs();
    m_outstanding = request;
    if (code == Status && request.row >= 0 && request.row < m_table.rowCount())
        m_table.noteUnansweredPoll(request.row); // a good reply cancels it
    tmrRecvErr->start(ReplyTimeoutMs);
    m_link.transmit(frame + QByteArray(1, '\0'));
}

/// Bytes are handled as they arrive: a reply at its LF. The line then rests until ReplyPauseMs
/// after the answer's first byte before the next request goes out.
void LinePoller::onReadyRead()
{
    const QByteArray bytes = m_link.readAll();
    if (bytes.isEmpty())
        return;
    m_lastArrivalMs = m_clock.elapsedMs();
    if (!inReplyPause()) {
        m_answerStartMs = m_lastArrivalMs;
        m_indicators.flashReceive();
    }
    m_assembler.append(bytes);
    handleArrived();
    if (m_outstanding)
        armReplyDeadline();
    else
        tmrRecvErr->stop();
}

qint64 LinePoller::pauseEndMs() const
{
    return m_answerStartMs ? *m_answerStartMs + ReplyPauseMs : 0;
}

bool LinePoller::inReplyPause() const
{
    return m_answerStartMs && m_clock.elapsedMs() < pauseEndMs();
}

/// The request is still unanswered (nothing arrived for it, or what arrived was not its reply):
/// its time-out runs on from when it was sent, not within the reply pause, and a reply that has
/// begun gets 600 ms from its last byte, so a reply cut short never stops polling.
void LinePoller::armReplyDeadline()
{
    qint64 deadline = std::max(m_outstanding->sentMs + ReplyTimeoutMs, pauseEndMs());
    if (m_assembler.hasPartial())
        deadline = std::max(deadline, m_lastArrivalMs + ReplyTimeoutMs);
    tmrRecvErr->start(int(std::max<qint64>(0, deadline - m_clock.elapsedMs())));
}

/// Each piece is traced once, whole: a reply when it is complete, noise when it is dropped.
void LinePoller::handleArrived()
{
    using Kind = ReplyAssembler::Piece::Kind;
    while (const auto piece = m_assembler.next(m_outstanding ? m_outstanding->deviceNo : 0)) {
        if (piece->kind == Kind::Noise) {
            traceReceived(piece->bytes);
        } else if (piece->kind == Kind::EarlyNegative) {
            traceReceived(piece->bytes + m_assembler.takeRest()); // the rest is dropped
            handleEarlyNegative(piece->bytes);
        } else {
            traceReceived(piece->bytes);
            const Handling handling = handleCompleteReply(piece->bytes);
            if (handling == Handling::Fault) {
                // The bytes still waiting are thrown away and polling goes on.
                traceReceived(m_assembler.takeRest());
                m_assembler.clear();
                m_link.discardInput();
                armSend();
                return;
            }
            if (handling == Handling::Done)
                armSend();
        }
    }
}

/// An "NG" from the asked controller, seen at bytes 3-4.
void LinePoller::handleEarlyNegative(const QByteArray &)
{
    const int row = std::exchange(m_outstanding, std::nullopt)->row;
    m_table.setLinkState(row, LinkState::Negative);
    if (m_requests.code() != Identify)
        countFailure(Outcome::Negative, row);
    armSend();
}

/// A reply answers the request on the line only when one is outstanding, it comes from that
/// request's controller and it answers that command (or refuses it) with the values asked for.
/// A reply that came too late for its own request, or from another controller, answers nothing.
bool LinePoller::answersOutstanding(const QByteArray &reply) const
{
    if (!m_outstanding)
        return false;
    const Frames::ReplyShape shape = Frames::replyShape(reply);
    if (shape.deviceNo != m_outstanding->deviceNo)
        return false;
    if (shape.command == "NG")
        return true;
    if (m_state.ChecksumMode == Frames::ChecksumMode::Sum && m_requests.code() != Identify &&
        !Frames::ReplyChecksumValid(reply))
        return true; // its controller answered, corrupted: judged as a checksum error
    if (shape.command != m_outstanding->command)
        return false;
    return !shape.ok || m_outstanding->valueCount < 0 ||
           shape.valueCount == m_outstanding->valueCount;
}

void LinePoller::traceReceived(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        m_trace.WriteTrace(bytes, true);
}

/// The next request goes out SendDelayMs after the reply pause.
void LinePoller::armSend()
{
    if (m_requests.code() <= 0)
        return;
    const qint64 afterPause = pauseEndMs() + SendDelayMs - m_clock.elapsedMs();
    tmrSend->start(int(std::max<qint64>(SendDelayMs, afterPause)));
}

LinePoller::Handling LinePoller::handleCompleteReply(const QByteArray &reply)
{
    if (!answersOutstanding(reply)) {
        noteStray(reply);
        return Handling::Dropped;
    }
    const Outstanding answered = *std::exchange(m_outstanding, std::nullopt);
    const int row = answered.row;
    if (m_state.DeviceList.isEmpty() || row < 0 || row > m_state.LastIndex)
        return Handling::Fault;
    if (m_requests.code() == Identify) {
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
void LinePoller::noteStray(const QByteArray &reply)
{
    const Frames::ReplyShape shape = Frames::replyShape(reply);
    if (shape.deviceNo > 0 && shape.ok)
        m_doubt.noteSurprise({shape.deviceNo, shape.command, shape.valueCount},
                             m_clock.elapsedMs());
}

ReplyDoubt::Shape LinePoller::shapeOf(const Outstanding &request)
{
    return {request.deviceNo, request.command, request.valueCount};
}

/// A window's read whose reply may be a late answer to an earlier request of its shape is taken
/// only when two reads in a row agree: a controller's registers do not change between two
/// reads of one block, while a late reply to another block differs from the next reply. False
/// when the read goes out again; after ReadsInDoubtToGiveUp reads the request is given up.
bool LinePoller::confirmRead(const QByteArray &reply, const ReplyDoubt::Shape &shape, bool inDoubt)
{
    const int code = m_requests.code();
    if (code != Parameters && code != Errors && !isMemoryRead(code))
        return true;
    Command &command = m_requests.command();
    const auto values = Frames::replyValues(reply, RequestFrames::expectedValues(code));
    if (!inDoubt || !values || command.unconfirmed == values) {
        command.unconfirmed.reset();
        command.readsInDoubt = 0;
        return true;
    }
    if (command.unconfirmed)
        m_doubt.noteSurprise(shape, m_clock.elapsedMs()); // they disagreed: a reply is late
    command.unconfirmed = values;
    if (++command.readsInDoubt >= ReadsInDoubtToGiveUp)
        dropCommand(RequestFailure::Reason::Unconfirmed);
    return false;
}

void LinePoller::markGood(int row)
{
    m_requests.resetFailures();
    if (m_requests.code() == Write)
        return;
    m_table.setLinkState(row, LinkState::Good);
    m_table.setPickerState(row, LinkState::Good);
}

/// A refused or corrupted reply: the controller's row is marked and the request goes out again
/// at the next tick, up to three times in a row.
void LinePoller::markFailure(Outcome outcome, int row)
{
    m_table.setLinkState(row, outcome == Outcome::Negative ? LinkState::Negative
                                                           : LinkState::ChecksumError);
    if (m_requests.code() != Write)
        m_table.setPickerState(row, LinkState::Failed);
    countFailure(outcome, row);
}

/// The third failure in a row gives the request up: a status read moves on to the next
/// controller, a window's request is dropped and its window told.
void LinePoller::countFailure(Outcome outcome, int row)
{
    if (!m_requests.failedAgain())
        return;
    m_table.setPickerState(row, LinkState::Failed);
    if (m_requests.code() == Status) {
        m_rotation.setCurrent(m_rotation.connectedOrFirst(m_rotation.current() + 1));
        return;
    }
    using Reason = RequestFailure::Reason;
    dropCommand(outcome == Outcome::Negative        ? Reason::Negative
                : outcome == Outcome::ChecksumError ? Reason::Corrupt
                                                    : Reason::NoReply);
}

bool LinePoller::handleGoodReply(const QByteArray &reply, int row, bool inDoubt)
{
    const int code = m_requests.code();
    if (code == Status) {
        m_table.setConnected(row, true);
        if (!m_decoder.DecodeStatusBlock(reply, row))
            return false;
        m_table.noteStatusBlock(row, m_clock.elapsedMs());
        emit statusBlockDecoded(row);
        if (row == m_state.SelectedIndex)
            emit selectedDisplayChanged();
        m_rotation.setCurrent(m_rotation.connectedOrFirst(row + 1));
    } else if (code == Parameters) {
        if (!m_decoder.DecodeParameterBlock(reply, row))
            return false;
        m_requests.finish();
        emit parameterBlockDecoded(row);
        m_rotation.setCurrent(m_rotation.connectedOrFirst(0));
    } else if (code == Errors) {
        const auto codes = Frames::replyValues(reply, RequestFrames::expectedValues(Errors));
        if (!codes)
            return false;
        // Before its requester hears it is done.
        emit errorHistoryReceived(m_requests.command().deviceNo, *codes);
        m_requests.finish();
        m_rotation.setCurrent(m_rotation.connectedOrFirst(0));
    } else if (isMemoryRead(code)) {
        const auto values = Frames::replyValues(reply, MemoryTable::BlockSize);
        if (!values)
            return false;
        if (m_transfer.blockRead(code - FirstMemoryRead, *values)) {
            const int next = m_rotation.connectedOrFirst(0) + 1;
            m_rotation.setCurrent(next > m_state.LastIndex ? 0 : next);
        }
    } else if (code == Write) {
        m_requests.setCode(Parameters); // the same controller's block is read back
    } else if (isMemoryWrite(code)) {
        emit memoryBlockSent(code - FirstMemoryWrite);
        m_transfer.blockSent(code - FirstMemoryWrite, inDoubt);
    }
    return true;
}

/// Identification replies are not judged by checksum or "OK": a reply naming a "ZQ5" controller
/// connects the device; anything else leaves everything as it was and the device is asked again.
void LinePoller::handleIdentification(const QByteArray &reply)
{
    if (!reply.contains("ZQ5"))
        return;
    const int index = m_rotation.current();
    m_table.setConnected(index, true);
    m_table.setPickerState(index, LinkState::Good);
    if (m_state.SelectedDeviceNo == 0) {
        m_state.SelectedIndex = index;
        m_state.SelectedDeviceNo = m_state.DeviceList.at(index);
        emit selectedDeviceChanged(m_state.SelectedDeviceNo);
    }
    m_rotation.setCurrent(m_rotation.next());
    if (m_rotation.current() == 0)
        finishIdentificationPass();
}

/// Every device has been asked once: go online when any answered, otherwise start over.
void LinePoller::finishIdentificationPass()
{
    if (!m_rotation.anyConnected()) {
        m_rotation.setCurrent(0);
        return;
    }
    m_rotation.setCurrent(m_rotation.nextConnected(0));
    emit identified();
    m_requests.setCode(Status);
}

void LinePoller::onReplyTimeout()
{
    tmrRecvErr->stop();
    const std::optional<Outstanding> request = std::exchange(m_outstanding, std::nullopt);
    traceReceived(m_assembler.takePartial()); // a reply abandoned unfinished
    if (m_state.DeviceList.isEmpty())
        return;
    const int polled = std::clamp(m_rotation.current(), 0, m_state.LastIndex);
    const int row = request && request->row >= 0 ? request->row : polled;
    m_table.setLinkState(row, LinkState::TimedOut);
    if (request) {
        // Its reply may still come, and would look like the answer to the next of its shape.
        m_doubt.noteSurprise(shapeOf(*request), m_clock.elapsedMs());
        m_transfer.writeTimedOut();
    }
    emit replyTimedOut(row);
    bool movedOn = false;
    const int code = m_requests.code();
    if (++m_timeoutCount == TimeoutsToGiveUp) {
        m_timeoutCount = 0;
        m_table.setPickerState(row, LinkState::Failed);
        if (code == Identify) {
            m_table.setConnected(polled, false);
            m_rotation.setCurrent(m_rotation.next());
            if (m_rotation.current() == 0)
                finishIdentificationPass();
        } else {
            m_rotation.setCurrent(m_rotation.connectedOrFirst(m_rotation.current() + 1));
            movedOn = code == Status;
        }
    }
    if (movedOn)
        m_requests.resetFailures();
    else if (code != Identify)
        countFailure(Outcome::TimedOut, row);
    tmrSend->start(SendDelayMs);
}
