#pragma once

#include <QString>
#include <QStringList>

class QSettings;

/// The broker connection of the values' publisher, as CFG/Mqtt.INI holds it (QSettings' INI
/// form; a missing file means publishing is off).
struct MqttSettings
{
    bool Enabled = false;
    QString Host = QStringLiteral("localhost");
    int Port = 1883;
    /// Topic prefix; empty means the default ("zq410/", the host name and, for a service
    /// instance, the instance's name).
    QString Prefix;
    /// Empty means one made from the prefix, so two lines on one host do not take each other's
    /// session.
    QString ClientId;
    QString Username;
    QString Password;
    bool Tls = false;
    /// The certificate authorities the broker's certificate is checked against; empty means
    /// the system's.
    QString CaFile;
    int KeepAlive = 30;
    /// Home Assistant discovery configurations are published.
    bool Discovery = false;
    /// [Commands] Enabled: commands from the network (writes, run commands, memory sends,
    /// acknowledgements) are carried out; reads are served either way.
    bool CommandsEnabled = false;
    /// [Commands] Users: the broker users whose commands are carried out (comma-separated).
    QStringList CommandUsers;
    /// [Replay] Days: records older than this are not sent again after an outage.
    int ReplayDays = 7;

    bool operator==(const MqttSettings &) const = default;

    /// "zq410/" followed by this machine's host name, and "/" and the instance's name for a
    /// service instance (its folder's name), so that lines of one PC left at their defaults
    /// neither publish under one prefix nor take each other's session.
    static QString defaultPrefix(const QString &instance = {});
    /// The prefix topics are published under, without a trailing '/'.
    QString topicPrefix(const QString &instance = {}) const;
    QString clientId(const QString &instance = {}) const;

    /// What the file says. Keys missing from it keep their defaults; a key whose value cannot
    /// be taken keeps its default too and is named in the error (empty when all is well).
    struct Read;
    static Read read(QSettings &file);
    void write(QSettings &file) const;
    /// Why these settings cannot be used (empty when they can), naming the key.
    QString problem() const;
};

struct MqttSettings::Read
{
    MqttSettings settings;
    QString error;
};
