#include "StatusDecoder.h"

#include <QTest>

using F = DeviceTable::Field;

class tst_StatusDecoder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void statusBlockFillsTheRowWithItsOwnDecimals();
    void selectedDeviceDrivesTheDisplay();
    void bitWordsAreUnsigned();
    void otherDevicesChangeOnlyTheirRow();
    void unitFollowsRegister507();
    void parameterBlockChangesDecimalsButNotUnit();
    void shortReplyWritesNothing();

private:
    SharedState m_state;
    DeviceTable m_table;
    SelectedDisplay m_display;
};

/// A read reply carrying the values as four upper-case hex characters each.
static QByteArray reply(const QList<int> &values)
{
    QByteArray bytes = "\x02"
                       "01DRR,OK";
    for (int value : values)
        bytes += ',' + QByteArray::number(value & 0xFFFF, 16).toUpper().rightJustified(4, '0');
    return bytes + "\r\n";
}

/// Status values in register order 507, 506, 1, 2, 3, 6, 7, 16, 31, 32, 131, 201, 202, 205,
/// 207, 208.
static QList<int> status(int unit, int decimals, int pv, int statusWord, int led1)
{
    return {unit, decimals, pv, 248, -5, statusWord, 600, 120, led1, 7, 12, 1000, 0, 3, 25, 24};
}

void tst_StatusDecoder::init()
{
    m_state = SharedState();
    m_state.DeviceList = {3, 5};
    m_state.SelectedIndex = 0;
    m_table.reset({3, 5});
    m_display = SelectedDisplay();
}

void tst_StatusDecoder::statusBlockFillsTheRowWithItsOwnDecimals()
{
    StatusDecoder decoder(m_state, m_table, m_display);
    QVERIFY(decoder.DecodeStatusBlock(reply(status(0, 1, 253, 1, 0)), 0));
    const QStringList expected = {"1",  "0", "25.3", "24.8",  "-0.5", "1", "60.0", "120",
                                  "12", "0", "7",    "100.0", "0.0",  "3", "25",   "24"};
    for (int field = 2; field <= 17; ++field)
        QCOMPARE(m_table.field(0, F(field)), expected.at(field - 2));

    QVERIFY(decoder.DecodeStatusBlock(reply(status(0, 0, 253, 0, 0)), 1));
    QCOMPARE(m_table.field(1, F(4)), QStringLiteral("253"));
    QVERIFY(decoder.DecodeStatusBlock(reply(status(0, 2, 253, 0, 0)), 1));
    QCOMPARE(m_table.field(1, F(4)), QStringLiteral("2.53"));
    QCOMPARE(m_table.field(0, F(4)), QStringLiteral("25.3"));

    // The rows hold the values as read; the texts above are made from them.
    QCOMPARE(m_table.value(1, F::Pv), 253);
    QCOMPARE(m_table.number(1, F::Pv), 2.53);
    QCOMPARE(m_table.number(0, F::Pv), 25.3);
    QCOMPARE(m_table.number(0, F::HeatOutput), 100.0); // tenths
    QCOMPARE(m_table.value(0, F::Pb), std::nullopt);   // no parameter block read yet
    QCOMPARE(m_table.field(0, F::Pb), QString());
    QCOMPARE(m_table.index(0, DeviceTable::columnOf(F::Pv)).data().toString(),
             QStringLiteral("25.3"));
}

void tst_StatusDecoder::selectedDeviceDrivesTheDisplay()
{
    StatusDecoder decoder(m_state, m_table, m_display);
    // STATUS bits 0 (RUN), 2 (PREH), 5 (SUCTION), 8 (BUZZER); LED1 bits 5, 7 and 15 (TIMER).
    QVERIFY(decoder.DecodeStatusBlock(reply(status(0, 1, 253, 0x125, 0x80A0)), 0));
    QCOMPARE(m_display.pv[0], QStringLiteral("25.3"));
    QCOMPARE(m_display.pv[1], QStringLiteral("24.8"));
    QCOMPARE(m_display.sv, QStringLiteral("60.0"));
    QCOMPARE(m_display.restTime, QStringLiteral("120"));
    QCOMPARE(m_display.memoryNo, QStringLiteral("12"));
    QCOMPARE(m_display.output[0], QStringLiteral("100.0"));
    QCOMPARE(m_display.output[1], QStringLiteral("0.0"));
    QCOMPARE(m_display.ampere[0], QStringLiteral("25"));
    QCOMPARE(m_display.ampere[1], QStringLiteral("24"));
    const std::array<bool, 8> buttons = {true, false, true, true, false, false, true, true};
    QCOMPARE(m_display.commandLit, buttons);
    const std::array<bool, 9> lamps = {true, false, true, false, false, false, false, false, false};
    QCOMPARE(m_display.lampLit, lamps);
    QCOMPARE(m_state.DecimalPlaces, 1);

    QVERIFY(decoder.DecodeStatusBlock(reply(status(0, 1, 253, 0x10, 0)), 0));
    QCOMPARE(m_display.commandLit[4], true); // COOL is bit 4
    QCOMPARE(m_display.commandLit[0], false);
    QCOMPARE(m_table.value(0, F::Status), 0x10);
}

