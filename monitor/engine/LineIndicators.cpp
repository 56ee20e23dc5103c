#include "LineIndicators.h"

LineIndicators::LineIndicators(Clock &clock, QObject *parent) : QObject(parent)
{
    tmrBall_Send = clock.createTimer([this] { setSendLit(false); });
    tmrBall_Recv = clock.createTimer([this] { setReceiveLit(false); });
}

void LineIndicators::flashSend()
{
    setSendLit(true);
    tmrBall_Send->start(LitMs);
}

void LineIndicators::flashReceive()
{
    setReceiveLit(true);
    tmrBall_Recv->start(LitMs);
}

void LineIndicators::setSendLit(bool lit)
{
    if (m_sendLit == lit)
        return;
    m_sendLit = lit;
    emit sendChanged(lit);
}

void LineIndicators::setReceiveLit(bool lit)
{
    if (m_receiveLit == lit)
        return;
    m_receiveLit = lit;
    emit receiveChanged(lit);
}
