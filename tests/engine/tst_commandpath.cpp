#include "EngineHarness.h"

#include "RegisterMap.h"

#include <QSignalSpy>
#include <QTest>

using F = DeviceTable::Field;
using Reason = RequestFailure::Reason;

/// An engine on line over controllers that all answer, started up as the main window does.
struct Line : EngineHarness
{
    explicit Line(const QList<int> &devices) : EngineHarness({devices, "STD", false}, devices)
    {
        startUp();
    }

    /// Runs frame by frame until the last frame sent satisfies the predicate; false after 200.
    bool sendUntil(const std::function<bool(const QByteArray &)> &last)
    {
        for (int i = 0; i < 200; ++i) {
            runFrames(1);
            if (last(frames().last()))
                return true;
        }
        return false;
    }
    /// The memory block request for the block starting at this register goes out next.
    bool sendUntilBlockBefore(const QByteArray &start)
    {
        const QByteArray before = blockBefore(start);
        return sendUntil([before](const QByteArray &frame) { return frame.mid(10, 4) == before; });
    }
    static QByteArray blockBefore(const QByteArray &start)
    {
        const QList<QByteArray> starts = blockStarts();
        return starts.value(starts.indexOf(start) - 1);
    }
    /// The blocks in the order they were first asked for (a block asked again stays once).
    static QList<QByteArray> inOrder(const QList<QByteArray> &blocks)
    {
        QList<QByteArray> order;
        for (const QByteArray &block : blocks) {
            if (order.isEmpty() || order.last() != block)
                order.append(block);
        }
        return order;
    }
    static QList<QByteArray> blockStarts()
    {
        return {"0800", "0825", "0900", "0925", "1000", "1025",
                "1100", "1125", "1200", "1225", "1300", "1325"};
    }
    /// The 25 registers of block b, as the protocol numbers them.
    static QList<int> blockRegisters(int b)
    {
        QList<int> registers;
        for (int j = 0; j < MemoryTable::BlockSize; ++j)
            registers.append(blockStarts().at(b).toInt() + j);
        return registers;
    }
    /// The block start registers of the memory frames sent from index first on, in order.
    QList<QByteArray> blocksSent(qsizetype first, const QByteArray &command) const
    {
        QList<QByteArray> starts;
        for (const QByteArray &frame : frames(first)) {
            if (frame.mid(3, 6) == command + ",25")
                starts.append(frame.mid(10, 4));
        }
        return starts;
    }
    RequestFailure onlyFailure(const QSignalSpy &spy) const
    {
        return spy.size() == 1 ? spy.first().first().value<RequestFailure>() : RequestFailure{};
    }
};

static QByteArray statusRead(int device)
{
    return "\x02" + QByteArray::number(device).rightJustified(2, '0') +
           "DRR,16,0507,0506,0001,0002,0003,0006,0007,0016,0031,0032,0131,0201,0202,0205,"
           "0207,0208\r\n";
}

/// A good STD read reply from the device with these register values.
static QByteArray readReply(int device, const QList<int> &values)
{
    QByteArray reply = "\x02" + QByteArray::number(device).rightJustified(2, '0') + "DRR,OK";
    for (int value : values)
        reply += "," + QByteArray::number(value, 16).toUpper().rightJustified(4, '0');
    return reply + "\r\n";
}

class tst_CommandPath : public QObject
{
    Q_OBJECT

private slots:
    void lateMemoryReplyIsNeverTakenForTheNextBlock_data();
    void lateMemoryReplyIsNeverTakenForTheNextBlock();
    void aWriteLostBehindALateAcknowledgementIsSentAgain();
    void aWritesReadBackIsNeverALateReply();
    void lateStatusRepliesNeverLandOnAnotherController();
    void repliesThatAnswerSomethingElseAreDropped_data();
    void repliesThatAnswerSomethingElseAreDropped();
    void refusedOrUnansweredRequestIsDroppedAfterThreeTries_data();
    void refusedOrUnansweredRequestIsDroppedAfterThreeTries();
    void closingAndOpeningEmptyTheRequestSlot();
    void overviewWriteIsReadBackAndMarkedOnItsOwnController();
    void aControllerThatStopsAnsweringIsNoLongerCurrent();
};

