#pragma once

#include "Clock.h"

#include <QList>
#include <functional>

/// A clock for tests: time stands still until advance() moves it, firing every timer and
/// scheduled action that falls due on the way, in time order (ties in the order they were armed).
class VirtualClock : public Clock
{
public:
    explicit VirtualClock(const QDateTime &start);
    ~VirtualClock() override;

    QDateTime now() const override { return m_start.addMSecs(m_ms); }
    qint64 elapsedMs() const override { return m_ms; }
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

    void advance(qint64 ms);
    /// Runs the action once, delayMs from now.
    void schedule(qint64 delayMs, std::function<void()> action);

private:
    friend class VirtualTimer;
    struct Pending
    {
        qint64 due;
        quint64 order;
        std::function<void()> action;
    };

    quint64 nextOrder() { return m_order++; }
    bool fireNext(qint64 limit);

    QDateTime m_start;
    qint64 m_ms = 0;
    quint64 m_order = 0;
    QList<class VirtualTimer *> m_timers;
    QList<Pending> m_actions;
};

/// A one-shot timer of the virtual clock.
class VirtualTimer : public Timer
{
public:
    VirtualTimer(VirtualClock &clock, std::function<void()> onTimeout);
    ~VirtualTimer() override;

    void start(int intervalMs) override;
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

private:
    friend class VirtualClock;
    VirtualClock &m_clock;
    std::function<void()> m_onTimeout;
    bool m_active = false;
    qint64 m_due = 0;
    quint64 m_order = 0;
};
