#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>

class MqttPublisher;
class PollingEngine;

/// Keeps a served line's retained topics up to date on the publisher's connection: P/line on
/// every connection and whenever the port, the device list, a controller's link or the command
/// policy changes; P/NN/registers with every status block and P/NN/parameters with every
/// parameter block, both again after a reconnection. A controller that has not answered since
/// the port opened has neither: both are taken off the broker when the line closes.
class LineAnnouncer : public QObject
{
    Q_OBJECT

public:
    /// program: "ZQ410" or "zq410d", as P/line names the server.
    LineAnnouncer(PollingEngine &engine, MqttPublisher &publisher, const QString &program,
                  QObject *parent = nullptr);

    /// Commands from the network are carried out (for the users named).
    void setCommands(bool enabled, const QStringList &users);

    /// When the row's last parameter block was read; invalid: none since the port opened.
    QDateTime parametersTime(int row) const;

private:
    void publishLine();
    void publishRegisters(int row);
    void publishParameters(int row);
    void publishAll();
    void forgetBlocks();
    void onConnectedChange(int row);
    QString topic(int row, const QString &suffix) const;

    PollingEngine &m_engine;
    MqttPublisher &m_publisher;
    QString m_program;
    bool m_commandsEnabled = false;
    QStringList m_commandUsers;
    QHash<int, QDateTime> m_parametersTime;
    QHash<int, bool> m_connected;
};