void tst_CommandPath::lateMemoryReplyIsNeverTakenForTheNextBlock_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<QByteArray>("lateBlock");
    QTest::addColumn<int>("lateTimes");
    QTest::addColumn<int>("promptMs"); // how soon the controller answers otherwise
    QTest::newRow("read, block 900 late once") << false << QByteArray("0900") << 1 << 20;
    QTest::newRow("read, block 900 late twice") << false << QByteArray("0900") << 2 << 20;
    QTest::newRow("read, 900 late twice, slower line") << false << QByteArray("0900") << 2 << 100;
    QTest::newRow("read, last block late twice") << false << QByteArray("1325") << 2 << 100;
    QTest::newRow("send, block 925 late once") << true << QByteArray("0925") << 1 << 20;
    QTest::newRow("send, 900 late twice, slower line") << true << QByteArray("0900") << 2 << 100;
    QTest::newRow("send, first block late twice") << true << QByteArray("0800") << 2 << 100;
}

/// The controller answers one block 900 ms late, after the 600 ms time-out, once or twice in a
/// row: its late replies look exactly like the next block's, so what follows a time-out is in
/// doubt. Reads are repeated until two agree and a send is read back: every block of the
/// controller and of the table ends with its own values, and the blocks go out in order.
void tst_CommandPath::lateMemoryReplyIsNeverTakenForTheNextBlock()
{
    QFETCH(bool, send);
    QFETCH(QByteArray, lateBlock);
    QFETCH(int, lateTimes);
    QFETCH(int, promptMs);
    Line h({1});
    h.line.setLatency(promptMs);
    QVERIFY(h.goOnline());
    QVERIFY(h.runUntil([&] { return h.engine->state().DecimalPlaces == 1; }, 5000));
    SimulatedController &controller = *h.line.controller(1);
    MemoryTable table;
    // Every register of the 300 holds its own value, in the table or in the controller.
    for (int b = 0; b < MemoryTable::BlockCount; ++b) {
        const QList<int> registers = Line::blockRegisters(b);
        for (int j = 0; j < MemoryTable::BlockSize; ++j) {
            const int value = registers[j] - 700;
            const int column = MemoryTable::blockColumn(b);
            if (send)
                table.setCell(column, MemoryTable::blockFirstRow(b) + j,
                              column == 1 ? QString::number(value / 10.0, 'f', 1)
                                          : QString::number(value));
            else
                controller.writeRegister(registers[j], value);
        }
    }
    QSignalSpy completed(h.engine.get(), send ? &PollingEngine::memorySendCompleted
                                              : &PollingEngine::memoryReadCompleted);
    QSignalSpy failed(h.engine.get(), &PollingEngine::requestFailed);
    const qsizetype first = h.link.sent().size();
    send ? h.engine->sendMemory(table) : h.engine->readMemory(table);
    if (lateBlock != "0800")
        QVERIFY(h.sendUntilBlockBefore(lateBlock));
    h.line.setLatency(SimulatedLine::LateMs);
    h.runFrames(lateTimes);
    h.line.setLatency(promptMs);
    QVERIFY(h.runUntil([&] { return completed.size() > 0; }, 30000));
    h.clock.advance(3000); // every late reply has long arrived

    QCOMPARE(completed.size(), 1);
    QCOMPARE(failed.size(), 0);
    QCOMPARE(Line::inOrder(h.blocksSent(first, send ? "DWR" : "DRR")), Line::blockStarts());
    if (send) // a send that met a time-out is read back
        QCOMPARE(Line::inOrder(h.blocksSent(first, "DRR")), Line::blockStarts());
    for (int b = 0; b < MemoryTable::BlockCount; ++b) {
        const QList<int> registers = Line::blockRegisters(b);
        for (int j = 0; j < MemoryTable::BlockSize; ++j) {
            QCOMPARE(controller.readRegister(registers[j]).value(), registers[j] - 700);
            QCOMPARE(table.blockValues(b, 1).at(j), registers[j] - 700);
        }
    }
}

