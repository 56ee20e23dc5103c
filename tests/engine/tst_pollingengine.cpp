#include "EngineHarness.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using F = DeviceTable::Field;

/// The engine harness, started up as the main window does, with the port settings written.
struct Harness : EngineHarness
{
    Harness(const QList<int> &listed, const QList<int> &present, const QByteArray &protocol = "STD",
            bool trace = false)
        : EngineHarness({listed, protocol, trace}, present)
    {
        startUp();
    }

    /// Opens the port, runs until the window goes online and the first status exchange is done;
    /// the next status request is then due in 50 ms.
    void goOnline() { QVERIFY(EngineHarness::goOnline()); }
};

static QByteArray who(int device)
{
    return "\x02" + QByteArray::number(device).rightJustified(2, '0') + "WHO\r\n";
}

static const QByteArray StatusRegs = ",16,0507,0506,0001,0002,0003,0006,0007,0016,0031,0032,0131,"
                                     "0201,0202,0205,0207,0208";

static QByteArray statusRead(int device)
{
    return "\x02" + QByteArray::number(device).rightJustified(2, '0') + "DRR" + StatusRegs + "\r\n";
}

static QByteArray commandOf(const QByteArray &frame)
{
    return frame.mid(1, 5);
}

/// A status reply for the device with PV 25.3 and the given STATUS word (STD framing).
static QByteArray statusReply(int device, int pv = 253, const QByteArray &statusWord = "0001")
{
    return "\x02" + QByteArray::number(device).rightJustified(2, '0') + "DRR,OK,0000,0001," +
           QByteArray::number(pv, 16).toUpper().rightJustified(4, '0') + ",00F8,FFFB," +
           statusWord + ",0258,0078,0000,0000,000C,03E8,0000,0003,0019,0018\r\n";
}

class tst_PollingEngine : public QObject
{
    Q_OBJECT

private slots:
    void identificationGivesUpAnAbsentDeviceAfterThreeTimeOuts();
    void replyTimeOutFallsExactlyAt600Ms();
    void statusPollingAlternatesOverConnectedDevices();
    void unansweredIdentificationStartsOver();
    void identificationReplyWithoutZq5AsksAgain();
    void commandWriteIsReadBackThenPollingResumes();
    void laterQueuedRequestWins();
    void commandDuringMemoryReadEndsTheMemoryRead();
    void memoryReadRunsTwelveBlocksThenPollsTheSecondDevice();
    void memoryWriteSendsScaledTableValues();
    void errorHistoryIsDecodedIntoItsSignal();
    void earlyNegativeReplyIsMarkedAtItsFifthByte();
    void negativeAndCorruptRepliesRepeatTheRequest();
    void splitJoinedAndNoisyRepliesAreAssembled();
    void stuckPartialReplyIsAbandoned600MsAfterItsLastByte();
    void oversizedGarbageIsDropped();
    void timeOutsAddUpAcrossDevicesAndRequests();
    void lastConnectedDeviceKeepsBeingPolledAfterTimeOuts();
    void closingWithRequestOutstandingTimesOutOnceAndStops();
    void protocolChangeAppliesToTheNextFrame();
    void emptyDeviceListOrFailedOpenLeavesThePortClosed();
    void pulledAdapterStopsPollingAndCanReopen();
    void traceShowsSentFramesAndEveryReceivedByte();
    void traceHoldsEachReplyOnceHoweverItsBytesCome();
    void closedLineForgetsEveryControllerUntilItsNextStatus();
    void pickBeforeGoingOnlineIsRefused();
    void refusedRequestIsReportedAndPollingGoesOn();
    void newDeviceListRestartsIdentification();
};

