#include "MemoryLink.h"
#include "ProgramFolder.h"
#include "ServiceRunner.h"
#include "SimulatedLine.h"
#include "VirtualClock.h"

#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

/// The service manager's end of NOTIFY_SOCKET: a datagram socket of the test's, read as
/// systemd reads it; WATCHDOG_USEC asks for a ping every 100 ms.
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
        qputenv("NOTIFY_SOCKET", name);
        qputenv("WATCHDOG_USEC", "200000");
        qputenv("WATCHDOG_PID", QByteArray::number(::getpid()));
    }
    ~Manager()
    {
        qunsetenv("NOTIFY_SOCKET");
        qunsetenv("WATCHDOG_USEC");
        qunsetenv("WATCHDOG_PID");
        ::close(m_fd);
    }

    bool bound() const { return m_bound; }
    /// The messages that came since the last call.
    QStringList take()
    {
        QStringList got;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
            got.append(QString::fromUtf8(buffer, int(n)));
        return got;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
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

QTEST_GUILESS_MAIN(tst_ServiceRunner)
#include "tst_servicerunner.moc"
