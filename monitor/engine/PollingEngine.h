#pragma once

#include "Clock.h"
#include "DeviceTable.h"
#include "LinePoller.h"
#include "Link.h"
#include "MemoryTable.h"
#include "RequestFailure.h"
#include "RequestSlot.h"
#include "SelectedDisplay.h"
#include "SettingsFiles.h"
#include "SharedState.h"
#include "StatusDecoder.h"
#include "Trace.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

/// The monitor's line as the windows, the recorder, the alarms and the publisher see it: the
/// settings it runs on, the port, the device table and the selected controller's display, and
/// the windows' typed requests with their results. The polling loop itself is the LinePoller;
/// the request slot (RequestSlot) is shared by both: windows queue, the loop takes.
///
/// RequestCode says what the tick sends and what the reply handler expects: 1 identification,
/// 11 status read, 21 parameter read, 22 error history, 51..62 memory block reads, 101 a single
/// register write, 151..162 memory block writes. Windows never send; they ask for a task
/// (readParameters, writeRegister, ...), which fills the single request slot that the next tick
/// takes over (a later task replaces one not yet taken), and listen to the result's signal.
/// A reply answers only the request outstanding, from its controller, for its command, once,
/// and is handled as soon as its LF has arrived; a request that fails three times in a row is
/// given up (requestFailed for a window's).
class PollingEngine : public QObject
{
    Q_OBJECT

public:
    using RequestKind = ::RequestKind;

    static constexpr int FailuresToGiveUp = RequestSlot::FailuresToGiveUp;
    /// A controller is no longer current (not charted, not recorded) after this many status
    /// requests in a row without a good reply, or when its last status block is older than
    /// StaleCycles polling cycles of StaleMsPerController for each connected controller.
    static constexpr int UnansweredToStale = 3;
    static constexpr int StaleCycles = 3;
    static constexpr int StaleMsPerController = 1000;

    PollingEngine(Link &link, Clock &clock, const QString &programFolder,
                  QObject *parent = nullptr);
    ~PollingEngine() override;

    /// Start-up on the settings read from the files (MonitorSettings::load): trace switch,
    /// recording settings, device list, port settings. The port stays closed.
    void startUp(const SettingsFiles::StartSettings &settings);

    /// Read only outside the engine: windows change it through requests and settings.
    const SharedState &state() const { return m_state; }
    const DeviceTable &table() const { return m_table; }
    const SelectedDisplay &display() const { return m_display; }
    /// The window's request waiting and the request under way.
    const RequestSlot &requests() const { return m_requests; }
    Clock &clock() { return m_clock; }
    const Clock &clock() const { return m_clock; }
    QString programFolder() const { return m_programFolder; }
    Trace &trace() { return m_trace; }

    // Settings the operator changed (MonitorSettings stores them first).

    /// The protocol applies to the next frame, the rest at the next opening of the port.
    void usePortSettings(const PortSettings &settings);
    /// Taken at the next display tick.
    void useRecordingSettings(const RecordingSettings &settings) { m_state.recording = settings; }
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

    // Windows' requests. Each goes to the controller it names when it is queued (deviceNo 0:
    // the one selected then), whatever is selected later. requester is the window to tell
    // through requestFailed when the request does not go through.

    /// Reads the controller's parameter block; parameterBlockDecoded follows.
    void readParameters(QObject *requester = nullptr, int deviceNo = 0);
    /// Writes one register of the controller; its parameter block is read back after it.
    void writeRegister(int address, int value, int deviceNo = 0, QObject *requester = nullptr);
    /// Reads the controller's five error codes (deviceNo 0: the selected one);
    /// errorHistoryReceived follows.
    void readErrorHistory(QObject *requester = nullptr, int deviceNo = 0);
    /// Reads the controller's memory programs (deviceNo 0: the selected one) into the table,
    /// twelve blocks in a row.
    /// Blocks are placed only while the table exists.
    void readMemory(MemoryTable &table, QObject *requester = nullptr, int deviceNo = 0);
    /// Sends the table to the controller (deviceNo 0: the selected one); each block's cells are
    /// read as it goes out.
    /// When the table is gone (its window closed) the send stops at the next block.
    void sendMemory(MemoryTable &table, QObject *requester = nullptr, int deviceNo = 0);
    /// A window's request is queued or under way (anything but identification and status).
    bool isBusy() const { return m_requests.isBusy(); }