void tst_PollingEngine::identificationGivesUpAnAbsentDeviceAfterThreeTimeOuts()
{
    Harness h({1, 2}, {1});
    QSignalSpy online(h.engine.get(), &PollingEngine::onlineChanged);
    QSignalSpy selected(h.engine.get(), &PollingEngine::selectedDeviceChanged);
    QVERIFY(h.engine->openPort().ok());
    QVERIFY(h.engine->connectCheckVisible());
    h.clock.advance(2270);
    QCOMPARE(h.frames(), QList<QByteArray>({who(1), who(2), who(2), who(2), statusRead(1)}));
    QCOMPARE(h.times(), QList<qint64>({50, 320, 970, 1620, 2270}));
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().first().toInt(), 1);
    QCOMPARE(online.size(), 1);
    QVERIFY(!h.engine->connectCheckVisible());
    const DeviceTable &table = h.engine->table();
    QCOMPARE(table.pickerState(0), LinkState::Good);
    QCOMPARE(table.pickerState(1), LinkState::Failed);
    QCOMPARE(table.linkState(1), LinkState::TimedOut);
    // As the views see it: text and colour by role, the device number as the row's header.
    QCOMPARE(table.index(1, 0).data().toString(), QStringLiteral("OVER"));
    QCOMPARE(table.index(1, 0).data(DeviceTable::LinkColourRole).value<LinkColour>(),
             LinkColour::Red);
    QCOMPARE(table.index(1, DeviceTable::PickerColumn).data().toString(), QStringLiteral("불량"));
    QCOMPARE(table.headerData(1, Qt::Vertical).toInt(), 2);
    QCOMPARE(connectedRows(h.engine->table()), QList<bool>({true, false}));
    QCOMPARE(h.engine->RequestCode(), 11);

    h.runFrames(4);
    for (const QByteArray &frame : h.frames(5))
        QCOMPARE(frame, statusRead(1));
    QCOMPARE(table.linkState(0), LinkState::Good);
    QCOMPARE(table.field(0, F(4)), QStringLiteral("25.0"));
}

void tst_PollingEngine::replyTimeOutFallsExactlyAt600Ms()
{
    Harness h({1, 2}, {1});
    QVERIFY(h.engine->openPort().ok());
    h.clock.advance(919); // WHO 02 went out at 320
    QCOMPARE(h.engine->table().linkState(1), LinkState::Unknown);
    h.clock.advance(1);
    QCOMPARE(h.engine->table().linkState(1), LinkState::TimedOut);
    QCOMPARE(h.engine->TimeoutCount(), 1);
    h.clock.advance(49);
    QCOMPARE(h.link.sent().size(), 2);
    h.clock.advance(1);
    QCOMPARE(h.link.sent().size(), 3);
}

void tst_PollingEngine::statusPollingAlternatesOverConnectedDevices()
{
    Harness h({3, 5}, {3, 5});
    h.goOnline();
    const qsizetype first = h.link.sent().size();
    h.runFrames(4);
    QCOMPARE(h.frames(first),
             QList<QByteArray>({statusRead(5), statusRead(3), statusRead(5), statusRead(3)}));
}

void tst_PollingEngine::unansweredIdentificationStartsOver()
{
    Harness h({1}, {});
    QSignalSpy online(h.engine.get(), &PollingEngine::onlineChanged);
    QVERIFY(h.engine->openPort().ok());
    h.clock.advance(5000);
    QCOMPARE(online.size(), 0);
    for (const QByteArray &frame : h.frames())
        QCOMPARE(frame, who(1));
    QCOMPARE(h.link.sent().size(), 8); // one every 650 ms
    QCOMPARE(h.engine->CurrentIndex(), 0);
}

void tst_PollingEngine::identificationReplyWithoutZq5AsksAgain()
{
    Harness h({1}, {});
    QVERIFY(h.engine->openPort().ok());
    h.clock.advance(50);
    h.link.deliver("\x02"
                   "01WHO,OK,XY100\r\n",
                   20);
    h.clock.advance(270);
    QCOMPARE(h.frames(), QList<QByteArray>({who(1), who(1)}));
    QVERIFY(!h.engine->table().connected(0));
    QCOMPARE(h.engine->state().SelectedDeviceNo, 0);
}

