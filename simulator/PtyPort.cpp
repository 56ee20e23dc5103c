#include "PtyPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyPort::PtyPort(int baud, QObject *parent) : QObject(parent), m_baud(std::max(baud, 50))
{
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    m_paceTimer.setInterval(1);
    connect(&m_paceTimer, &QTimer::timeout, this, &PtyPort::writeDue);
    m_clock.start();
}

PtyPort::~PtyPort()
{
    m_notifier.reset();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyPort::open()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyPort::readMaster);
    return true;
}

void PtyPort::readMaster()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0)
        emit received(QByteArray(buffer, int(n)));
}

void PtyPort::send(const QByteArray &bytes)
{
    if (m_outgoing.isEmpty()) {
        m_sendStartMs = m_clock.elapsed();
        m_sentSinceStart = 0;
    }
    m_outgoing += bytes;
    if (!m_paceTimer.isActive())
        m_paceTimer.start();
    writeDue();
}

/// Writes as many bytes as the baud rate allows since sending began.
void PtyPort::writeDue()
{
    const qint64 elapsedMs = m_clock.elapsed() - m_sendStartMs;
    const qint64 allowed = (elapsedMs * m_baud) / 10000 + 1 - m_sentSinceStart;
    const qint64 count = std::min<qint64>(allowed, m_outgoing.size());
    if (count > 0) {
        const ssize_t written = ::write(m_master, m_outgoing.constData(), size_t(count));
        if (written > 0) {
            m_outgoing.remove(0, written);
            m_sentSinceStart += written;
        }
    }
    if (m_outgoing.isEmpty())
        m_paceTimer.stop();
}
