#include "VirtualClock.h"

VirtualClock::VirtualClock(const QDateTime &start) : m_start(start) {}

VirtualClock::~VirtualClock() = default;

std::unique_ptr<Timer> VirtualClock::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<VirtualTimer>(*this, std::move(onTimeout));
}

void VirtualClock::schedule(qint64 delayMs, std::function<void()> action)
{
    m_actions.append({m_ms + delayMs, nextOrder(), std::move(action)});
}

void VirtualClock::advance(qint64 ms)
{
    const qint64 target = m_ms + ms;
    while (fireNext(target)) {
    }
    m_ms = target;
}

/// Fires the earliest timer or action due by limit; false when there is none.
bool VirtualClock::fireNext(qint64 limit)
{
    VirtualTimer *timer = nullptr;
    for (VirtualTimer *candidate : std::as_const(m_timers)) {
        if (!candidate->m_active || candidate->m_due > limit)
            continue;
        if (!timer || candidate->m_due < timer->m_due ||
            (candidate->m_due == timer->m_due && candidate->m_order < timer->m_order))
            timer = candidate;
    }
    qsizetype action = -1;
    for (qsizetype i = 0; i < m_actions.size(); ++i) {
        const Pending &p = m_actions[i];
        if (p.due > limit)
            continue;
        if (action < 0 || p.due < m_actions[action].due ||
            (p.due == m_actions[action].due && p.order < m_actions[action].order))
            action = i;
    }
    const bool actionFirst =
        action >= 0 &&
        (!timer || m_actions[action].due < timer->m_due ||
         (m_actions[action].due == timer->m_due && m_actions[action].order < timer->m_order));
    if (actionFirst) {
        Pending p = m_actions.takeAt(action);
        m_ms = p.due;
        p.action();
        return true;
    }
    if (timer) {
        m_ms = timer->m_due;
        timer->m_active = false;
        timer->m_onTimeout();
        return true;
    }
    return false;
}

VirtualTimer::VirtualTimer(VirtualClock &clock, std::function<void()> onTimeout)
    : m_clock(clock), m_onTimeout(std::move(onTimeout))
{
    m_clock.m_timers.append(this);
}

VirtualTimer::~VirtualTimer()
{
    m_clock.m_timers.removeOne(this);
}

void VirtualTimer::start(int intervalMs)
{
    m_active = true;
    m_due = m_clock.m_ms + intervalMs;
    m_order = m_clock.nextOrder();
}