void tst_PollingEngine::commandWriteIsReadBackThenPollingResumes()
{
    Harness h({1}, {1}, "SUM");
    h.goOnline();
    h.engine->writeRegister(102, 1);
    const QList<QByteArray> frames = h.nextFrames(3);
    QCOMPARE(frames.at(0), QByteArray("\x02"
                                      "01DWR,01,0102,0001B7\r\n"));
    QCOMPARE(frames.at(1).left(14), QByteArray("\x02"
                                               "01DRR,31,0300"));
    QCOMPARE(commandOf(frames.at(2)), QByteArray("01DRR"));
    QCOMPARE(frames.at(2).mid(6, 3), QByteArray(",16"));
    QVERIFY(h.line.controller(1)->running());
    h.runFrames(1);
    QCOMPARE(h.engine->table().running(0), true);
    QVERIFY(h.engine->display().commandLit[0]);
    QCOMPARE(h.engine->table().field(0, F(18)), QStringLiteral("0"));
    QCOMPARE(h.engine->table().field(0, F(26)), QStringLiteral("240"));
}

void tst_PollingEngine::laterQueuedRequestWins()
{
    Harness h({1}, {1});
    h.goOnline();
    h.engine->writeRegister(102, 1);
    h.engine->writeRegister(104, 1);
    const qsizetype first = h.link.sent().size();
    h.runFrames(1);
    QCOMPARE(h.frames(first), QList<QByteArray>({"\x02"
                                                 "01DWR,01,0104,0001\r\n"}));
    QVERIFY(!h.line.controller(1)->running());

    // A write to a controller that is not in the list is refused at once; nothing goes out.
    QSignalSpy failed(h.engine.get(), &PollingEngine::requestFailed);
    h.runFrames(1);
    const qsizetype before = h.link.sent().size();
    h.engine->writeRegister(131, 7, 12);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().first().value<RequestFailure>().reason,
             RequestFailure::Reason::NoController);
    h.runFrames(1);
    QCOMPARE(h.frames(before), QList<QByteArray>({statusRead(1)}));
}

void tst_PollingEngine::commandDuringMemoryReadEndsTheMemoryRead()
{
    Harness h({1}, {1});
    h.goOnline();
    MemoryTable table;
    h.engine->readMemory(table);
    for (int i = 0; i < 100 && h.engine->RequestCode() != 55; ++i)
        h.runFrames(1);
    QCOMPARE(h.engine->RequestCode(), 55);
    h.engine->writeRegister(102, 1);
    const qsizetype first = h.link.sent().size();
    h.runFrames(3);
    const QList<QByteArray> frames = h.frames(first);
    QCOMPARE(commandOf(frames.at(0)), QByteArray("01DWR"));
    QCOMPARE(frames.at(1).mid(6, 3), QByteArray(",31"));
    QCOMPARE(frames.at(2).mid(6, 3), QByteArray(",16"));
}

void tst_PollingEngine::memoryReadRunsTwelveBlocksThenPollsTheSecondDevice()
{
    Harness h({1, 2}, {1, 2});
    h.goOnline();
    h.line.controller(1)->writeRegister(900, 253); // entry 51: SV 25.3
    h.line.controller(1)->writeRegister(1349, -5); // entry 100: OFF time -5
    MemoryTable table;
    QSignalSpy placed(h.engine.get(), &PollingEngine::memoryBlockPlaced);
    QSignalSpy completed(h.engine.get(), &PollingEngine::memoryReadCompleted);
    h.engine->readMemory(table);
    // Let the status exchange in flight finish first.
    h.runFrames(1);
    const qsizetype first = h.link.sent().size() - 1;
    h.runFrames(12);
    const QList<QByteArray> frames = h.frames(first);
    const QList<QByteArray> starts = {"0800", "0825", "0900", "0925", "1000", "1025",
                                      "1100", "1125", "1200", "1225", "1300", "1325"};
    for (int b = 0; b < 12; ++b) {
        QCOMPARE(frames.at(b).mid(1, 9), QByteArray("01DRR,25,"));
        QCOMPARE(frames.at(b).mid(10, 4), starts.at(b));
        QCOMPARE(frames.at(b).mid(130, 4),
                 QByteArray::number(starts.at(b).toInt() + 24).rightJustified(4, '0'));
    }
    QCOMPARE(placed.size(), 12);
    QCOMPARE(placed.at(11).first().toInt(), 11);
    QCOMPARE(completed.size(), 1);
    QCOMPARE(table.cell(1, 51), QStringLiteral("25.3"));
    QCOMPARE(table.cell(3, 100), QStringLiteral("-5"));
    QCOMPARE(frames.at(12), statusRead(2));

    // A table closed before its read ends: the rest of the read changes nothing.
    auto closed = std::make_unique<MemoryTable>();
    h.engine->readMemory(*closed);
    h.runFrames(3);
    closed.reset();
    h.runFrames(12);
    QCOMPARE(completed.size(), 1);
}

