#pragma once

#include "CommandGuards.h"
#include "CommandJournal.h"
#include "ServedRequest.h"

#include <QJsonObject>
#include <QObject>
#include <deque>
#include <memory>

class AlarmEngine;
class LineAnnouncer;
class MemoryTable;
class MqttPublisher;
class PollingEngine;
struct RequestFailure;

/// Serves the line to the programs that use it through the broker: the requests that arrive on
/// P/request/USER are read, commands are guarded (CommandGuards), and each goes to the engine
/// as a window's request would, one at a time, with a token of its own as the requester; the
/// reply goes to the request's reply topic with its correlation data when the engine says it
/// is done or failed. A write succeeds only when the read-back holds the value asked; a memory
/// send is read back and every difference named. Every command, carried out or refused, is a
/// line of the command journal.
class LineServer : public QObject
{
    Q_OBJECT

public:
    /// Records of a history reply at most.
    static constexpr int HistoryChunk = 5000;

    LineServer(PollingEngine &engine, MqttPublisher &publisher, AlarmEngine &alarms,
               LineAnnouncer &announcer, QObject *parent = nullptr);
    ~LineServer() override;

    /// The monitor asks its operator too ("원격 조작 허용", off at every start); the service
    /// does not.
    void setOperatorSwitch(bool needed);
    void setOperatorAllows(bool allowed);
    bool operatorAllows() const { return m_operatorAllows; }
    /// Commands are carried out: enabled in Mqtt.INI and, where asked, by the operator.
    bool commandsEnabled() const;

    /// Takes the command settings of Mqtt.INI (on start and after each change).
    void refreshPolicy();

signals:
    /// A command from the network was carried out: the text the monitor's status bar shows
    /// ("원격 조작: shift1 — 기기 03 예열SV 55.0 → 60.0").
    void commandExecuted(const QString &text);
    /// commandsEnabled() changed.
    void commandsEnabledChanged(bool enabled);

private:
    struct Job;

    void onRequest(const MqttMessage &message);
    void start(std::unique_ptr<Job> job);
    void startNext();
    void dispatch(Job &job);
    void onDone(QObject *requester);
    void onFailed(const RequestFailure &failure);
    void onStatusBlock(int row);
    void finish(const QJsonObject &reply);
    void refuse(const ServedRequest &request, const Refusal &refusal);
    void reply(const ServedRequest &request, QJsonObject reply);
    void journal(const ServedRequest &request, const QJsonObject &reply);
    void acknowledge(const ServedRequest &request);
    void sendHistory(const ServedRequest &request);
    int rowOf(int deviceNo) const;

    QJsonObject parametersReply(int row) const;
    QJsonObject writeReply(const Job &job) const;
    QJsonObject memoryReply(const MemoryTable &table) const;
    QJsonObject memorySendReply(const Job &job) const;

    PollingEngine &m_engine;
    MqttPublisher &m_publisher;
    AlarmEngine &m_alarms;
    LineAnnouncer &m_announcer;
    CommandGuards m_guards;
    bool m_switchNeeded = false;
    bool m_operatorAllows = false;
    bool m_settingsAllow = false;
    /// What commandsEnabledChanged said last.
    bool m_enabledShown = false;
    std::unique_ptr<Job> m_active;
    std::deque<std::unique_ptr<Job>> m_waiting;
    QList<int> m_lastCodes;
};
