#pragma once

#include "Link.h"

#include <QSerialPort>
#include <QTimer>

/// The real serial line on QSerialPort.
///
/// Port texts "COM1" .. "COMn" name /dev/ttyS0 .. /dev/ttyS(n-1); any other text is a device name
/// or path used as given. RTS is left to the kernel's RS-485 mode where the driver offers it,
/// otherwise raised around each transmission and dropped only after the UART has sent the last
/// byte; devices without modem lines (pseudo-terminals) send without RTS.
class SerialLink : public Link
{
    Q_OBJECT

public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    LinkOpenResult open(const LinkSettings &settings) override;
    void close() override;
    bool isOpen() const override;
    void transmit(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void discardInput() override;

    /// The device a port text names: "COM3" is /dev/ttyS2, "/dev/pts/4" and "ttyUSB0" are kept.
    /// Empty when the text names no port ("COM0", "COMx", "").
    static QString deviceForPortText(const QString &portText);

private:
    enum class RtsControl { None, Kernel, Manual };

    LinkOpenResult applyLineSettings(const LinkSettings &settings);
    void detectRtsControl();
    void dropRtsWhenSent();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void reportLost(const QString &reason);

    QSerialPort m_port;
    QTimer m_rtsTimer;
    RtsControl m_rts = RtsControl::None;
    /// Microseconds one character takes on the line at the current settings.
    int m_charMicros = 1042;
    /// Read or write errors since the last byte arrived; a dead port reports them in a loop.
    int m_errorRun = 0;
    bool m_lostReported = false;
};
