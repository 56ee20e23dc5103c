#include "Frames.h"

#include <QTest>

using namespace Frames;

class tst_Frames : public QObject
{
    Q_OBJECT

private slots:
    void identificationFrames();
    void statusReadFrames();
    void writeFrames();
    void deviceNumbersAreTwoDigits();
    void buildersRefuseWhatTheFrameCannotCarry();
    void hexConversions();
    void replyChecksum();
    void replyValuesStandAtFixedPlaces();
    void onlyExactStdGoesWithoutChecksum();
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

void tst_Frames::writeFrames()
{
    QCOMPARE(buildWrite(5, {102}, {1}, ChecksumMode::Std).value(),
             QByteArray("\x02"
                        "05DWR,01,0102,0001\r\n"));
    QCOMPARE(buildWrite(5, {102}, {1}, ChecksumMode::Sum).value(),
             QByteArray("\x02"
                        "05DWR,01,0102,0001BB\r\n"));
    QCOMPARE(buildWrite(5, {131}, {-5}, ChecksumMode::Std).value(),
             QByteArray("\x02"
                        "05DWR,01,0131,FFFB\r\n"));
    QCOMPARE(buildWrite(5, {131}, {0}, ChecksumMode::Std).value(),
             QByteArray("\x02"
                        "05DWR,01,0131,0000\r\n"));
    QCOMPARE(buildWrite(99, {0, 9999}, {65535, -32768}, ChecksumMode::Std).value(),
             QByteArray("\x02"
                        "99DWR,02,0000,FFFF,9999,8000\r\n"));
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

void tst_Frames::hexConversions()
{
    QCOMPARE(HexToSigned16("FFFB"), -5);
    QCOMPARE(HexToSigned16("7FFF"), 32767);
    QCOMPARE(HexToSigned16("8000"), -32768);
    QCOMPARE(HexToSigned16("0000"), 0);
    QCOMPARE(HexToUnsigned("8001"), 32769u);
    QCOMPARE(HexToUnsigned("ff"), 0u); // lower-case letters count as 0
    QCOMPARE(HexToUnsigned("G1"), 1u);
    QCOMPARE(ValueToHex(-5, 4), QByteArray("FFFB"));
    QCOMPARE(ValueToHex(10, 4), QByteArray("000A"));
    QCOMPARE(ValueToHex(0, 4), QByteArray("0000"));
    QCOMPARE(ValueToHex(0x12345, 4), QByteArray("12345"));
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

QTEST_GUILESS_MAIN(tst_Frames)
#include "tst_frames.moc"