void tst_PollingEngine::memoryWriteSendsScaledTableValues()
{
    Harness h({1}, {1});
    h.goOnline();
    QCOMPARE(h.engine->state().DecimalPlaces, 1);
    MemoryTable table;
    for (int row = 1; row <= MemoryTable::Rows; ++row) {
        table.setCell(1, row, row == 1 ? QStringLiteral("25.5") : QStringLiteral("2.55"));
        table.setCell(2, row, row == 1 ? QStringLiteral("2.5") : QStringLiteral("x"));
    }
    QSignalSpy completed(h.engine.get(), &PollingEngine::memorySendCompleted);
    h.engine->sendMemory(table);
    h.runFrames(1);
    const qsizetype first = h.link.sent().size() - 1;
    h.runFrames(12);
    const QList<QByteArray> frames = h.frames(first);
    QCOMPARE(frames.at(0).left(24), QByteArray("\x02"
                                               "01DWR,25,0800,00FF,0801"));
    QCOMPARE(frames.at(0).mid(25, 4), QByteArray("001A")); // 2.55 x 10 = 25.5 -> 26 (even)
    QCOMPARE(frames.at(4).left(19), QByteArray("\x02"
                                               "01DWR,25,1000,0002"));
    QCOMPARE(frames.at(5).left(19), QByteArray("\x02"
                                               "01DWR,25,1025,0000"));
    QCOMPARE(completed.size(), 1);
    QCOMPARE(commandOf(frames.at(12)), QByteArray("01DRR"));
    QCOMPARE(h.line.controller(1)->readRegister(800).value(), 255);
    QCOMPARE(h.line.controller(1)->readRegister(1000).value(), 2);
}

void tst_PollingEngine::errorHistoryIsDecodedIntoItsSignal()
{
    Harness h({1}, {1});
    h.goOnline();
    QSignalSpy received(h.engine.get(), &PollingEngine::errorHistoryReceived);
    h.engine->readErrorHistory();
    h.runFrames(2);
    QCOMPARE(h.frames().at(h.frames().size() - 2),
             QByteArray("\x02"
                        "01DRR,05,0700,0701,0702,0703,0704\r\n"));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().at(0).toInt(), 1);
    QCOMPARE(received.first().at(1).value<QList<int>>(), QList<int>({3, 0, 0, 0, 0}));
    QCOMPARE(h.engine->RequestCode(), 11);
}

void tst_PollingEngine::earlyNegativeReplyIsMarkedAtItsFifthByte()
{
    Harness h({1}, {1});
    h.goOnline();
    h.line.setFault(SimulatedLine::Fault::Ng, 1);
    const qsizetype first = h.link.sent().size();
    h.runFrames(3);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Negative);
    QCOMPARE(h.engine->table().pickerState(0), LinkState::Good); // unchanged
    for (const QByteArray &frame : h.frames(first))
        QCOMPARE(frame, statusRead(1));
    // After a good reply, an NG reply cut after its fifth byte is still marked.
    h.line.setFault(SimulatedLine::Fault::Ng, 0);
    h.runFrames(2);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Good);
    h.link.attach(nullptr);
    h.runFrames(1);
    h.link.deliver("\x02"
                   "01NG");
    h.clock.advance(200);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Negative);
}