/// Block 925's first write is acknowledged a second late, after its retry was acknowledged, so
/// its late "OK" is taken for block 1000's write, which the controller never received. The
/// send met a time-out, so it is read back: block 1000 differs, goes out again and is read back.
void tst_CommandPath::aWriteLostBehindALateAcknowledgementIsSentAgain()
{
    Line h({1});
    QVERIFY(h.goOnline());
    MemoryTable table;
    for (int row = 1; row <= MemoryTable::Rows; ++row)
        for (int column = 1; column <= MemoryTable::Columns; ++column)
            table.setCell(column, row, QString::number(row + 100 * column));
    QSignalSpy completed(h.engine.get(), &PollingEngine::memorySendCompleted);
    QSignalSpy verifying(h.engine.get(), &PollingEngine::memorySendVerifying);
    QSignalSpy failed(h.engine.get(), &PollingEngine::requestFailed);
    const qsizetype first = h.link.sent().size();
    h.engine->sendMemory(table);
    QVERIFY(h.sendUntilBlockBefore("0925"));
    for (const int latency : {1000, 20, SimulatedLine::NoReply}) { // 925, 925 again, 1000
        h.line.setDeviceLatency(1, latency);
        h.runFrames(1);
    }
    h.line.setDeviceLatency(1, SimulatedLine::LineLatency);
    QVERIFY(h.runUntil([&] { return completed.size() + failed.size() > 0; }, 30000));

    QCOMPARE(failed.size(), 0);
    QCOMPARE(verifying.size(), 2); // the whole send, then the block sent again
    const QList<QByteArray> writes = h.blocksSent(first, "DWR");
    QCOMPARE(writes.mid(writes.size() - 2), QList<QByteArray>({"1325", "1000"}));
    QCOMPARE(h.blocksSent(first, "DRR").last(), QByteArray("1000"));
    for (int b = 0; b < MemoryTable::BlockCount; ++b) {
        const QList<int> registers = Line::blockRegisters(b);
        const QList<int> values = table.blockValues(b, 1);
        for (int j = 0; j < MemoryTable::BlockSize; ++j)
            QCOMPARE(h.line.controller(1)->readRegister(registers[j]).value(), values[j]);
    }
}

/// The parameter block was read after a time-out; the late reply to that read carries the values
/// before a write and arrives just after the write's read-back went out. The read-back is in
/// doubt, so it is read again until two agree: the window never sees the old value come back.
void tst_CommandPath::aWritesReadBackIsNeverALateReply()
{
    Line h({1});
    QVERIFY(h.goOnline());
    const Register limit = RegisterMap::writable(F::UpperLimit).value();
    SimulatedController &controller = *h.line.controller(1);
    controller.writeRegister(limit.address, 1000);
    QList<int> before;
    for (const int address : RegisterMap::parameterRegisters())
        before.append(controller.readRegister(address).value());
    QList<std::optional<int>> readBack;
    QObject::connect(h.engine.get(), &PollingEngine::parameterBlockDecoded, h.engine.get(),
                     [&] { readBack.append(h.engine->table().value(0, F::UpperLimit)); });
    auto isRead = [](const QByteArray &frame) {
        return frame.mid(3, 6) == "DRR,31";
    };

    h.line.setDeviceLatency(1, SimulatedLine::NoReply); // its reply comes late, below
    h.engine->readParameters(nullptr, 1);
    QVERIFY(h.sendUntil(isRead));
    h.line.setDeviceLatency(1, SimulatedLine::LineLatency);
    QVERIFY(h.runUntil([&] { return !readBack.isEmpty(); }, 5000));
    h.engine->writeRegister(limit.address, 1200, 1);
    QVERIFY(h.sendUntil([](const QByteArray &frame) { return frame.mid(3, 3) == "DWR"; }));
    QVERIFY(h.sendUntil(isRead));
    h.link.deliver(readReply(1, before), 5); // before the controller's own reply
    readBack.clear();
    QVERIFY(h.runUntil([&] { return !readBack.isEmpty() && !h.engine->isBusy(); }, 5000));
    h.clock.advance(3000);

    QCOMPARE(readBack, QList<std::optional<int>>({1200}));
    QCOMPARE(h.engine->table().value(0, F::UpperLimit), std::optional<int>(1200));
}

/// Controller 3 always answers its status 900 ms late: its late replies arrive while controller
/// 1 is being asked, and must never be taken for controller 1's values.
void tst_CommandPath::lateStatusRepliesNeverLandOnAnotherController()
{
    Line h({1, 3});
    h.line.controller(1)->writeRegister(7, 111); // SV 11.1
    h.line.controller(3)->writeRegister(7, 333); // SV 33.3
    QVERIFY(h.goOnline());
    QVERIFY(h.runUntil([&] { return !h.engine->table().field(1, F::Sv).isEmpty(); }, 5000));
    h.line.setDeviceLatency(3, SimulatedLine::LateMs);
    QStringList seenOnRowOfOne;
    QObject::connect(h.engine.get(), &PollingEngine::statusBlockDecoded, h.engine.get(),
                     [&](int row) {
                         if (row == 0)
                             seenOnRowOfOne.append(h.engine->table().field(0, F::Sv));
                     });
    h.clock.advance(40000);
    QVERIFY(seenOnRowOfOne.size() > 20);
    QCOMPARE(seenOnRowOfOne.count(QStringLiteral("11.1")), seenOnRowOfOne.size());
    // Controller 3's row holds only its own values, however late they came.
    QCOMPARE(h.engine->table().field(1, F::Sv), QStringLiteral("33.3"));
    QVERIFY(h.engine->isCurrent(0));
}

