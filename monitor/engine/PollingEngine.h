#pragma once

#include "Clock.h"
#include "DeviceTable.h"
#include "Link.h"
#include "SelectedDisplay.h"
#include "SettingsFiles.h"
#include "SharedState.h"
#include "StatusDecoder.h"
#include "Trace.h"

#include <QObject>
#include <functional>
#include <memory>

/// The monitor's polling loop: one request outstanding at a time, sent by the one-shot tick of
/// tmrSend and answered by a reply or the 600 ms time-out, which re-arms the tick.
///
/// RequestCode says what the tick sends and what the reply handler expects: 1 identification,
/// 11 status read, 21 parameter read, 22 error history, 51..62 memory block reads, 101 a single
/// register write, 151..162 memory block writes. Windows never send; they queue a request
/// (queueRequest) that the next tick takes over.
class PollingEngine : public QObject
{
    Q_OBJECT

public:
    static constexpr int SendDelayMs = 50;
    static constexpr int ReplyTimeoutMs = 600;
    static constexpr int ReadDelayMs = 200;
    static constexpr int IndicatorMs = 250;
    /// A reply that grows beyond this without its LF is noise: it is thrown away.
    static constexpr int MaxReplyBytes = 1024;

    /// Receives an error-history reply; false when it cannot be decoded.
    using ErrorBlockReceiver = std::function<bool(const QByteArray &reply)>;
    /// Receives a memory block reply for memory table column 1..3 from row firstRow (1-based).
    using MemoryBlockReceiver =
        std::function<bool(const QByteArray &reply, int column, int firstRow)>;
    /// The memory table's cell text at column 1..3, row 1..100, for memory writes.
    using MemoryCellSource = std::function<QString(int column, int row)>;

    PollingEngine(Link &link, Clock &clock, const QString &programFolder,
                  const QString &defaultDataFolder, QObject *parent = nullptr);
    ~PollingEngine() override;

    /// Reads the settings files in start-up order: trace switch, recording settings, device
    /// list, port settings. The port stays closed.
    void startUp();

    SharedState &state() { return m_state; }
    const SharedState &state() const { return m_state; }
    DeviceTable &table() { return m_table; }
    const SelectedDisplay &display() const { return m_display; }
    const SettingsFiles &settingsFiles() const { return m_files; }
    Clock &clock() { return m_clock; }
    QString programFolder() const { return m_programFolder; }
    Trace &trace() { return m_trace; }

    /// Takes new port settings; the protocol applies to the next frame, the rest at the next
    /// opening of the port.
    void applyPortSettings(const PortSettings &settings);
    /// Rebuilds the device list and table. While the port is open, identification starts over
    /// at the first device and the first device that answers becomes the selected one.
    void setDeviceList(const QList<int> &devices);

    /// Opens the port and starts identification. Refused, with the port left closed, when the
    /// device list is empty or the port cannot be opened.
    LinkOpenResult openPort();
    /// Stops polling and closes the port; every controller's link state becomes unknown. A reply
    /// time-out already running still fires once.
    void closePort();
    bool isPortOpen() const;
    bool isOnline() const { return m_online; }

    /// Makes the device at DeviceList index the selected one and goes on with status polling.
    /// Refused (false, nothing changed) until the monitor is on line, for an index outside the
    /// list and for a device that is not connected.
    bool selectDevice(int index);

    /// Queues a window's request for the next tick; a later request replaces an earlier one.
    void queueRequest(int code, const QList<int> &addresses = {}, const QList<int> &values = {});

    void setErrorBlockReceiver(ErrorBlockReceiver receiver);
    void setMemoryBlockReceiver(MemoryBlockReceiver receiver);
    void setMemoryCellSource(MemoryCellSource source);

    int RequestCode() const { return m_requestCode; }
    int CurrentIndex() const { return m_currentIndex; }
    int TimeoutCount() const { return m_timeoutCount; }
    bool connectCheckVisible() const { return m_connectCheckVisible; }
    bool sendIndicatorLit() const { return m_sendLit; }
    bool receiveIndicatorLit() const { return m_receiveLit; }

