#include "MemoryLink.h"
#include "ProgramFolder.h"
#include "ServiceRunner.h"
#include "SimulatedLine.h"
#include "VirtualClock.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <malloc.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

/// The service manager's end of NOTIFY_SOCKET: a datagram socket of the test's, read whenever
/// something arrives, as systemd reads it (left unread, it would block the service's next
/// notification); WATCHDOG_USEC asks for a ping every 100 ms.
class Manager
{
public:
    explicit Manager(const QString &path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = path.toLocal8Bit();
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()) + 1);
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        m_reader = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_reader.get(), &QSocketNotifier::activated, [this] { read(); });
        qputenv("NOTIFY_SOCKET", name);
        qputenv("WATCHDOG_USEC", "200000");
        qputenv("WATCHDOG_PID", QByteArray::number(::getpid()));
    }
    ~Manager()
    {
        qunsetenv("NOTIFY_SOCKET");
        qunsetenv("WATCHDOG_USEC");
        qunsetenv("WATCHDOG_PID");
        m_reader.reset();
        ::close(m_fd);
    }

    bool bound() const { return m_bound; }
    /// The messages that came since the last call.
    QStringList take()
    {
        read();
        return std::exchange(m_got, {});
    }

private:
    void read()
    {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
            m_got.append(QString::fromUtf8(buffer, int(n)));
    }

    int m_fd = -1;
    bool m_bound = false;
    std::unique_ptr<QSocketNotifier> m_reader;
    QStringList m_got;
};

int count(const QStringList &messages, const char *what)
{
    return int(messages.filter(QLatin1String(what)).size());
}

} // namespace

class tst_ServiceRunner : public QObject
{
    Q_OBJECT

private slots:
    void watchdogIsFedOnlyWhilePollingAdvances();
    void recordsAndJournalAsTheMonitorDoes_data();
    void recordsAndJournalAsTheMonitorDoes();
    void aDayOfLineFaultsLeavesMemoryAndDescriptorsFlat();
};

/// READY=1 once the port is open; WATCHDOG=1 while requests go out (also while the port is
/// retried); a polling loop that stopped (the port closed with no retry) starves the watchdog,
/// so systemd would restart the service.
void tst_ServiceRunner::watchdogIsFedOnlyWhilePollingAdvances()
{
    QTemporaryDir dir;
    Manager manager(dir.filePath("notify"));
    QVERIFY(manager.bound());
    const ProgramFolder folder(dir.path());
    folder.writePort("COM1", "SUM");
    folder.writeDeviceList({1});
    VirtualClock clock(QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5)));
    MemoryLink link(clock);
    SimulatedLine line({1}, Frames::ChecksumMode::Sum);
    link.attach(&line);
    ServiceRunner runner(clock, link, dir.path(), dir.filePath("data"));
    runner.start();

    // Virtual time runs on while real time gives the watchdog's timer its turns.
    auto run = [&](int ms) {
        for (int waited = 0; waited < ms; waited += 20) {
            clock.advance(100);
            QTest::qWait(20);
        }
    };
    run(1000);
    QStringList got = manager.take();
    QCOMPARE(count(got, "READY=1"), 1);
    QVERIFY2(count(got, "WATCHDOG=1") >= 5, qPrintable(got.join(' ')));
    QVERIFY(count(got, "STATUS=") >= 1);

    runner.core().engine().closePort(); // the loop stops: nothing goes out, nothing retried
    QTest::qWait(100);
    manager.take();
    QTest::qWait(600);
    QCOMPARE(count(manager.take(), "WATCHDOG=1"), 0);
}

void tst_ServiceRunner::recordsAndJournalAsTheMonitorDoes_data()
{
    QTest::addColumn<QByteArray>("alarms");
    QTest::addColumn<QString>("fault");
    QTest::newRow("two running controllers") << QByteArray() << QString();
    QTest::newRow("a high limit raised") << QByteArray("[01]\nHigh=20\nOnDelay=2\n") << QString();
    QTest::newRow("late replies") << QByteArray("[03]\nLow=30\nOnDelay=0\n") << "late";
    QTest::newRow("a controller going silent") << QByteArray() << "silence";
}

