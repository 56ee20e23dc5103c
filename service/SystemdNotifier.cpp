#include "SystemdNotifier.h"

#include <systemd/sd-daemon.h>

void SystemdNotifier::ready()
{
    sd_notify(0, "READY=1");
}

void SystemdNotifier::status(const QString &line)
{
    sd_notify(0, ("STATUS=" + line.toUtf8()).constData());
}

void SystemdNotifier::watchdog()
{
    sd_notify(0, "WATCHDOG=1");
}

void SystemdNotifier::stopping()
{
    sd_notify(0, "STOPPING=1");
}

int SystemdNotifier::watchdogPingMs()
{
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) <= 0)
        return 0;
    return int(std::max<uint64_t>(usec / 2000, 1));
}
