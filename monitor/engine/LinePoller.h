#pragma once

#include "Clock.h"
#include "DeviceTable.h"
#include "LineIndicators.h"
#include "Link.h"
#include "MemoryTransfer.h"
#include "PollRotation.h"
#include "ReplyAssembler.h"
#include "ReplyDoubt.h"
#include "RequestSlot.h"
#include "SharedState.h"
#include "StatusDecoder.h"
#include "Trace.h"

#include <QObject>
#include <memory>
#include <optional>

/// The polling loop on an open line: one request outstanding at a time, sent by the one-shot
/// tick of tmrSend and answered by a reply or the 600 ms time-out, which re-arms the tick.
/// The request under way comes from the RequestSlot (identification, status polling, a window's
/// request); ReplyAssembler cuts the received bytes into replies, each handled at its LF; a reply
/// answers only the request outstanding, from its controller, for its command, once; ReplyDoubt
/// says which replies may be late answers, PollRotation which controller is polled next,
/// MemoryTransfer where a memory read or send stands, and LineIndicators light the lamps.
class LinePoller : public QObject
{
    Q_OBJECT

public:
    static constexpr int SendDelayMs = 50;
    static constexpr int ReplyTimeoutMs = 600;
    /// The line rests this long after the first byte of an answer before the next request goes
    /// out (the reply itself is handled at its LF): the pacing the controllers have always had,
    /// from the days when a reply was read this long after it began.
    static constexpr int ReplyPauseMs = 200;
    /// A read in doubt is repeated until two reads in a row agree; after this many reads
    /// without agreement it is given up.
    static constexpr int ReadsInDoubtToGiveUp = 6;

    LinePoller(Link &link, Clock &clock, SharedState &state, DeviceTable &table,
               StatusDecoder &decoder, Trace &trace, RequestSlot &requests,
               QObject *parent = nullptr);
    ~LinePoller() override;

    /// The port opened: nothing is outstanding or in doubt; the first tick comes after the
    /// send delay.
    void start();
    /// The port is closing: no tick more; bytes that never made a reply are traced. A reply
    /// time-out already running still fires once.
    void stop();
    /// The port went away: nothing is outstanding and no time-out comes.
    void linkLost();
    /// The device list changed: polling starts over at its first entry.
    void restartRotation() { m_rotation.setCurrent(0); }

    int currentIndex() const { return m_rotation.current(); }
    int timeoutCount() const { return m_timeoutCount; }
    const LineIndicators &indicators() const { return m_indicators; }

signals:
    /// The first identification pass is over and some controller answered.
    void identified();
    void selectedDeviceChanged(int deviceNo);
    void selectedDisplayChanged();
    void statusBlockDecoded(int row);
    void parameterBlockDecoded(int row);
    void errorHistoryReceived(int deviceNo, const QList<int> &codes);
    void memoryBlockPlaced(int block);
    void memoryReadCompleted();
    void memoryBlockSent(int block);
    void memorySendVerifying();
    void memorySendCompleted();
    void replyTimedOut(int row);
    void requestFailed(const RequestFailure &failure);

private:
    enum class Outcome { Good, Negative, ChecksumError, TimedOut };
    /// What became of a complete reply.
    enum class Handling { Done, Dropped, Fault };
    using Command = RequestSlot::Command;

    /// The request on the line: only a reply from its controller to its command, with its
    /// number of values, answers it, and only once.
    struct Outstanding
    {
        int deviceNo = 0;
        int row = 0;
        QByteArray command;
        /// Values a good reply carries; -1 when not checked (identification).
        int valueCount = -1;
        qint64 sentMs = 0;
    };

    void onSendTick();
    void onReadyRead();
    void onReplyTimeout();

    std::optional<QByteArray> buildRequest(int deviceNo);
    int targetDeviceNo() const;
    void transmit(const QByteArray &frame, int deviceNo);

    void handleArrived();
    bool answersOutstanding(const QByteArray &reply) const;
    void traceReceived(const QByteArray &bytes);
    void handleEarlyNegative(const QByteArray &reply);
    Handling handleCompleteReply(const QByteArray &reply);
    void handleIdentification(const QByteArray &reply);
    bool handleGoodReply(const QByteArray &reply, int row, bool inDoubt);
    void noteStray(const QByteArray &reply);
    static ReplyDoubt::Shape shapeOf(const Outstanding &request);
    bool confirmRead(const QByteArray &reply, const ReplyDoubt::Shape &shape, bool inDoubt);
    void markGood(int row);
    void markFailure(Outcome outcome, int row);
    void countFailure(Outcome outcome, int row);
    void finishIdentificationPass();
    void dropCommand(RequestFailure::Reason reason);
    qint64 pauseEndMs() const;
    bool inReplyPause() const;
    void armSend();
    void armReplyDeadline();
    int rowOf(int deviceNo) const;

    Link &m_link;
    Clock &m_clock;
    SharedState &m_state;
    DeviceTable &m_table;
    StatusDecoder &m_decoder;
    Trace &m_trace;
    RequestSlot &m_requests;
    ReplyDoubt m_doubt;
    ReplyAssembler m_assembler;
    PollRotation m_rotation;
    LineIndicators m_indicators;
    MemoryTransfer m_transfer;

    std::unique_ptr<Timer> tmrSend;
    std::unique_ptr<Timer> tmrRecvErr;

    int m_timeoutCount = 0;
    /// When the first byte of the answer under way arrived, and the last byte.
    std::optional<qint64> m_answerStartMs;
    qint64 m_lastArrivalMs = 0;
    /// A request went out and neither its reply nor its time-out has been handled.
    std::optional<Outstanding> m_outstanding;
};