/// The same line and the same settings files, once under the monitor's core and once under the
/// service: the same trend records and the same alarm journal, byte for byte.
void tst_ServiceRunner::recordsAndJournalAsTheMonitorDoes()
{
    QFETCH(QByteArray, alarms);
    QFETCH(QString, fault);
    QMap<QString, QByteArray> outputs[2];
    for (const bool service : {false, true}) {
        QTemporaryDir dir;
        const ProgramFolder folder(dir.path());
        const QString data = dir.filePath("data");
        QVERIFY(QDir().mkpath(data));
        folder.writePort("COM1", "SUM");
        folder.writeDeviceList({1, 3});
        folder.write("CFG/SaveData.INI",
                     "Yes\r\n1\r\n\xC3\xCA\r\n" + data.toLocal8Bit() + "\r\nZQ410\r\n");
        if (!alarms.isEmpty())
            folder.write("CFG/Alarm.INI", alarms);
        VirtualClock clock(QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5)));
        MemoryLink link(clock);
        SimulatedLine line({1, 3}, Frames::ChecksumMode::Sum);
        line.controller(1)->writeRegister(102, 1);
        line.controller(3)->writeRegister(102, 1);
        link.attach(&line);
        std::unique_ptr<ServiceRunner> runner;
        std::unique_ptr<MonitorCore> core;
        if (service) {
            runner = std::make_unique<ServiceRunner>(clock, link, dir.path(), data);
            runner->start();
        } else {
            core = std::make_unique<MonitorCore>(clock, link, dir.path(), data);
            core->start();
            QVERIFY(core->engine().openPort().ok());
        }
        clock.advance(20000);
        if (fault == "late")
            line.setFault(SimulatedLine::Fault::Late, 0.3);
        if (fault == "silence")
            line.setDeviceLatency(3, SimulatedLine::NoReply);
        clock.advance(20000);
        for (const QString &name : QDir(data).entryList(QDir::Files)) {
            QFile file(QDir(data).filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            outputs[service].insert(name, file.readAll());
        }
    }
    QVERIFY(outputs[0].contains("ZQ410_01.DAT") && outputs[0].contains("ZQ410_03.DAT"));
    QVERIFY(outputs[0].value("ZQ410_01.DAT").count('\n') >= 30);
    if (!alarms.isEmpty() || fault == "silence")
        QVERIFY(outputs[0].contains("ALARM_20240501.LOG"));
    QCOMPARE(outputs[1].keys(), outputs[0].keys());
    for (auto it = outputs[0].cbegin(); it != outputs[0].cend(); ++it)
        QVERIFY2(outputs[1].value(it.key()) == it.value(), qPrintable(it.key()));
}

/// A virtual day of the service on a faulty line (every fault of the simulator at rates that
/// shift every hour), recording three running controllers and journaling alarms: the heap and
/// the open descriptors after the day are those after its first hour.
void tst_ServiceRunner::aDayOfLineFaultsLeavesMemoryAndDescriptorsFlat()
{
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    const QString data = dir.filePath("data");
    QVERIFY(QDir().mkpath(data));
    QList<int> all;
    for (int n = 1; n <= 20; ++n)
        all.append(n);
    folder.writePort("COM1", "SUM");
    folder.writeDeviceList(all);
    folder.write("CFG/SaveData.INI",
                 "Yes\r\n10\r\n\xC3\xCA\r\n" + data.toLocal8Bit() + "\r\nZQ410\r\n");
    folder.write("CFG/Alarm.INI", "[01]\nHigh=40\nOnDelay=5\n[02]\nDeviation=3\nOnDelay=5\n");
    VirtualClock clock(QDateTime(QDate(2024, 5, 1), QTime(0, 0)));
    MemoryLink link(clock);
    SimulatedLine line(all, Frames::ChecksumMode::Sum);
    for (const int n : {1, 2, 3})
        line.controller(n)->writeRegister(102, 1);
    link.attach(&line);
    ServiceRunner runner(clock, link, dir.path(), data);
    runner.start();

    using Fault = SimulatedLine::Fault;
    const QList<Fault> faults = {Fault::Silence,     Fault::Late, Fault::Split, Fault::Noise,
                                 Fault::BadChecksum, Fault::Ng,   Fault::Cut};
    auto openDescriptors = [] {
        return QDir("/proc/self/fd").entryList(QDir::Files).size();
    };
    size_t heapAfterFirstHour = 0;
    qsizetype descriptorsAfterFirstHour = 0;
    for (int hour = 0; hour < 24; ++hour) {
        for (int f = 0; f < faults.size(); ++f)
            line.setFault(faults[f], 0.02 * ((hour + 3 * f) % 8));
        for (int second = 0; second < 3600; ++second) {
            clock.advance(1000);
            link.clearSent();
        }
        if (hour == 0) {
            heapAfterFirstHour = mallinfo2().uordblks;
            descriptorsAfterFirstHour = openDescriptors();
        }
    }
    const size_t heapAfterDay = mallinfo2().uordblks;
    QVERIFY2(
        heapAfterDay < heapAfterFirstHour + 512 * 1024,
        qPrintable(QStringLiteral("%1 -> %2 bytes").arg(heapAfterFirstHour).arg(heapAfterDay)));
    QCOMPARE(openDescriptors(), descriptorsAfterFirstHour);
    QFile one(QDir(data).filePath("ZQ410_01.DAT"));
    QVERIFY(one.open(QIODevice::ReadOnly));
    QVERIFY2(one.readAll().count('\n') > 5000, "controller 1 recorded through the day");
    QVERIFY(QFile::exists(QDir(data).filePath("ALARM_20240501.LOG")));
}

QTEST_GUILESS_MAIN(tst_ServiceRunner)
#include "tst_servicerunner.moc"