void tst_CommandPath::repliesThatAnswerSomethingElseAreDropped_data()
{
    QTest::addColumn<bool>("fromOther");
    QTest::addColumn<QByteArray>("body");
    const QList<int> sixteen(16, 0x0123);
    QTest::newRow("another controller's status") << true << readReply(0, sixteen).mid(3);
    QTest::newRow("another controller's refusal") << true << QByteArray("NG,03\r\n");
    QTest::newRow("its own parameter block, late")
        << false << readReply(0, QList<int>(31, 0x0123)).mid(3);
    QTest::newRow("its own error history, late") << false << readReply(0, QList<int>(5, 1)).mid(3);
    QTest::newRow("its own write acknowledgement, late") << false << QByteArray("DWR,OK\r\n");
    QTest::newRow("its own identification, late") << false << QByteArray("WHO,OK,ZQ500\r\n");
}

/// While a status request is outstanding, a reply from another controller, or one that
/// answers another command or carries another number of values, is traced and dropped: the
/// request still waits for its own reply and times out 600 ms after it went out.
void tst_CommandPath::repliesThatAnswerSomethingElseAreDropped()
{
    QFETCH(bool, fromOther);
    QFETCH(QByteArray, body);
    Line h({1, 3});
    QVERIFY(h.goOnline());
    h.link.attach(nullptr); // from here on only what the test delivers arrives
    h.runFrames(1);
    const QByteArray request = h.frames().last();
    QCOMPARE(request.mid(3, 6), QByteArray("DRR,16"));
    const int polled = request.mid(1, 2).toInt();
    const int row = polled == 1 ? 0 : 1;
    const int sender = fromOther ? (polled == 1 ? 3 : 1) : polled;
    const QString pvBefore = h.engine->table().field(row, F::Pv);
    const QString otherPvBefore = h.engine->table().field(1 - row, F::Pv);
    const LinkState linkBefore = h.engine->table().linkState(row);
    const LinkState otherLinkBefore = h.engine->table().linkState(1 - row);
    QSignalSpy decoded(h.engine.get(), &PollingEngine::statusBlockDecoded);
    QSignalSpy timedOut(h.engine.get(), &PollingEngine::replyTimedOut);
    h.link.deliver("\x02" + QByteArray::number(sender).rightJustified(2, '0') + body, 20);
    h.clock.advance(599);
    QCOMPARE(decoded.size(), 0);
    QCOMPARE(timedOut.size(), 0);
    QCOMPARE(h.engine->table().linkState(row), linkBefore);
    QCOMPARE(h.engine->table().linkState(1 - row), otherLinkBefore);
    h.clock.advance(1);
    QCOMPARE(timedOut.size(), 1);
    QCOMPARE(timedOut.first().first().toInt(), row);
    QCOMPARE(h.engine->table().field(row, F::Pv), pvBefore);
    QCOMPARE(h.engine->table().field(1 - row, F::Pv), otherPvBefore);

    // Its own reply to the request that follows is taken.
    h.runFrames(1);
    h.link.deliver(readReply(polled, QList<int>(16, 0x0100)), 20);
    h.clock.advance(250);
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(h.engine->table().linkState(row), LinkState::Good);
}

void tst_CommandPath::refusedOrUnansweredRequestIsDroppedAfterThreeTries_data()
{
    QTest::addColumn<bool>("memory");
    QTest::addColumn<bool>("refused"); // else the controller has gone quiet
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("retryGapMs");
    QTest::newRow("write refused") << false << true << int(Reason::Negative) << 270;
    QTest::newRow("write unanswered") << false << false << int(Reason::NoReply) << 650;
    QTest::newRow("send refused at block 5") << true << true << int(Reason::Negative) << 270;
    QTest::newRow("send unanswered at block 5") << true << false << int(Reason::NoReply) << 650;
}

