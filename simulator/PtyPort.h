#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>

/// The simulator's end of a pseudo-terminal: a client opens slavePath() as its serial port.
/// Bytes written are paced at the configured baud rate, one character every 10 bit times.
class PtyPort : public QObject
{
    Q_OBJECT

public:
    explicit PtyPort(int baud, QObject *parent = nullptr);
    ~PtyPort() override;

    /// Opens the pseudo-terminal; false with errorString() set when it cannot.
    bool open();
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

    /// Queues bytes for the line; they leave at the baud rate.
    void send(const QByteArray &bytes);

signals:
    void received(const QByteArray &bytes);

private:
    void readMaster();
    void writeDue();

    int m_baud;
    int m_master = -1;
    /// Held open so the pseudo-terminal does not hang up between clients.
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_paceTimer;
    QByteArray m_outgoing;
    qint64 m_sendStartMs = 0;
    qint64 m_sentSinceStart = 0;
    QElapsedTimer m_clock;
};
