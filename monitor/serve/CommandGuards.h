#pragma once

#include "ServedRequest.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

class PollingEngine;

/// Why a request of the served line is refused: its reason key and the text a window would show.
struct Refusal
{
    QString reason;
    QString text;
};

/// The guards a command from the network passes before anything goes to a controller, in
/// order: commands enabled on this server (and, in the monitor, by its operator); the user
/// allowed; not retained; not expired (a Message Expiry of at most 30 s); the controller on the
/// list and current; a writable field and a value within its range (a set value within the
/// controller's own limits); no other command under way for the controller, and none less
/// than a second ago. Reads pass no guard.
class CommandGuards
{
public:
    static constexpr quint32 MaxExpirySeconds = 30;
    static constexpr qint64 CommandGapMs = 1000;

    struct Policy
    {
        bool enabled = false;
        QStringList users;
    };

    explicit CommandGuards(const PollingEngine &engine) : m_engine(engine) {}

    void setPolicy(const Policy &policy) { m_policy = policy; }
    const Policy &policy() const { return m_policy; }

    /// The first guard the command does not pass; nullopt when it passes them all.
    std::optional<Refusal> check(const ServedRequest &request) const;

    /// A command for the controller went to the engine / is over.
    void started(int deviceNo);
    void ended(int deviceNo);

private:
    std::optional<Refusal> checkDevice(const ServedRequest &request) const;
    std::optional<Refusal> checkValue(const ServedRequest &request) const;
    std::optional<Refusal> checkBusy(int deviceNo) const;

    const PollingEngine &m_engine;
    Policy m_policy;
    /// Controllers with a command under way.
    QHash<int, bool> m_underWay;
    /// When each controller's last command ended (the engine's clock, ms).
    QHash<int, qint64> m_lastEndMs;
};