    /// Rotation over DeviceList: the next index with wrap-around to 0, and the first connected
    /// index from start (from 0 when start is beyond the list), -1 when there is none.
    int NextIndex() const;
    int NextConnectedIndex(int start) const;
    bool AnyConnected() const;

signals:
    /// SetOnlineControls: the window switches between the connected and not-connected state.
    void onlineChanged(bool online);
    /// lblConnectChk ("기기와의 연결상태 검사 중 ...") is shown or hidden.
    void connectCheckVisibleChanged(bool visible);
    void sendIndicatorChanged(bool lit);
    void receiveIndicatorChanged(bool lit);
    /// The first device to answer identification became the selected one.
    void selectedDeviceChanged(int deviceNo);
    /// A status block of the selected device was decoded: display() holds its values.
    void selectedDisplayChanged();
    /// A parameter block was decoded while the parameter window is open.
    void parameterBlockDecoded();
    /// A time-out while the overview window is open: its row turns red with "불량".
    void overviewTimeout(int row);
    /// The last memory block was written ("송신 완료.").
    void memorySendCompleted();
    /// A queued request could not be framed (no device selected, a value out of range) and was
    /// dropped; polling goes on with status requests.
    void requestRefused(int code);
    /// The port went away while open; polling has stopped and the port is closed.
    void portLost(const QString &reason);

private:
    enum class Outcome { Good, Negative, ChecksumError };

    void onSendTick();
    void onReadyRead();
    void onDeferredRead();
    void onReplyTimeout();
    void onLinkLost(const QString &reason);

    std::optional<QByteArray> buildRequest(int deviceNo);
    std::optional<QByteArray> buildMemoryWrite(int block);
    void transmit(const QByteArray &frame);

    bool processBytes(const QByteArray &bytes);
    void traceReceived(const QByteArray &bytes);
    void forgetLineState();
    bool handleCompleteReply(const QByteArray &reply);
    void handleIdentification(const QByteArray &reply);
    bool handleGoodReply(const QByteArray &reply);
    void markOutcome(Outcome outcome);
    void finishIdentificationPass();
    void abandonEvent();
    void armSend();

    void SetOnlineControls(bool online);
    void setConnectCheckVisible(bool visible);
    void setSendLit(bool lit);
    void setReceiveLit(bool lit);
    int connectedIndexOrFirst(int start) const;

    Link &m_link;
    Clock &m_clock;
    QString m_programFolder;
    QString m_defaultDataFolder;
    SettingsFiles m_files;
    SharedState m_state;
    DeviceTable m_table;
    SelectedDisplay m_display;
    StatusDecoder m_decoder;
    Trace m_trace;

    std::unique_ptr<Timer> tmrSend;
    std::unique_ptr<Timer> tmrRecvErr;
    std::unique_ptr<Timer> tmrBall_Send;
    std::unique_ptr<Timer> tmrBall_Recv;
    /// Processing of received bytes waits 200 ms, so a reply arrives whole as a rule.
    std::unique_ptr<Timer> m_readTimer;

    int m_requestCode = 0;
    int m_currentIndex = 0;
    int m_timeoutCount = 0;
    /// The reply being assembled, from its STX; empty between replies.
    QByteArray ReceiveBuffer;
    /// Bytes received and traced, waiting for the deferred read.
    QByteArray m_arrived;
    qint64 m_lastArrivalMs = 0;
    /// A request went out and neither its reply nor its time-out has been handled.
    bool m_awaitingReply = false;
    /// A tick fell inside the read delay; it runs once the read is done.
    bool m_sendAfterRead = false;

    bool m_online = false;
    bool m_connectCheckVisible = false;
    bool m_sendLit = false;
    bool m_receiveLit = false;

    ErrorBlockReceiver m_errorReceiver;
    MemoryBlockReceiver m_memoryReceiver;
    MemoryCellSource m_memoryCells;
};
