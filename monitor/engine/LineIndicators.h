#pragma once

#include "Clock.h"

#include <QObject>
#include <memory>

/// The send and receive lamps of the line: each lit for LitMs when a frame goes out or bytes
/// come in.
class LineIndicators : public QObject
{
    Q_OBJECT

public:
    static constexpr int LitMs = 250;

    explicit LineIndicators(Clock &clock, QObject *parent = nullptr);

    void flashSend();
    void flashReceive();
    bool sendLit() const { return m_sendLit; }
    bool receiveLit() const { return m_receiveLit; }

signals:
    void sendChanged(bool lit);
    void receiveChanged(bool lit);

private:
    void setSendLit(bool lit);
    void setReceiveLit(bool lit);

    std::unique_ptr<Timer> tmrBall_Send;
    std::unique_ptr<Timer> tmrBall_Recv;
    bool m_sendLit = false;
    bool m_receiveLit = false;
};
