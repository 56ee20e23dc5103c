#pragma once

#include "Clock.h"

#include <QElapsedTimer>

/// The real clock: system time and QTimer-based one-shot timers on the caller's thread.
class SystemClock : public Clock
{
public:
    SystemClock();

    QDateTime now() const override;
    qint64 elapsedMs() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

private:
    QElapsedTimer m_elapsed;
};
