#include "RegisterMap.h"

#include <QTest>

using F = DeviceTable::Field;

class tst_RegisterMap : public QObject
{
    Q_OBJECT

private slots:
    void windowsWriteFieldsToTheirRegisters_data();
    void windowsWriteFieldsToTheirRegisters();
    void commandsAndBlocks();
};

// Addresses below are written out from the protocol, not taken from the map.

void tst_RegisterMap::windowsWriteFieldsToTheirRegisters_data()
{
    QTest::addColumn<F>("field");
    QTest::addColumn<int>("address");
    QTest::addColumn<Conversion>("conversion");
    QTest::newRow("cooling output") << F::CoolMode << 300 << Conversion::Plain;
    QTest::newRow("high alarm") << F::HighAlarm << 304 << Conversion::Scaled;
    QTest::newRow("heater break 1") << F::CurrentHighAlarm << 308 << Conversion::Tenths;
    QTest::newRow("heating P") << F::Pb << 400 << Conversion::Scaled;
    QTest::newRow("cooling P") << F::Pbc << 405 << Conversion::Scaled;
    QTest::newRow("cooling cycle") << F::Ctc << 408 << Conversion::Plain;
    QTest::newRow("upper limit") << F::UpperLimit << 504 << Conversion::Scaled;
    QTest::newRow("decimal places") << F::DecimalPlaces << 506 << Conversion::Plain;
    QTest::newRow("preheat SV") << F::PreheatSv << 511 << Conversion::Scaled;
    QTest::newRow("timer 1") << F::Timer1 << 605 << Conversion::Plain;
    QTest::newRow("timer 3") << F::Timer3 << 607 << Conversion::Plain;
    QTest::newRow("refill time") << F::RefillTime << 618 << Conversion::Plain;
    QTest::newRow("remote channel") << F::RemoteId << 205 << Conversion::Plain;
    QTest::newRow("memory number") << F::MemoryNo << 131 << Conversion::Plain;
}

void tst_RegisterMap::windowsWriteFieldsToTheirRegisters()
{
    QFETCH(F, field);
    const std::optional<Register> target = RegisterMap::writable(field);
    QVERIFY(target);
    QTEST(target->address, "address");
    QTEST(target->conversion, "conversion");
    QCOMPARE(target->field, field);
}

void tst_RegisterMap::commandsAndBlocks()
{
    const QList<int> commands = {102, 103, 104, 105, 106, 107, 108, 110};
    for (int c = 0; c < RegisterMap::CommandCount; ++c)
        QCOMPARE(RegisterMap::commandRegister(Command(c)), commands.at(c));
    QVERIFY(!RegisterMap::writable(F::Pv)); // read only
    QCOMPARE(RegisterMap::parameterRegisters().size(), 31);
    QCOMPARE(RegisterMap::parameterRegisters().first(), 300);
    QCOMPARE(RegisterMap::parameterRegisters().last(), 205);
    QCOMPARE(RegisterMap::statusRegisters().first(), 507);
    QCOMPARE(RegisterMap::errorRegisters(), QList<int>({700, 701, 702, 703, 704}));
    const QList<int> starts = {800, 825, 900, 925, 1000, 1025, 1100, 1125, 1200, 1225, 1300, 1325};
    for (int b = 0; b < 12; ++b) {
        QCOMPARE(RegisterMap::memoryBlock(b).first(), starts.at(b));
        QCOMPARE(RegisterMap::memoryBlock(b).last(), starts.at(b) + 24);
    }
}

QTEST_GUILESS_MAIN(tst_RegisterMap)
#include "tst_registermap.moc"
