#include "Frames.h"

#include <QTest>

using namespace Frames;

class tst_Frames : public QObject
{
    Q_OBJECT

private slots:
    void identificationFrames();
    void statusReadFrames();
    void writeFrames_data();
    void writeFrames();
    void deviceNumbersAreTwoDigits();
    void buildersRefuseWhatTheFrameCannotCarry();
    void hexToNumbers_data();
    void hexToNumbers();
    void numbersToHex_data();
    void numbersToHex();
    void replyChecksum();
    void replyValuesStandAtFixedPlaces();
    void onlyExactStdGoesWithoutChecksum();
    void replyShapeNamesSenderCommandAndValueCount_data();
    void replyShapeNamesSenderCommandAndValueCount();
};

// Wire bytes below are written out from the protocol, not taken from the code under test.

void tst_Frames::identificationFrames()
{
    QCOMPARE(buildWho(1, ChecksumMode::Std).value(), QByteArray("\x02"
                                                                "01WHO\r\n"));
    // Sum of 30 31 57 48 4F is 0x14F: checksum characters 4 and F.
    QCOMPARE(buildWho(1, ChecksumMode::Sum).value(), QByteArray("\x02"
                                                                "01WHO4F\r\n"));
}

void tst_Frames::statusReadFrames()
{
    const QList<int> status = {507, 506, 1, 2, 3, 6, 7, 16, 31, 32, 131, 201, 202, 205, 207, 208};
    const QByteArray body = "01DRR,16,0507,0506,0001,0002,0003,0006,0007,0016,0031,0032,0131,"
                            "0201,0202,0205,0207,0208";
    const QByteArray std = buildRead(1, status, ChecksumMode::Std).value();
    QCOMPARE(std.size(), 91);
    QCOMPARE(std, "\x02" + body + "\r\n");
    const QByteArray sum = buildRead(1, status, ChecksumMode::Sum).value();
    QCOMPARE(sum.size(), 93);
    QCOMPARE(sum, "\x02" + body + "FC\r\n");
}

void tst_Frames::writeFrames_data()
{
    QTest::addColumn<int>("device");
    QTest::addColumn<QList<int>>("addresses");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<bool>("sum");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("one register") << 5 << QList<int>{102} << QList<int>{1} << false
                                  << QByteArray("\x02"
                                                "05DWR,01,0102,0001\r\n");
    QTest::newRow("with checksum") << 5 << QList<int>{102} << QList<int>{1} << true
                                   << QByteArray("\x02"
                                                 "05DWR,01,0102,0001BB\r\n");
    QTest::newRow("negative value") << 5 << QList<int>{131} << QList<int>{-5} << false
                                    << QByteArray("\x02"
                                                  "05DWR,01,0131,FFFB\r\n");
    QTest::newRow("zero") << 5 << QList<int>{131} << QList<int>{0} << false
                          << QByteArray("\x02"
                                        "05DWR,01,0131,0000\r\n");
    QTest::newRow("extremes") << 99 << QList<int>{0, 9999} << QList<int>{65535, -32768} << false
                              << QByteArray("\x02"
                                            "99DWR,02,0000,FFFF,9999,8000\r\n");
}

void tst_Frames::writeFrames()
{
    QFETCH(int, device);
    QFETCH(QList<int>, addresses);
    QFETCH(QList<int>, values);
    QFETCH(bool, sum);
    QFETCH(QByteArray, frame);
    QCOMPARE(
        buildWrite(device, addresses, values, sum ? ChecksumMode::Sum : ChecksumMode::Std).value(),
        frame);
}

void tst_Frames::deviceNumbersAreTwoDigits()
{
    QCOMPARE(buildWho(7, ChecksumMode::Std).value().mid(1, 2), QByteArray("07"));
    QCOMPARE(buildWho(10, ChecksumMode::Std).value().mid(1, 2), QByteArray("10"));
}

void tst_Frames::buildersRefuseWhatTheFrameCannotCarry()
{
    QVERIFY(!buildWho(0, ChecksumMode::Std));
    QVERIFY(!buildWho(100, ChecksumMode::Std));
    QVERIFY(!buildRead(1, {}, ChecksumMode::Std));
    QVERIFY(!buildRead(1, QList<int>(100, 1), ChecksumMode::Std));
    QVERIFY(buildRead(1, QList<int>(99, 1), ChecksumMode::Std));
    QVERIFY(!buildRead(1, {10000}, ChecksumMode::Std));
    QVERIFY(!buildRead(1, {-1}, ChecksumMode::Std));
    QVERIFY(!buildWrite(1, {102}, {65536}, ChecksumMode::Std));
    QVERIFY(!buildWrite(1, {102}, {-32769}, ChecksumMode::Std));
    QVERIFY(!buildWrite(1, {102, 103}, {1}, ChecksumMode::Std));
}

void tst_Frames::hexToNumbers_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<int>("signed16");
    QTest::addColumn<uint>("unsignedValue");
    QTest::newRow("minus five") << QByteArray("FFFB") << -5 << 65531u;
    QTest::newRow("largest positive") << QByteArray("7FFF") << 32767 << 32767u;
    QTest::newRow("smallest negative") << QByteArray("8000") << -32768 << 32768u;
    QTest::newRow("zero") << QByteArray("0000") << 0 << 0u;
    QTest::newRow("bit word") << QByteArray("8001") << -32767 << 32769u;
    QTest::newRow("lower case counts as 0") << QByteArray("00ff") << 0 << 0u;
    QTest::newRow("other letters count as 0") << QByteArray("00G1") << 1 << 1u;
}

