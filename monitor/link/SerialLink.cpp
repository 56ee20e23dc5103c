#include "SerialLink.h"

#include "NumberText.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <cerrno>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

/// A port that reports this many read or write errors in a row without a byte arriving is gone.
constexpr int LostAfterErrors = 3;

const QString NotFoundText = QStringLiteral("포트가 존재하지 않습니다.");
const QString InUseText = QStringLiteral("포트가 이미 사용 중입니다.");

LinkOpenResult failure(LinkOpenResult::Failure kind, const QString &description)
{
    return LinkOpenResult{kind, description};
}

/// Who holds the port, from the lock file QSerialPort keeps for it (LCK.. and its port name with
/// '_' for '/', in the first lock folder that has it): "서비스 zq410d(PID 812)" or
/// "ZQ410(PID 4711)"; empty when unknown.
QString holderOf(const QString &portName)
{
    const QString name =
        QStringLiteral("LCK..") + QString(portName).replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const QString &folder : {QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
                                  QStringLiteral("/var/spool/locks"),
                                  QStringLiteral("/var/spool/uucp"), QDir::tempPath()}) {
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo::exists(path))
            continue;
        qint64 pid = 0;
        QString host;
        QString program;
        if (!QLockFile(path).getLockInfo(&pid, &host, &program))
            return {};
        if (program == QLatin1String("zq410d"))
            return QStringLiteral("서비스 zq410d(PID %1)").arg(pid);
        return QStringLiteral("%1(PID %2)")
            .arg(program.isEmpty() ? QStringLiteral("다른 프로그램") : program)
            .arg(pid);
    }
    return {};
}

/// A port in use, with who uses it when the lock file says: one line has one master.
QString inUseText(const QString &portName, const QString &device)
{
    const QString holder = holderOf(portName);
    if (holder.isEmpty())
        return InUseText;
    QString text = QStringLiteral("포트가 이미 사용 중입니다: %1이(가) %2을(를) 쓰고 있습니다. 한 "
                                  "라인은 한 프로그램만 폴링할 수 있습니다.")
                       .arg(holder, device);
    if (holder.startsWith(QStringLiteral("서비스")))
        text += QStringLiteral(" 서비스를 멈추거나(sudo systemctl stop zq410d) 다른 포트를 "
                               "고르십시오.");
    return text;
}

} // namespace

SerialLink::SerialLink(QObject *parent) : Link(parent)
{
    m_rtsTimer.setSingleShot(true);
    m_rtsTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_rtsTimer, &QTimer::timeout, this, &SerialLink::dropRtsWhenSent);
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        m_errorRun = 0;
        emit readyRead();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onErrorOccurred);
}

SerialLink::~SerialLink()
{
    close();
}

QString SerialLink::deviceForPortText(const QString &portText)
{
    if (portText.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        const int number = NumberText::roundHalfEven(NumberText::leadingNumber(portText.mid(3)));
        return number >= 1 ? QStringLiteral("/dev/ttyS%1").arg(number - 1) : QString();
    }
    const QString trimmed = portText.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('/')))
        return trimmed;
    return QStringLiteral("/dev/") + trimmed;
}

LinkOpenResult SerialLink::open(const LinkSettings &settings)
{
    close();
    const QString device = deviceForPortText(settings.portName);
    if (device.isEmpty() || !QFileInfo::exists(device))
        return failure(LinkOpenResult::Failure::NotFound, NotFoundText);
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto error = m_port.error();
        m_port.clearError();
        if (error == QSerialPort::DeviceNotFoundError)
            return failure(LinkOpenResult::Failure::NotFound, NotFoundText);
        if (error == QSerialPort::PermissionError || error == QSerialPort::OpenError)
            return failure(LinkOpenResult::Failure::InUse, inUseText(m_port.portName(), device));
        return failure(LinkOpenResult::Failure::Other, m_port.errorString());
    }
    const LinkOpenResult applied = applyLineSettings(settings);
    if (!applied.ok()) {
        m_port.close();
        return applied;
    }
    // Bytes that were waiting before the port was opened belong to nobody.
    m_port.clear(QSerialPort::Input);
    m_errorRun = 0;
    m_lostReported = false;
    detectRtsControl();
    return {};
}