void tst_StatusDecoder::bitWordsAreUnsigned()
{
    StatusDecoder decoder(m_state, m_table, m_display);
    QVERIFY(decoder.DecodeStatusBlock(reply(status(0, 1, 0, 0x8001, 0xFFFF)), 0));
    QCOMPARE(m_table.field(0, F(7)), QStringLiteral("32769"));
    QCOMPARE(m_table.field(0, F(11)), QStringLiteral("65535"));
    QVERIFY(m_display.commandLit[0]);
    QVERIFY(m_display.commandLit[7]);
    for (bool lit : m_display.lampLit)
        QVERIFY(lit);
}

void tst_StatusDecoder::otherDevicesChangeOnlyTheirRow()
{
    StatusDecoder decoder(m_state, m_table, m_display);
    QVERIFY(decoder.DecodeStatusBlock(reply(status(0, 1, 253, 0, 0)), 0));
    const SelectedDisplay before = m_display;
    QVERIFY(decoder.DecodeStatusBlock(reply(status(1, 0, 999, 0xFFFF, 0xFFFF)), 1));
    QCOMPARE(m_table.field(1, F(4)), QStringLiteral("999"));
    QCOMPARE(m_display.pv, before.pv);
    QCOMPARE(m_display.commandLit, before.commandLit);
    QCOMPARE(m_display.lampLit, before.lampLit);
    QCOMPARE(m_display.unit, QStringLiteral("℃"));
    QCOMPARE(m_state.DecimalPlaces, 1);
    // Its run flag follows its own STATUS although it is not the selected one: started from
    // the overview it is recorded, stopped there it is not.
    m_table.noteStatusBlock(1, 0);
    QVERIFY(m_table.running(1) && !m_table.running(0));
    QVERIFY(decoder.DecodeStatusBlock(reply(status(1, 0, 999, 0xFFFE, 0)), 1));
    m_table.noteStatusBlock(1, 0);
    QVERIFY(!m_table.running(1));
}

void tst_StatusDecoder::unitFollowsRegister507()
{
    StatusDecoder decoder(m_state, m_table, m_display);
    QVERIFY(decoder.DecodeStatusBlock(reply(status(1, 1, 0, 0, 0)), 0));
    QCOMPARE(m_state.UnitText, QStringLiteral("℉"));
    QCOMPARE(m_display.unit, QStringLiteral("℉"));
    QVERIFY(decoder.DecodeStatusBlock(reply(status(-1, 1, 0, 0, 0)), 0));
    QCOMPARE(m_state.UnitText, QStringLiteral("℃"));
    QCOMPARE(m_table.field(0, F(3)), QStringLiteral("-1"));
}

void tst_StatusDecoder::parameterBlockChangesDecimalsButNotUnit()
{
    StatusDecoder decoder(m_state, m_table, m_display);
    m_state.SelectedIndex = 1;
    QVERIFY(decoder.DecodeStatusBlock(reply(status(1, 1, 0, 0, 0)), 1));
    QList<int> w;
    for (int k = 0; k < 31; ++k)
        w.append(100 + k);
    w[19] = 2; // register 506
    w[20] = 0; // register 507
    w[30] = 9; // register 205
    QVERIFY(decoder.DecodeParameterBlock(reply(w), 1));
    QCOMPARE(m_state.DecimalPlaces, 2);
    QCOMPARE(m_state.UnitText, QStringLiteral("℉"));
    QCOMPARE(m_table.field(1, F(18)), QStringLiteral("100"));  // 300 plain
    QCOMPARE(m_table.field(1, F(20)), QStringLiteral("1.02")); // 304 scaled with its own 506
    QCOMPARE(m_table.field(1, F(23)), QStringLiteral("10.5")); // 308 in tenths
    QCOMPARE(m_table.field(1, F(25)), QStringLiteral("1.07")); // 400 scaled
    QCOMPARE(m_table.field(1, F(2)), QStringLiteral("2"));
    QCOMPARE(m_table.field(1, F(3)), QStringLiteral("0"));
    QCOMPARE(m_table.field(1, F(15)), QStringLiteral("9"));
    QCOMPARE(m_table.field(1, F(45)), QStringLiteral("129")); // 618
    QCOMPARE(m_table.field(0, F(18)), QString());

    // Another controller's block (an overview write read back) leaves the selected one's
    // decimal places alone.
    w[19] = 1;
    QVERIFY(decoder.DecodeParameterBlock(reply(w), 0));
    QCOMPARE(m_table.field(0, F(2)), QStringLiteral("1"));
    QCOMPARE(m_state.DecimalPlaces, 2);
}

void tst_StatusDecoder::shortReplyWritesNothing()
{
    StatusDecoder decoder(m_state, m_table, m_display);
    QList<int> values = status(0, 1, 253, 1, 0);
    values.removeLast();
    QVERIFY(!decoder.DecodeStatusBlock(reply(values), 0));
    QCOMPARE(m_table.field(0, F(2)), QString());
    QCOMPARE(m_table.value(0, F::Status), std::nullopt);
    QVERIFY(!decoder.DecodeParameterBlock(reply(values), 0));
}

QTEST_GUILESS_MAIN(tst_StatusDecoder)
#include "tst_statusdecoder.moc"