void tst_Frames::hexToNumbers()
{
    QFETCH(QByteArray, hex);
    QFETCH(int, signed16);
    QFETCH(uint, unsignedValue);
    QCOMPARE(HexToSigned16(hex), signed16);
    QCOMPARE(HexToUnsigned(hex), unsignedValue);
}

void tst_Frames::numbersToHex_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("negative as 16-bit") << -5 << QByteArray("FFFB");
    QTest::newRow("padded") << 10 << QByteArray("000A");
    QTest::newRow("zero") << 0 << QByteArray("0000");
    QTest::newRow("wider than four") << 0x12345 << QByteArray("12345");
}

void tst_Frames::numbersToHex()
{
    QFETCH(int, value);
    QFETCH(QByteArray, hex);
    QCOMPARE(ValueToHex(value, 4), hex);
}

void tst_Frames::replyChecksum()
{
    // The bytes of "01WHO,OK,ZQ500" add up to 0x481.
    const QByteArray good = "\x02"
                            "01WHO,OK,ZQ500"
                            "81\r\n";
    QVERIFY(ReplyChecksumValid(good));
    QByteArray wrong = good;
    wrong[wrong.size() - 3] = '3';
    QVERIFY(!ReplyChecksumValid(wrong));
    // The bytes of "01DRR,OK,0001" add up to 0x2FC.
    const QByteArray upper = "\x02"
                             "01DRR,OK,0001"
                             "FC\r\n";
    const QByteArray lower = "\x02"
                             "01DRR,OK,0001"
                             "fc\r\n";
    QCOMPARE(ReplyChecksumValid(upper), true);
    QCOMPARE(ReplyChecksumValid(lower), false);
    QVERIFY(!ReplyChecksumValid("\x02\r\n"));

    QByteArray frame = "\x02"
                       "05DWR,01,0102,0001"
                       "00\r\n";
    AppendChecksum(frame);
    QCOMPARE(frame.right(4), QByteArray("BB\r\n"));
}

void tst_Frames::replyValuesStandAtFixedPlaces()
{
    const QByteArray reply = "\x02"
                             "01DRR,OK,00FA,FFFB\r\n";
    QCOMPARE(replyValue(reply, 0).value(), 250);
    QCOMPARE(replyValue(reply, 1).value(), -5);
    QVERIFY(!replyValue(reply, 2));
    QCOMPARE(replyValues(reply, 2).value(), QList<int>({250, -5}));
    QVERIFY(!replyValues(reply, 3));
    QVERIFY(!replyValue("\x02"
                        "01DRR,OK,00\r\n",
                        0));
}

void tst_Frames::onlyExactStdGoesWithoutChecksum()
{
    QCOMPARE(checksumModeOf(QStringLiteral("STD")), ChecksumMode::Std);
    QCOMPARE(checksumModeOf(QStringLiteral("std")), ChecksumMode::Sum);
    QCOMPARE(checksumModeOf(QStringLiteral("SUM")), ChecksumMode::Sum);
    QCOMPARE(checksumModeOf(QStringLiteral("STD ")), ChecksumMode::Sum);
    QCOMPARE(checksumModeOf(QString()), ChecksumMode::Sum);
}

void tst_Frames::replyShapeNamesSenderCommandAndValueCount_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("device");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("values");
    QTest::newRow("identification") << QByteArray("\x02"
                                                  "07WHO,OK,ZQ500\r\n")
                                    << 7 << QByteArray("WHO") << true << 1;
    QTest::newRow("read of two, with checksum") << QByteArray("\x02"
                                                              "12DRR,OK,0001,FFFF3C\r\n")
                                                << 12 << QByteArray("DRR") << true << 2;
    QTest::newRow("write") << QByteArray("\x02"
                                         "99DWR,OK\r\n")
                           << 99 << QByteArray("DWR") << true << 0;
    QTest::newRow("refusal") << QByteArray("\x02"
                                           "03NG,03\r\n")
                             << 3 << QByteArray("NG") << false << 0;
    QTest::newRow("no OK") << QByteArray("\x02"
                                         "03DRR,ER,0001\r\n")
                           << 3 << QByteArray("DRR") << false << 0;
    QTest::newRow("digits garbled") << QByteArray("\x02"
                                                  "0?DRR,OK,0001\r\n")
                                    << -1 << QByteArray("DRR") << true << 1;
    QTest::newRow("cut after STX") << QByteArray("\x02"
                                                 "0")
                                   << -1 << QByteArray() << false << 0;
}

void tst_Frames::replyShapeNamesSenderCommandAndValueCount()
{
    QFETCH(QByteArray, reply);
    const ReplyShape shape = replyShape(reply);
    QTEST(shape.deviceNo, "device");
    QTEST(shape.command, "command");
    QTEST(shape.ok, "ok");
    QTEST(shape.valueCount, "values");
}

QTEST_GUILESS_MAIN(tst_Frames)
#include "tst_frames.moc"