void tst_PollingEngine::negativeAndCorruptRepliesRepeatTheRequest()
{
    Harness h({1}, {1}, "SUM");
    h.goOnline();
    h.link.attach(nullptr);
    h.runFrames(1);
    const int discards = h.link.discardCount();
    h.link.deliver("\x02"
                   "01DRR,ER"
                   "0C\r\n"); // a valid checksum, no "OK"
    h.runFrames(1);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Negative);
    QCOMPARE(h.engine->table().pickerState(0), LinkState::Failed);
    QCOMPARE(h.link.discardCount(), discards + 1);
    QCOMPARE(h.frames().last().left(9), QByteArray("\x02"
                                                   "01DRR,16"));

    h.link.attach(&h.line);
    h.line.setFault(SimulatedLine::Fault::BadChecksum, 1);
    h.runFrames(2);
    QCOMPARE(h.engine->table().linkState(0), LinkState::ChecksumError);
    QCOMPARE(h.engine->table().pickerState(0), LinkState::Failed);
    QCOMPARE(h.frames().last().left(9), QByteArray("\x02"
                                                   "01DRR,16"));

    h.line.setFault(SimulatedLine::Fault::BadChecksum, 0);
    h.runFrames(1);
    h.clock.advance(220);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Good);
    QCOMPARE(h.engine->table().pickerState(0), LinkState::Good);
}

void tst_PollingEngine::splitJoinedAndNoisyRepliesAreAssembled()
{
    Harness h({3, 5}, {3, 5});
    h.goOnline();
    h.line.setFault(SimulatedLine::Fault::Split, 1);
    h.line.setFault(SimulatedLine::Fault::Noise, 1);
    h.runFrames(6);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Good);
    QCOMPARE(h.engine->table().field(1, F(4)), QStringLiteral("25.0"));
    QCOMPARE(h.engine->TimeoutCount(), 0);
    QCOMPARE(h.frames().last(), h.frames().at(h.frames().size() - 3));

    // Two complete replies in one read: the one that answers the request is handled, the other
    // answers nothing outstanding and is dropped.
    h.link.attach(nullptr);
    h.runFrames(1);
    const int index = h.engine->CurrentIndex();
    const int device = index == 0 ? 3 : 5;
    const int other = index == 0 ? 5 : 3;
    h.link.deliver(statusReply(device, 111) + statusReply(other, 222));
    h.clock.advance(200);
    QCOMPARE(h.engine->table().field(index, F(4)), QStringLiteral("11.1"));
    QCOMPARE(h.engine->table().field(1 - index, F(4)), QStringLiteral("25.0"));
    QCOMPARE(h.engine->CurrentIndex(), 1 - index);
}

void tst_PollingEngine::stuckPartialReplyIsAbandoned600MsAfterItsLastByte()
{
    Harness h({1}, {1});
    h.goOnline();
    h.link.attach(nullptr);
    h.runFrames(1);
    h.link.deliver("\x02"
                   "01DRR,OK,00",
                   100);
    h.link.deliver("00,0001", 150);
    h.clock.advance(150 + 599);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Good);
    h.clock.advance(1);
    QCOMPARE(h.engine->table().linkState(0), LinkState::TimedOut);
    const qsizetype sent = h.link.sent().size();
    h.clock.advance(50);
    QCOMPARE(h.link.sent().size(), sent + 1);
    // The abandoned bytes do not join the next reply.
    h.link.deliver(",0001" + statusReply(1).mid(1), 20);
    h.link.deliver(statusReply(1, 300), 30);
    h.clock.advance(230);
    QCOMPARE(h.engine->table().field(0, F(4)), QStringLiteral("30.0"));
}

void tst_PollingEngine::oversizedGarbageIsDropped()
{
    Harness h({1}, {1});
    h.goOnline();
    h.link.attach(nullptr);
    h.runFrames(1);
    h.link.deliver("\x02" + QByteArray(5000, 'A') + "\r\n" + statusReply(1, 123), 20);
    h.clock.advance(220);
    QCOMPARE(h.engine->table().field(0, F(4)), QStringLiteral("12.3"));
    QCOMPARE(h.engine->table().linkState(0), LinkState::Good);
}

void tst_PollingEngine::timeOutsAddUpAcrossDevicesAndRequests()
{
    Harness h({1, 2}, {1, 2});
    h.goOnline();
    h.link.attach(nullptr);
    for (int round = 0; round < 2; ++round) {
        h.runFrames(1); // goes unanswered
        h.clock.advance(600);
        h.runFrames(1);
        h.link.deliver(statusReply(h.engine->CurrentIndex() == 0 ? 1 : 2), 20);
        h.clock.advance(220);
    }
    QCOMPARE(h.engine->TimeoutCount(), 2);
    const int index = h.engine->CurrentIndex();
    h.runFrames(1);
    h.clock.advance(600);
    QCOMPARE(h.engine->TimeoutCount(), 0);
    QCOMPARE(h.engine->table().pickerState(index), LinkState::Failed);
    QCOMPARE(h.engine->CurrentIndex(), 1 - index);
    QCOMPARE(connectedRows(h.engine->table()), QList<bool>({true, true}));
}