    /// The controller at DeviceList index row is connected and answers its status requests:
    /// what the table holds of it is fresh enough to chart and record. Never with the port
    /// closed (closing forgets every controller).
    bool isCurrent(int row) const;
    /// Wall-clock time of the row's last decoded status block; invalid when none since the port
    /// opened.
    QDateTime lastStatusTime(int row) const;

    int RequestCode() const { return m_requests.code(); }
    int CurrentIndex() const { return m_poller.currentIndex(); }
    int TimeoutCount() const { return m_poller.timeoutCount(); }
    bool connectCheckVisible() const { return m_connectCheckVisible; }
    bool sendIndicatorLit() const { return m_poller.indicators().sendLit(); }
    bool receiveIndicatorLit() const { return m_poller.indicators().receiveLit(); }

signals:
    /// The window switches between the connected and not-connected state.
    void onlineChanged(bool online);
    /// lblConnectChk ("기기와의 연결상태 검사 중 ...") is shown or hidden.
    void connectCheckVisibleChanged(bool visible);
    void sendIndicatorChanged(bool lit);
    void receiveIndicatorChanged(bool lit);
    /// The first device to answer identification became the selected one.
    void selectedDeviceChanged(int deviceNo);
    /// A status block of the selected device was decoded: display() holds its values.
    void selectedDisplayChanged();
    /// A status block of DeviceList index row was decoded into the device table.
    void statusBlockDecoded(int row);
    /// A parameter block was decoded into DeviceList index row of the device table.
    void parameterBlockDecoded(int row);
    /// A controller's five error codes (registers 700 to 704).
    void errorHistoryReceived(int deviceNo, const QList<int> &codes);
    /// Memory block 0..11 was placed into the table being read.
    void memoryBlockPlaced(int block);
    /// The last block of the table being read was placed ("데이터 수신 완료.").
    void memoryReadCompleted();
    /// Memory block 0..11 was written and acknowledged.
    void memoryBlockSent(int block);
    /// A send met a time-out or a reply in doubt: its blocks are read back and compared before
    /// it is done; a block that differs is sent once more.
    void memorySendVerifying();
    /// The last memory block was written ("송신 완료.").
    void memorySendCompleted();
    /// The request to DeviceList index row timed out.
    void replyTimedOut(int row);
    /// A window's request did not go through: it could not be sent, was refused or not
    /// answered three times in a row, or the port closed first. Polling goes on.
    void requestFailed(const RequestFailure &failure);
    /// A window's request went through: its block was decoded (a write's read-back), its error
    /// codes or its last memory block arrived, or its memory send completed. requester: the one
    /// it was queued with.
    void requestDone(QObject *requester);
    /// The port went away while open; polling has stopped and the port is closed.
    void portLost(const QString &reason);

private:
    using Command = RequestSlot::Command;

    void connectPoller();
    void onLinkLost(const QString &reason);
    void queueRequest(int code, int deviceNo, QObject *requester, const QList<int> &addresses = {},
                      const QList<int> &values = {});
    void forgetLineState();
    void clearDisplay();
    void setOnline(bool online);
    void setConnectCheckVisible(bool visible);
    int rowOf(int deviceNo) const;

    Link &m_link;
    Clock &m_clock;
    QString m_programFolder;
    SharedState m_state;
    DeviceTable m_table;
    SelectedDisplay m_display;
    StatusDecoder m_decoder;
    Trace m_trace;
    RequestSlot m_requests;
    LinePoller m_poller;

    bool m_online = false;
    bool m_connectCheckVisible = false;
};
