#include "MemoryLink.h"

MemoryLink::MemoryLink(VirtualClock &clock, QObject *parent) : Link(parent), m_clock(clock) {}

LinkOpenResult MemoryLink::open(const LinkSettings &settings)
{
    m_settings = settings;
    if (m_openFailure)
        return *std::exchange(m_openFailure, std::nullopt);
    m_open = true;
    m_input.clear();
    return {};
}

void MemoryLink::close()
{
    m_open = false;
}

void MemoryLink::transmit(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_sent.append({m_clock.elapsedMs(), bytes});
    if (!m_line)
        return;
    for (const SimulatedLine::Emission &emission : m_line->receive(bytes))
        deliver(emission.bytes, emission.delayMs);
}

QByteArray MemoryLink::readAll()
{
    return std::exchange(m_input, QByteArray());
}

void MemoryLink::discardInput()
{
    ++m_discards;
    m_input.clear();
}

void MemoryLink::deliver(const QByteArray &bytes, qint64 delayMs)
{
    if (m_byteByByte && bytes.size() > 1) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            deliverNow(bytes.sliced(i, 1), delayMs + i);
        return;
    }
    deliverNow(bytes, delayMs);
}

void MemoryLink::deliverNow(const QByteArray &bytes, qint64 delayMs)
{
    m_clock.schedule(delayMs, [this, bytes] {
        if (!m_open)
            return;
        m_input += bytes;
        emit readyRead();
    });
}

void MemoryLink::pull()
{
    m_open = false;
    emit lost(QStringLiteral("device removed"));
}
