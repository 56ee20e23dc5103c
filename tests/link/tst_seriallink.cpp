#include "MonitorSettings.h"
#include "PollingEngine.h"
#include "ProgramFolder.h"
#include "SerialLink.h"
#include "SimulatorProcess.h"
#include "SystemClock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

using F = DeviceTable::Field;

/// The monitor's engine on the real serial link, with its program folder.
struct Monitor
{
    QTemporaryDir dir;
    SystemClock clock;
    SerialLink link;
    std::unique_ptr<PollingEngine> engine;

    Monitor(const QString &port, const QByteArray &protocol, const QList<int> &devices)
    {
        const ProgramFolder folder(dir.path());
        folder.writeDeviceList(devices);
        folder.writePort(port.toLocal8Bit(), protocol);
        engine = std::make_unique<PollingEngine>(link, clock, dir.path());
        MonitorSettings(*engine, dir.path(), dir.filePath("data")).load();
    }
};

class tst_SerialLink : public QObject
{
    Q_OBJECT

private slots:
    void portTextsNameDevices();
    void openFailuresAreReportedByKind();
    void identifiesAndPollsOverAPseudoTerminal_data();
    void identifiesAndPollsOverAPseudoTerminal();
    void writeIsAcknowledgedAndReadBack();
    void recoversFromInjectedFaults();
    void vanishingPortIsReportedAndCanBeReopened();
    void hundredUnplugCyclesLeaveNothingBehind();

private:
    QTemporaryDir m_links;
};

