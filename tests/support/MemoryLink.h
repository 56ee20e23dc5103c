#pragma once

#include "Link.h"
#include "SimulatedLine.h"
#include "VirtualClock.h"

#include <QList>

/// A serial line in memory for engine tests: what the engine transmits is recorded and handed
/// to a simulated line of controllers, whose replies arrive on the virtual clock.
class MemoryLink : public Link
{
    Q_OBJECT

public:
    explicit MemoryLink(VirtualClock &clock, QObject *parent = nullptr);

    /// The controllers that answer; none when null.
    void attach(SimulatedLine *line) { m_line = line; }
    /// The next open fails with this result.
    void failNextOpen(const LinkOpenResult &result) { m_openFailure = result; }

    LinkOpenResult open(const LinkSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void transmit(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void discardInput() override;

    /// Replies arrive one byte per millisecond, each byte its own read, as a UART at 9600
    /// baud delivers them.
    void setByteByByte(bool on) { m_byteByByte = on; }

    /// Puts bytes on the line towards the engine, delayMs from now.
    void deliver(const QByteArray &bytes, qint64 delayMs = 0);
    /// The adapter is pulled out.
    void pull();

    /// Everything transmitted, one entry per transmission, with the time it went out.
    struct Sent
    {
        qint64 atMs;
        QByteArray bytes;

        /// The request without the 0x00 that must follow it on the line. A transmission that
        /// lacks it comes back marked, so it matches no expected frame.
        QByteArray frame() const
        {
            return bytes.endsWith('\0') ? bytes.chopped(1) : bytes + "<no 0x00 after the frame>";
        }
    };
    const QList<Sent> &sent() const { return m_sent; }
    void clearSent() { m_sent.clear(); }
    LinkSettings lastSettings() const { return m_settings; }
    int discardCount() const { return m_discards; }

private:
    void deliverNow(const QByteArray &bytes, qint64 delayMs);

    VirtualClock &m_clock;
    SimulatedLine *m_line = nullptr;
    std::optional<LinkOpenResult> m_openFailure;
    LinkSettings m_settings;
    bool m_open = false;
    QByteArray m_input;
    QList<Sent> m_sent;
    int m_discards = 0;
    bool m_byteByByte = false;
};
