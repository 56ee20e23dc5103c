#pragma once

#include <QString>

/// Tells the service manager how the service is doing (sd_notify): ready, a status line, and
/// the watchdog's keep-alive. Without a manager (no NOTIFY_SOCKET) every call does nothing.
class SystemdNotifier
{
public:
    void ready();
    void status(const QString &line);
    void watchdog();
    void stopping();
    /// Half the watchdog interval systemd asked for (WATCHDOG_USEC for this process), in ms;
    /// 0 when no watchdog is wanted.
    static int watchdogPingMs();
};