/// Three refusals or time-outs in a row drop the request: its window hears which controller
/// did not take what (a transfer how many blocks went through), and status polling resumes at
/// once instead of the request being sent for ever.
void tst_CommandPath::refusedOrUnansweredRequestIsDroppedAfterThreeTries()
{
    QFETCH(bool, memory);
    QFETCH(bool, refused);
    QFETCH(int, reason);
    QFETCH(int, retryGapMs);
    Line h({1, 2});
    QVERIFY(h.goOnline());
    QSignalSpy failed(h.engine.get(), &PollingEngine::requestFailed);
    QObject window;
    MemoryTable table;
    const qsizetype first = h.link.sent().size();
    if (memory) {
        h.engine->sendMemory(table, &window);
        QVERIFY(h.sendUntilBlockBefore("1025"));
    } else {
        h.runFrames(1);
        h.clock.advance(220);
        h.engine->writeRegister(102, 1, 0, &window);
    }
    const auto fail = [&h, refused](bool on) {
        if (refused)
            h.line.setFault(SimulatedLine::Fault::Ng, on ? 1 : 0);
        else
            h.line.setDeviceLatency(1, on ? SimulatedLine::NoReply : SimulatedLine::LineLatency);
    };
    fail(true);
    h.runFrames(3);
    fail(false);
    const QList<QByteArray> tries = h.frames().mid(h.frames().size() - 3);
    for (const QByteArray &frame : tries)
        QCOMPARE(frame.left(14), tries.first().left(14));
    QCOMPARE(tries.first().mid(1, 5), QByteArray("01DWR"));
    QCOMPARE(failed.size(), 0);
    h.runFrames(1);
    QCOMPARE(failed.size(), 1);
    const RequestFailure failure = h.onlyFailure(failed);
    QCOMPARE(int(failure.reason), reason);
    QCOMPARE(failure.deviceNo, 1);
    QCOMPARE(failure.requester, &window);
    QCOMPARE(failure.kind, memory ? RequestKind::MemoryWrite : RequestKind::RegisterWrite);
    QCOMPARE(failure.blocksDone, memory ? 5 : 0);
    QCOMPARE(failure.address, memory ? 0 : 102);
    QVERIFY(failure.text().contains(QStringLiteral("기기 1번")));
    QVERIFY(failure.text().contains(memory ? QStringLiteral("12블록 중 5블록 완료")
                                           : QStringLiteral("레지스터 102")));
    QCOMPARE(h.engine->table().pickerState(0), LinkState::Failed);
    QVERIFY(!h.line.controller(1)->running());
    // Polling resumed at once and goes round every controller again.
    QCOMPARE(h.frames().last().mid(3, 6), QByteArray("DRR,16"));
    const QList<qint64> times = h.times();
    QCOMPARE(times.last() - times.at(times.size() - 2), qint64(retryGapMs));
    h.runFrames(2);
    const QList<QByteArray> polled = h.frames().mid(h.frames().size() - 3);
    QVERIFY(polled.contains(statusRead(1)));
    QVERIFY(polled.contains(statusRead(2)));
    h.clock.advance(300);
    QCOMPARE(h.engine->table().pickerState(0), LinkState::Good);
    QVERIFY(!h.engine->isBusy());
    QCOMPARE(h.blocksSent(first, "DWR").size(), memory ? 8 : 0);
}

/// Nothing queued before the port closed goes out after it opens again: the window hears that
/// its request was not done, and the line starts with identification.
void tst_CommandPath::closingAndOpeningEmptyTheRequestSlot()
{
    Line h({1, 2});
    QVERIFY(h.goOnline());
    QSignalSpy failed(h.engine.get(), &PollingEngine::requestFailed);
    QObject window;
    h.engine->writeRegister(102, 1, 2, &window); // RUN for controller 2, not yet sent
    h.engine->closePort();
    QCOMPARE(failed.size(), 1);
    QCOMPARE(h.onlyFailure(failed).reason, Reason::LineClosed);
    QCOMPARE(h.onlyFailure(failed).deviceNo, 2);
    QCOMPARE(h.engine->requests().pendingCode(), 0);

    // Queued while closed (the selected controller is still known): dropped by the opening.
    h.engine->writeRegister(102, 1, 0, &window);
    QCOMPARE(h.engine->requests().pendingCode(), 101);
    const qsizetype first = h.link.sent().size();
    QVERIFY(h.goOnline());
    QCOMPARE(failed.size(), 2);
    QCOMPARE(failed.last().first().value<RequestFailure>().reason, Reason::LineClosed);
    h.clock.advance(3000);
    for (const QByteArray &frame : h.frames(first))
        QVERIFY2(frame.mid(3, 3) != "DWR", frame.constData());
    QCOMPARE(h.frames(first).first().mid(3, 3), QByteArray("WHO"));
    QVERIFY(!h.line.controller(1)->running());
    QVERIFY(!h.line.controller(2)->running());

    // A memory send cut by the pulled adapter says how many blocks went through.
    MemoryTable table;
    h.engine->sendMemory(table, &window);
    QVERIFY(h.sendUntilBlockBefore("0925"));
    h.clock.advance(260); // the block before 925 acknowledged, 925 under way
    h.link.pull();
    h.clock.advance(100);
    QCOMPARE(failed.size(), 3);
    const RequestFailure cut = failed.last().first().value<RequestFailure>();
    QCOMPARE(cut.kind, RequestKind::MemoryWrite);
    QCOMPARE(cut.reason, Reason::LineClosed);
    QCOMPARE(cut.blocksDone, 3);
    QVERIFY(cut.text().contains(QStringLiteral("12블록 중 3블록 완료")));

    // A pick of another controller takes the slot from a write still waiting there.
    QVERIFY(h.goOnline());
    h.engine->writeRegister(102, 1, 0, &window);
    QVERIFY(h.engine->selectDevice(1));
    QCOMPARE(failed.size(), 4);
    QCOMPARE(failed.last().first().value<RequestFailure>().reason, Reason::Replaced);
    h.clock.advance(3000);
    QVERIFY(!h.line.controller(1)->running());
}