void tst_PollingEngine::lastConnectedDeviceKeepsBeingPolledAfterTimeOuts()
{
    Harness h({1, 2}, {1});
    h.goOnline();
    h.line.setFault(SimulatedLine::Fault::Silence, 1);
    const qsizetype first = h.link.sent().size();
    h.runFrames(5);
    for (const QByteArray &frame : h.frames(first))
        QCOMPARE(frame, statusRead(1));
}

void tst_PollingEngine::closingWithRequestOutstandingTimesOutOnceAndStops()
{
    Harness h({1}, {1}, "STD", true);
    h.goOnline();
    h.link.attach(nullptr);
    h.runFrames(1);
    h.clock.advance(10);
    h.engine->closePort();
    QVERIFY(!h.engine->isOnline());
    QVERIFY(!h.engine->isPortOpen());
    const QString tracePath = h.dir.filePath(QStringLiteral("RecvData.txt"));
    auto traceLines = [&] {
        QFile file(tracePath);
        file.open(QIODevice::ReadOnly);
        return file.readAll().count("\r\n");
    };
    const qsizetype linesBefore = traceLines();
    const qsizetype sent = h.link.sent().size();
    h.clock.advance(589);
    QCOMPARE(h.engine->table().linkState(0), LinkState::Unknown); // unknown once closed
    h.clock.advance(1);
    QCOMPARE(h.engine->table().linkState(0), LinkState::TimedOut);
    h.clock.advance(5000);
    QCOMPARE(h.link.sent().size(), sent);
    QCOMPARE(traceLines(), linesBefore + 1); // that tick traced a request it did not send
}

void tst_PollingEngine::protocolChangeAppliesToTheNextFrame()
{
    Harness h({1, 2}, {1}, "SUM");
    QVERIFY(h.engine->openPort().ok());
    h.clock.advance(50);
    QCOMPARE(h.frames().last(), QByteArray("\x02"
                                           "01WHO4F\r\n"));
    PortSettings settings = h.engine->state().port;
    settings.Protocol = QStringLiteral("STD");
    settings.PortName = QStringLiteral("COM7");
    h.settings->applyPortSettings(settings);
    h.runFrames(1);
    QCOMPARE(h.frames().last(), who(2));
    QCOMPARE(h.link.lastSettings().portName, QStringLiteral("COM1"));
}

void tst_PollingEngine::emptyDeviceListOrFailedOpenLeavesThePortClosed()
{
    Harness empty({}, {1});
    const LinkOpenResult refused = empty.engine->openPort();
    QVERIFY(!refused.ok());
    QVERIFY(!refused.description.isEmpty());
    QVERIFY(!empty.engine->isPortOpen());
    empty.clock.advance(5000);
    QVERIFY(empty.link.sent().isEmpty());

    Harness h({1}, {1});
    h.link.failNextOpen({LinkOpenResult::Failure::InUse, QStringLiteral("in use")});
    QCOMPARE(h.engine->openPort().failure, LinkOpenResult::Failure::InUse);
    QVERIFY(!h.engine->connectCheckVisible());
    h.clock.advance(5000);
    QVERIFY(h.link.sent().isEmpty());
    h.goOnline();
}

void tst_PollingEngine::pulledAdapterStopsPollingAndCanReopen()
{
    Harness h({1}, {1});
    h.goOnline();
    QSignalSpy lost(h.engine.get(), &PollingEngine::portLost);
    h.runFrames(1);
    h.link.pull();
    QCOMPARE(lost.size(), 1);
    QVERIFY(!h.engine->isOnline());
    QVERIFY(!h.engine->isPortOpen());
    const qsizetype sent = h.link.sent().size();
    h.clock.advance(10000);
    QCOMPARE(h.link.sent().size(), sent);
    h.goOnline();
}