LinkOpenResult SerialLink::applyLineSettings(const LinkSettings &settings)
{
    const int baud = NumberText::roundHalfEven(NumberText::leadingNumber(settings.baudRate));
    const int dataBits = NumberText::roundHalfEven(NumberText::leadingNumber(settings.dataBit));
    const double stop = NumberText::leadingNumber(settings.stopBit);
    static const QHash<QString, QSerialPort::Parity> parities = {
        {QStringLiteral("N"), QSerialPort::NoParity},
        {QStringLiteral("E"), QSerialPort::EvenParity},
        {QStringLiteral("O"), QSerialPort::OddParity},
        {QStringLiteral("M"), QSerialPort::MarkParity},
        {QStringLiteral("S"), QSerialPort::SpaceParity}};
    const auto parity = parities.constFind(settings.parityBit.trimmed().toUpper());
    const bool known = parity != parities.constEnd() && (stop == 1 || stop == 1.5 || stop == 2);
    const QSerialPort::Parity parityMode = known ? parity.value() : QSerialPort::NoParity;
    const QSerialPort::StopBits stopBits = stop == 2     ? QSerialPort::TwoStop
                                           : stop == 1.5 ? QSerialPort::OneAndHalfStop
                                                         : QSerialPort::OneStop;

    const bool ok =
        known && baud > 0 && dataBits >= 5 && dataBits <= 8 && m_port.setBaudRate(baud) &&
        m_port.setDataBits(QSerialPort::DataBits(dataBits)) && m_port.setParity(parityMode) &&
        m_port.setStopBits(stopBits) && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        m_port.clearError();
        return failure(
            LinkOpenResult::Failure::Other,
            QStringLiteral("통신 설정이 올바르지 않습니다: %1,%2,%3,%4")
                .arg(settings.baudRate, settings.parityBit, settings.dataBit, settings.stopBit));
    }
    const int bitsPerChar = 1 + dataBits + (parityMode == QSerialPort::NoParity ? 0 : 1) +
                            (stopBits == QSerialPort::OneStop ? 1 : 2);
    m_charMicros = int(1'000'000LL * bitsPerChar / baud) + 1;
    return {};
}

void SerialLink::detectRtsControl()
{
    const int fd = int(m_port.handle());
    m_rts = RtsControl::None;
    int lines = 0;
    // A pseudo-terminal has no modem lines; asking QSerialPort to set RTS there only raises errors.
    if (ioctl(fd, TIOCMGET, &lines) != 0)
        return;
    m_rts = RtsControl::Manual;
    serial_rs485 rs485{};
    if (ioctl(fd, TIOCGRS485, &rs485) == 0) {
        rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        rs485.flags &= ~__u32(SER_RS485_RTS_AFTER_SEND);
        if (ioctl(fd, TIOCSRS485, &rs485) == 0)
            m_rts = RtsControl::Kernel;
    }
    if (m_rts == RtsControl::Manual)
        m_port.setRequestToSend(false);
}

void SerialLink::close()
{
    m_rtsTimer.stop();
    if (m_port.isOpen())
        m_port.close();
    m_rts = RtsControl::None;
}

bool SerialLink::isOpen() const
{
    return m_port.isOpen();
}

void SerialLink::transmit(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return;
    if (m_rts == RtsControl::Manual)
        m_port.setRequestToSend(true);
    m_port.write(bytes);
    m_port.flush();
    if (m_rts == RtsControl::Manual)
        m_rtsTimer.start(std::max(1, int((qint64(bytes.size()) * m_charMicros) / 1000)));
}

/// Drops RTS once Qt's and the kernel's output queues are empty and the UART has had the time
/// of one more character to shift out the last byte; checks again later while bytes remain.
void SerialLink::dropRtsWhenSent()
{
    if (!m_port.isOpen())
        return;
    int queued = 0;
    if (ioctl(int(m_port.handle()), TIOCOUTQ, &queued) != 0)
        queued = 0;
    queued += int(m_port.bytesToWrite());
    if (queued > 0) {
        m_port.flush();
        m_rtsTimer.start(std::max(1, int((qint64(queued) * m_charMicros) / 1000)));
        return;
    }
    const auto lastChar = std::chrono::microseconds(m_charMicros);
    QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(lastChar) +
                           std::chrono::milliseconds(1),
                       Qt::PreciseTimer, this, [this] {
                           if (m_port.isOpen() && m_rts == RtsControl::Manual)
                               m_port.setRequestToSend(false);
                       });
}

QByteArray SerialLink::readAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void SerialLink::discardInput()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void SerialLink::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_port.isOpen())
        return;
    // Qt builds its text from whatever errno was left ("No such file or directory", then
    // "File exists" for the same hang-up): the reason is said in our own words.
    if (error == QSerialPort::ResourceError) {
        reportLost(QStringLiteral("통신포트 장치가 끊어졌습니다 (케이블이나 USB 변환기가 빠졌거나, "
                                  "가상 포트를 연 프로그램이 닫혔습니다)"));
        return;
    }
    if (error == QSerialPort::ReadError || error == QSerialPort::WriteError) {
        if (++m_errorRun >= LostAfterErrors)
            reportLost(
                QStringLiteral("통신포트 장치가 끊어졌습니다: 읽기·쓰기 오류가 %1번 이어졌습니다")
                    .arg(LostAfterErrors));
    }
}

/// Closes the port from the event loop, never inside errorOccurred (which can fire inside
/// QSerialPort's own calls), and tells the owner once.
void SerialLink::reportLost(const QString &reason)
{
    if (m_lostReported)
        return;
    m_lostReported = true;
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            close();
            emit lost(reason);
        },
        Qt::QueuedConnection);
}