void tst_SerialLink::portTextsNameDevices()
{
    QCOMPARE(SerialLink::deviceForPortText(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(SerialLink::deviceForPortText(QStringLiteral("COM20")), QStringLiteral("/dev/ttyS19"));
    QCOMPARE(SerialLink::deviceForPortText(QStringLiteral("COM0")), QString());
    QCOMPARE(SerialLink::deviceForPortText(QStringLiteral("ttyUSB0")),
             QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(SerialLink::deviceForPortText(QStringLiteral("/dev/pts/4")),
             QStringLiteral("/dev/pts/4"));
}

void tst_SerialLink::openFailuresAreReportedByKind()
{
    SerialLink link;
    const LinkOpenResult result =
        link.open({QStringLiteral("/dev/does-not-exist"), "9600", "N", "8", "1"});
    QCOMPARE(result.failure, LinkOpenResult::Failure::NotFound);
    QVERIFY(!result.description.isEmpty());
    QVERIFY(!link.isOpen());

    // Line settings the port cannot take are refused and leave the port closed.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const QString pty = QString::fromLocal8Bit(ptsname(master));
    const QList<QStringList> bad = {{"abc", "N", "8", "1"},
                                    {"9600", "X", "8", "1"},
                                    {"9600", "N", "9", "1"},
                                    {"9600", "N", "8", "3"}};
    for (const QStringList &s : bad) {
        const LinkOpenResult refused = link.open({pty, s[0], s[1], s[2], s[3]});
        QCOMPARE(refused.failure, LinkOpenResult::Failure::Other);
        QVERIFY(refused.description.contains(s.join(QLatin1Char(','))));
        QVERIFY(!link.isOpen());
    }
    // A pseudo-terminal takes 8 data bits without parity only; a real port takes them all.
    const LinkOpenResult opened = link.open({pty, "4800", "n", "8", "2"});
    QVERIFY2(opened.ok(), qPrintable(opened.description));
    // A second opener is told who holds the port (its lock file names the program).
    SerialLink second;
    const LinkOpenResult taken = second.open({pty, "9600", "N", "8", "1"});
    QCOMPARE(taken.failure, LinkOpenResult::Failure::InUse);
    QVERIFY2(taken.description.contains(QStringLiteral("%1(PID %2)")
                                            .arg(QCoreApplication::applicationName())
                                            .arg(QCoreApplication::applicationPid())),
             qPrintable(taken.description));
    link.close();
    ::close(master);
}

void tst_SerialLink::identifiesAndPollsOverAPseudoTerminal_data()
{
    QTest::addColumn<QByteArray>("protocol");
    QTest::newRow("STD") << QByteArray("STD");
    QTest::newRow("SUM") << QByteArray("SUM");
}

void tst_SerialLink::identifiesAndPollsOverAPseudoTerminal()
{
    QFETCH(QByteArray, protocol);
    const QString path = m_links.filePath(QStringLiteral("line-") + protocol);
    SimulatorProcess sim(ZQ410_SIM, path,
                         {QStringLiteral("--devices"), QStringLiteral("1,3"),
                          QStringLiteral("--protocol"), QString::fromLatin1(protocol)});
    QVERIFY(sim.ptyPath().startsWith(QLatin1String("/dev/")));
    Monitor monitor(path, protocol, {1, 2, 3});
    QVERIFY(monitor.engine->openPort().ok());
    QTRY_VERIFY_WITH_TIMEOUT(monitor.engine->isOnline(), 10000);
    PollingEngine &engine = *monitor.engine;
    QVERIFY(engine.table().connected(0) && !engine.table().connected(1));
    QVERIFY(engine.table().connected(2));
    QCOMPARE(engine.state().SelectedDeviceNo, 1);
    QCOMPARE(engine.table().pickerState(1), LinkState::Failed);
    QTRY_VERIFY_WITH_TIMEOUT(!engine.table().field(2, F(4)).isEmpty(), 5000);
    QCOMPARE(engine.table().field(0, F(2)), QStringLiteral("1"));
    QCOMPARE(engine.table().field(0, F(8)), QStringLiteral("60.0"));
    QCOMPARE(engine.table().field(2, F(15)), QStringLiteral("3"));
    QCOMPARE(engine.table().linkState(2), LinkState::Good);
    QCOMPARE(engine.display().sv, QStringLiteral("60.0"));
    engine.closePort();
}

void tst_SerialLink::writeIsAcknowledgedAndReadBack()
{
    const QString path = m_links.filePath(QStringLiteral("write"));
    SimulatorProcess sim(ZQ410_SIM, path, {QStringLiteral("--devices"), QStringLiteral("1")});
    Monitor monitor(path, "SUM", {1});
    PollingEngine &engine = *monitor.engine;
    QVERIFY(engine.openPort().ok());
    QTRY_VERIFY_WITH_TIMEOUT(engine.isOnline(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!engine.table().field(0, F(7)).isEmpty(), 5000);
    QCOMPARE(engine.table().field(0, F(7)), QStringLiteral("0"));
    engine.writeRegister(102, 1);
    QTRY_COMPARE_WITH_TIMEOUT(engine.table().field(0, F(26)), QStringLiteral("240"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(engine.table().field(0, F(7)), QStringLiteral("1"), 5000);
    QVERIFY(engine.table().running(0));
    QVERIFY(engine.display().commandLit[0]);
    engine.closePort();
}

void tst_SerialLink::recoversFromInjectedFaults()
{
    const QString path = m_links.filePath(QStringLiteral("faults"));
    SimulatorProcess sim(
        ZQ410_SIM, path,
        {QStringLiteral("--devices"), QStringLiteral("1"), QStringLiteral("--fault"),
         QStringLiteral("noise=0.5"), QStringLiteral("--fault"), QStringLiteral("split=0.5"),
         QStringLiteral("--fault"), QStringLiteral("badsum=0.2"), QStringLiteral("--fault"),
         QStringLiteral("cut=0.2"), QStringLiteral("--fault"), QStringLiteral("late=0.1")});
    Monitor monitor(path, "SUM", {1});
    PollingEngine &engine = *monitor.engine;
    QSignalSpy decoded(&engine, &PollingEngine::selectedDisplayChanged);
    QVERIFY(engine.openPort().ok());
    QTRY_VERIFY_WITH_TIMEOUT(decoded.size() >= 10, 30000);
    QVERIFY(engine.isPortOpen());
    engine.closePort();
}

void tst_SerialLink::vanishingPortIsReportedAndCanBeReopened()
{
    const QString path = m_links.filePath(QStringLiteral("vanish"));
    auto sim = std::make_unique<SimulatorProcess>(
        ZQ410_SIM, path, QStringList{QStringLiteral("--devices"), QStringLiteral("1")});
    Monitor monitor(path, "SUM", {1});
    PollingEngine &engine = *monitor.engine;
    QSignalSpy lost(&engine, &PollingEngine::portLost);
    QVERIFY(engine.openPort().ok());
    QTRY_VERIFY_WITH_TIMEOUT(engine.isOnline(), 5000);
    sim->stop();
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 10000);
    // In our words, not the stale errno Qt would quote.
    QVERIFY2(
        lost.first().first().toString().startsWith(QStringLiteral("통신포트 장치가 끊어졌습니다")),
        qPrintable(lost.first().first().toString()));
    QVERIFY(!engine.isPortOpen());
    QVERIFY(!engine.isOnline());
    QTest::qWait(300);
    QCOMPARE(lost.size(), 1);

    sim = std::make_unique<SimulatorProcess>(
        ZQ410_SIM, path, QStringList{QStringLiteral("--devices"), QStringLiteral("1")});
    QVERIFY(engine.openPort().ok());
    QTRY_VERIFY_WITH_TIMEOUT(engine.isOnline(), 5000);
    engine.closePort();
}

static int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

/// The line pulled (the simulator stopped) and restored a hundred times while polling: one report
/// per loss, the port reopens each time, descriptors and heap stay flat.
void tst_SerialLink::hundredUnplugCyclesLeaveNothingBehind()
{
    const QString path = m_links.filePath(QStringLiteral("unplug"));
    const QStringList arguments{QStringLiteral("--devices"), QStringLiteral("1"),
                                QStringLiteral("--latency"), QStringLiteral("5")};
    auto sim = std::make_unique<SimulatorProcess>(ZQ410_SIM, path, arguments);
    Monitor monitor(path, "SUM", {1});
    PollingEngine &engine = *monitor.engine;
    QSignalSpy lost(&engine, &PollingEngine::portLost);
    int descriptorsAfterFirst = 0;
    size_t heapAfterFirst = 0;
    constexpr int Cycles = 100;
    for (int cycle = 0; cycle < Cycles; ++cycle) {
        QVERIFY2(engine.openPort().ok(), qPrintable(QString::number(cycle)));
        QTRY_VERIFY_WITH_TIMEOUT(engine.isOnline(), 5000);
        sim->stop();
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), cycle + 1, 5000);
        QVERIFY(!engine.isPortOpen());
        sim = std::make_unique<SimulatorProcess>(ZQ410_SIM, path, arguments);
        if (cycle == 0) {
            descriptorsAfterFirst = openDescriptors();
            heapAfterFirst = mallinfo2().uordblks;
        }
    }
    QCOMPARE(lost.size(), Cycles);
    QVERIFY2(
        openDescriptors() <= descriptorsAfterFirst,
        qPrintable(QStringLiteral("%1 -> %2").arg(descriptorsAfterFirst).arg(openDescriptors())));
    QVERIFY(mallinfo2().uordblks < heapAfterFirst + (1 << 20));
}

QTEST_GUILESS_MAIN(tst_SerialLink)
#include "tst_seriallink.moc"