void tst_PollingEngine::traceShowsSentFramesAndEveryReceivedByte()
{
    Harness h({1}, {1}, "SUM", true);
    h.line.setFault(SimulatedLine::Fault::Noise, 1);
    QVERIFY(h.engine->openPort().ok());
    h.clock.advance(300);
    QFile file(h.dir.filePath(QStringLiteral("RecvData.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines.size() >= 3);
    QCOMPARE(lines.at(0),
             QByteArray("\xBC\xDB\xBD\xC5,2024-05-01 13:04:05,<STX>01WHO4F<CR><LF>\r"));
    QVERIFY(lines.at(1).startsWith("\xBC\xF6\xBD\xC5,2024-05-01 13:04:05,")); // the noise
    QVERIFY(!lines.at(1).contains("<STX>"));
    QCOMPARE(lines.at(2), QByteArray("\xBC\xF6\xBD\xC5,2024-05-01 13:04:05,<STX>01WHO,OK,ZQ500"
                                     "81<CR><LF>\r"));
}

/// The payloads of the trace's lines, split into sent and received.
struct TraceLines
{
    QList<QByteArray> sent;
    QList<QByteArray> received;

    explicit TraceLines(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.endsWith('\r'))
                continue; // the empty piece after the last line end
            const QByteArray payload = line.mid(line.indexOf(',', 5) + 1).chopped(1);
            if (line.startsWith("\xBC\xDB\xBD\xC5,")) // 송신,
                sent.append(payload);
            else if (line.startsWith("\xBC\xF6\xBD\xC5,")) // 수신,
                received.append(payload);
        }
    }
};

void tst_PollingEngine::traceHoldsEachReplyOnceHoweverItsBytesCome()
{
    Harness h({1, 2}, {1, 2}, "SUM", true);
    h.link.setByteByByte(true);
    h.goOnline();
    h.runFrames(6);
    h.clock.advance(250); // the last reply read, the next request not yet sent
    const QString path = h.dir.filePath(QStringLiteral("RecvData.txt"));
    TraceLines trace(path);
    QCOMPARE(trace.received.size(), trace.sent.size());
    for (const QByteArray &reply : trace.received) {
        QVERIFY2(reply.startsWith("<STX>") && reply.endsWith("<CR><LF>"), reply.constData());
        QCOMPARE(reply.count("<STX>"), 1);
    }

    // Dropped bytes are traced once each time they are dropped, and none is lost: a reply cut
    // before its LF (at its time-out), an oversized one, the noise after it.
    h.link.attach(nullptr);
    h.runFrames(1);
    h.link.deliver("\x02"
                   "01DRR,OK,00");
    h.clock.advance(900);
    h.runFrames(1);
    const QByteArray oversized = "\x02" + QByteArray(1100, 'x');
    h.link.setByteByByte(false);
    h.link.deliver(oversized);
    h.clock.advance(300);
    const TraceLines after(path);
    const QList<QByteArray> dropped = after.received.mid(trace.received.size());
    QCOMPARE(dropped, QList<QByteArray>({"<STX>01DRR,OK,00", "<STX>" + QByteArray(1024, 'x'),
                                         QByteArray(76, 'x')}));
}

void tst_PollingEngine::closedLineForgetsEveryControllerUntilItsNextStatus()
{
    Harness h({1, 2}, {1, 2});
    h.line.controller(1)->writeRegister(102, 1); // runs
    h.goOnline();
    QVERIFY(h.engine->table().running(0));
    QVERIFY(h.engine->display().commandLit[0]);

    h.engine->closePort();
    const auto forgotten = [&h] {
        const PollingEngine &e = *h.engine;
        QCOMPARE(runningRows(e.table()), QList<bool>({false, false}));
        QCOMPARE(connectedRows(e.table()), QList<bool>({false, false}));
        QVERIFY(!e.display().commandLit[0]);
        for (int row : {0, 1}) {
            QCOMPARE(h.engine->table().pickerState(row), LinkState::Unknown);
            QCOMPARE(h.engine->table().linkState(row), LinkState::Unknown);
        }
    };
    forgotten();

    // On line again after identification, but running only once a status block says so.
    QVERIFY(h.engine->openPort().ok());
    QVERIFY(h.untilOnline());
    QCOMPARE(runningRows(h.engine->table()), QList<bool>({false, false}));
    QVERIFY(!h.engine->display().commandLit[0]);
    h.clock.advance(300);
    QVERIFY(h.engine->table().running(0));
    QVERIFY(h.engine->display().commandLit[0]);

    h.link.pull();
    forgotten();
}

void tst_PollingEngine::pickBeforeGoingOnlineIsRefused()
{
    Harness h({1, 2, 3}, {1});
    QVERIFY(h.engine->openPort().ok());
    h.clock.advance(400);
    QVERIFY(h.engine->table().connected(0));
    QVERIFY(!h.engine->selectDevice(0));
    QVERIFY(h.untilOnline());
    h.runFrames(1);
    QCOMPARE(h.frames(), QList<QByteArray>({who(1), who(2), who(2), who(2), who(3), who(3), who(3),
                                            statusRead(1)}));
    QVERIFY(h.engine->selectDevice(0));
}

void tst_PollingEngine::refusedRequestIsReportedAndPollingGoesOn()
{
    Harness h({1}, {1});
    h.goOnline();
    QSignalSpy failed(h.engine.get(), &PollingEngine::requestFailed);
    QObject window;
    h.engine->writeRegister(102, 70000, 0, &window);
    QCOMPARE(failed.size(), 1);
    RequestFailure failure = failed.first().first().value<RequestFailure>();
    QCOMPARE(failure.kind, RequestKind::RegisterWrite);
    QCOMPARE(failure.reason, RequestFailure::Reason::OutOfRange);
    QCOMPARE(failure.requester, &window);
    QCOMPARE(failure.deviceNo, 1);
    QCOMPARE(failure.address, 102);
    h.runFrames(1);
    QCOMPARE(h.frames().last(), statusRead(1));

    // A send whose table is gone (its window closed) stops at the next block; nobody is left
    // to tell.
    auto table = std::make_unique<MemoryTable>();
    h.engine->sendMemory(*table);
    h.runFrames(3);
    qsizetype sentBefore = h.link.sent().size();
    QCOMPARE(commandOf(h.frames().last()), QByteArray("01DWR"));
    table.reset();
    h.runFrames(2);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(h.frames(sentBefore), QList<QByteArray>({statusRead(1), statusRead(1)}));

    // A cell its register cannot hold (5000 at one decimal place is 50000, beyond 32767) stops
    // the send at its block, reported with the blocks sent before it.
    table = std::make_unique<MemoryTable>();
    table->setCell(1, 30, QStringLiteral("5000"));
    QCOMPARE(h.engine->state().DecimalPlaces, 1); // the simulated controller's
    h.engine->sendMemory(*table, &window);
    h.runFrames(2);
    sentBefore = h.link.sent().size();
    h.runFrames(1);
    QCOMPARE(failed.size(), 2);
    failure = failed.last().first().value<RequestFailure>();
    QCOMPARE(failure.kind, RequestKind::MemoryWrite);
    QCOMPARE(failure.reason, RequestFailure::Reason::OutOfRange);
    QCOMPARE(failure.blocksDone, 1);
    QCOMPARE(h.frames(sentBefore), QList<QByteArray>({statusRead(1)}));
}

void tst_PollingEngine::newDeviceListRestartsIdentification()
{
    Harness h({1}, {1, 2});
    h.goOnline();
    QSignalSpy selected(h.engine.get(), &PollingEngine::selectedDeviceChanged);
    h.settings->applyDeviceList({{"O", "second"}, {"O", "first"}});
    QCOMPARE(h.engine->state().DeviceList, QList<int>({1, 2}));
    QCOMPARE(SettingsFiles(h.dir.path()).LoadDeviceList(), QList<int>({1, 2}));
    h.engine->setDeviceList({2, 1});
    QVERIFY(!h.engine->isOnline());
    QCOMPARE(h.engine->table().rowCount(), 2);
    QVERIFY(h.untilOnline(3000));
    QCOMPARE(selected.first().first().toInt(), 2);
    QCOMPARE(h.engine->state().SelectedIndex, 0);
}

QTEST_GUILESS_MAIN(tst_PollingEngine)
#include "tst_pollingengine.moc"
