#pragma once

#include "Timer.h"

#include <QDateTime>
#include <functional>
#include <memory>

/// Where the engine gets its time and its timers from.
class Clock
{
public:
    virtual ~Clock() = default;
    /// Wall-clock time, for the trace's time stamps.
    virtual QDateTime now() const = 0;
    /// Monotonic milliseconds, for measuring how long ago something happened.
    virtual qint64 elapsedMs() const = 0;
    virtual std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) = 0;
};
