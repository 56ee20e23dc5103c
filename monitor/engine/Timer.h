#pragma once

/// A one-shot timer of the engine. The program binds it to QTimer; tests bind it to a virtual
/// clock so every time-out can be checked to the millisecond.
class Timer
{
public:
    virtual ~Timer() = default;
    /// (Re)starts the countdown; the callback runs once, intervalMs from now.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};
