#pragma once

#include <QObject>

class QSocketNotifier;

/// SIGTERM and SIGINT end the event loop (QCoreApplication::quit) instead of the process, so
/// the service closes the port and says "offline" before it exits. The handler only writes a
/// byte to a pipe; the quit happens on the event loop.
class QuitOnSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitOnSignals(QObject *parent = nullptr);
    ~QuitOnSignals() override;

private:
    static void handle(int signal);

    QSocketNotifier *m_notifier = nullptr;
};
