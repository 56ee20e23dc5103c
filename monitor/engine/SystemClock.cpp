#include "SystemClock.h"

#include <QTimer>

namespace {

class QtTimer : public Timer
{
public:
    explicit QtTimer(std::function<void()> onTimeout)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTimeout));
    }

    void start(int intervalMs) override { m_timer.start(intervalMs); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

SystemClock::SystemClock()
{
    m_elapsed.start();
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::elapsedMs() const
{
    return m_elapsed.elapsed();
}

std::unique_ptr<Timer> SystemClock::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<QtTimer>(std::move(onTimeout));
}