/// A write to a controller other than the selected one (from the overview) reads back that
/// controller's block and marks that controller's row, whatever is polled or selected.
void tst_CommandPath::overviewWriteIsReadBackAndMarkedOnItsOwnController()
{
    Line h({1, 2});
    QVERIFY(h.goOnline());
    QCOMPARE(h.engine->state().SelectedDeviceNo, 1);
    QSignalSpy blocks(h.engine.get(), &PollingEngine::parameterBlockDecoded);
    h.line.controller(2)->writeRegister(504, 777);
    h.engine->writeRegister(102, 1, 2);
    const QList<QByteArray> sent = h.nextFrames(3);
    QCOMPARE(sent.at(0), QByteArray("\x02"
                                    "02DWR,01,0102,0001\r\n"));
    QCOMPARE(sent.at(1).left(9), QByteArray("\x02"
                                            "02DRR,31"));
    QCOMPARE(sent.at(2).left(9), QByteArray("\x02"
                                            "01DRR,16"));
    QVERIFY(h.line.controller(2)->running());
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(blocks.first().first().toInt(), 1);
    QCOMPARE(h.engine->table().field(1, F::UpperLimit), QStringLiteral("77.7"));
    QCOMPARE(h.engine->table().field(0, F::UpperLimit), QString());

    // Refused: the NG lands on controller 2's row, not on the polled or selected one's.
    h.clock.advance(220);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Good);
    h.line.setFault(SimulatedLine::Fault::Ng, 1);
    h.engine->writeRegister(103, 1, 2);
    h.runFrames(1);
    h.line.setFault(SimulatedLine::Fault::Ng, 0);
    h.clock.advance(260);
    QCOMPARE(h.engine->table().linkState(1), LinkState::Negative);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Good);
}

/// A controller that stops answering is no longer current after three unanswered status
/// requests (nothing of it is charted or recorded), and is again after its next status block.
void tst_CommandPath::aControllerThatStopsAnsweringIsNoLongerCurrent()
{
    Line h({1, 2});
    QVERIFY(!h.engine->isCurrent(0));
    QVERIFY(h.goOnline());
    h.clock.advance(1000);
    QVERIFY(h.engine->isCurrent(0));
    QVERIFY(h.engine->isCurrent(1));
    h.line.setDeviceLatency(2, SimulatedLine::NoReply);
    QVERIFY(h.runUntil([&] { return !h.engine->isCurrent(1); }, 5000));
    QVERIFY(h.engine->isCurrent(0));
    h.line.setDeviceLatency(2, SimulatedLine::LineLatency);
    QVERIFY(h.runUntil([&] { return h.engine->isCurrent(1); }, 5000));

    // A long memory transfer keeps every other controller unpolled: after three cycles' worth
    // of time they are no longer current.
    MemoryTable table;
    h.line.setDeviceLatency(1, 550); // slow but in time: the twelve blocks take 9.6 s
    h.engine->readMemory(table);
    QVERIFY(h.runUntil([&] { return !h.engine->isCurrent(1); }, 8000));
    h.engine->closePort();
    QVERIFY(!h.engine->isCurrent(0));
}

QTEST_GUILESS_MAIN(tst_CommandPath)
#include "tst_commandpath.moc"
