#include "SimulatedLine.h"

#include <QTest>

class tst_SimulatedLine : public QObject
{
    Q_OBJECT

private slots:
    void answersIdentificationInBothFramings();
    void readsAndWritesRegisters();
    void refusesWithNegativeReplies();
    void onlyTheAddressedControllerAnswers();
    void faultsChangeWhatReachesTheLine();
    void runningControllerHeatsTowardsSv();
};

static QByteArray only(const QList<SimulatedLine::Emission> &emissions)
{
    return emissions.size() == 1 ? emissions.first().bytes : QByteArray("<not one>");
}

void tst_SimulatedLine::answersIdentificationInBothFramings()
{
    SimulatedLine std({1, 3}, Frames::ChecksumMode::Std);
    QCOMPARE(only(std.receive("\x02"
                              "03WHO\r\n" +
                              QByteArray(1, '\0'))),
             QByteArray("\x02"
                        "03WHO,OK,ZQ500\r\n"));
    SimulatedLine sum({1}, Frames::ChecksumMode::Sum);
    // Request checksum 4F over "01WHO"; reply checksum 81 over "01WHO,OK,ZQ500".
    QCOMPARE(only(sum.receive("\x02"
                              "01WHO4F\r\n")),
             QByteArray("\x02"
                        "01WHO,OK,ZQ500"
                        "81\r\n"));
}

void tst_SimulatedLine::readsAndWritesRegisters()
{
    SimulatedLine line({1}, Frames::ChecksumMode::Std);
    QCOMPARE(only(line.receive("\x02"
                               "01DRR,02,0007,0131\r\n")),
             QByteArray("\x02"
                        "01DRR,OK,0258,0001\r\n"));
    QCOMPARE(only(line.receive("\x02"
                               "01DWR,02,0007,FFFB,0131,0005\r\n")),
             QByteArray("\x02"
                        "01DWR,OK\r\n"));
    QCOMPARE(only(line.receive("\x02"
                               "01DRR,02,0007,0131\r\n")),
             QByteArray("\x02"
                        "01DRR,OK,FFFB,0005\r\n"));
    QVERIFY(!line.controller(1)->running());
    line.receive("\x02"
                 "01DWR,01,0102,0001\r\n");
    QVERIFY(line.controller(1)->running());
    // A request arriving in pieces is answered once whole.
    QVERIFY(line.receive("\x02"
                         "01DRR,01,")
                .isEmpty());
    QCOMPARE(only(line.receive("0131\r\n")), QByteArray("\x02"
                                                        "01DRR,OK,0005\r\n"));
}

void tst_SimulatedLine::refusesWithNegativeReplies()
{
    SimulatedLine sum({1}, Frames::ChecksumMode::Sum);
    QCOMPARE(only(sum.receive("\x02"
                              "01WHO00\r\n"))
                 .left(8),
             QByteArray("\x02"
                        "01NG,01"));
    SimulatedLine std({1}, Frames::ChecksumMode::Std);
    QCOMPARE(only(std.receive("\x02"
                              "01DRR,01,0999\r\n")),
             QByteArray("\x02"
                        "01NG,03\r\n"));
    QCOMPARE(only(std.receive("\x02"
                              "01DRR,02,0001\r\n")),
             QByteArray("\x02"
                        "01NG,02\r\n"));
    QCOMPARE(only(std.receive("\x02"
                              "01DWR,01,0001,0005\r\n")),
             QByteArray("\x02"
                        "01NG,04\r\n"));
    QCOMPARE(only(std.receive("\x02"
                              "01DWR,01,0131,0064\r\n")),
             QByteArray("\x02"
                        "01NG,04\r\n"));
    QCOMPARE(only(std.receive("\x02"
                              "01XYZ\r\n")),
             QByteArray("\x02"
                        "01NG,02\r\n"));
}

void tst_SimulatedLine::onlyTheAddressedControllerAnswers()
{
    SimulatedLine line({1, 3}, Frames::ChecksumMode::Std);
    QVERIFY(line.receive("\x02"
                         "02WHO\r\n")
                .isEmpty());
    QVERIFY(line.receive("junk\r\n").isEmpty());
}

void tst_SimulatedLine::faultsChangeWhatReachesTheLine()
{
    SimulatedLine line({1}, Frames::ChecksumMode::Sum);
    const QByteArray request = "\x02"
                               "01WHO4F\r\n";
    line.setFault(SimulatedLine::Fault::Silence, 1);
    QVERIFY(line.receive(request).isEmpty());
    line.setFault(SimulatedLine::Fault::Silence, 0);

    line.setFault(SimulatedLine::Fault::Cut, 1);
    QCOMPARE(only(line.receive(request)), QByteArray("\x02"
                                                     "01WHO,OK,ZQ500"
                                                     "81\r"));
    line.setFault(SimulatedLine::Fault::Cut, 0);

    line.setFault(SimulatedLine::Fault::BadChecksum, 1);
    QVERIFY(!Frames::ReplyChecksumValid(only(line.receive(request))));
    line.setFault(SimulatedLine::Fault::BadChecksum, 0);

    line.setFault(SimulatedLine::Fault::Late, 1);
    QCOMPARE(line.receive(request).first().delayMs, SimulatedLine::LateMs);
    line.setFault(SimulatedLine::Fault::Late, 0);

    line.setFault(SimulatedLine::Fault::Split, 1);
    line.setFault(SimulatedLine::Fault::Noise, 1);
    const auto pieces = line.receive(request);
    QCOMPARE(pieces.size(), 3);
    QVERIFY(!pieces.at(0).bytes.contains('\x02') && !pieces.at(0).bytes.contains('\n'));
    QCOMPARE(pieces.at(1).bytes + pieces.at(2).bytes, QByteArray("\x02"
                                                                 "01WHO,OK,ZQ500"
                                                                 "81\r\n"));
    QVERIFY(pieces.at(2).delayMs - pieces.at(1).delayMs > 200);
    QVERIFY(SimulatedLine::faultFromName(QStringLiteral("badsum")).has_value());
    QVERIFY(!SimulatedLine::faultFromName(QStringLiteral("fire")).has_value());
}

void tst_SimulatedLine::runningControllerHeatsTowardsSv()
{
    SimulatedLine line({1}, Frames::ChecksumMode::Std);
    SimulatedController *device = line.controller(1);
    const int start = device->readRegister(1).value();
    line.advance(60000);
    QCOMPARE(device->readRegister(1).value(), start); // stopped: stays at ambient
    device->writeRegister(102, 1);
    line.advance(30000);
    const int warmer = device->readRegister(1).value();
    QVERIFY(warmer > start);
    QVERIFY(warmer < device->readRegister(7).value());
    QVERIFY(device->readRegister(201).value() > 0);
    QVERIFY(device->readRegister(31).value() & (1 << 5));
    QCOMPARE(device->readRegister(16).value(), 120);
    line.advance(60000);
    QCOMPARE(device->readRegister(16).value(), 119);
}

QTEST_GUILESS_MAIN(tst_SimulatedLine)
#include "tst_simulatedline.moc"
