#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

/// A mosquitto broker of the test's own: its configuration in a folder of the test, listening
/// on a free loopback port, stopped when the object goes. Retained messages are not kept
/// across a restart (no persistence), as a broker that was replaced.
class MqttBroker
{
public:
    struct Options
    {
        /// Only this user with this password may connect (anonymous clients are refused).
        QString user;
        QString password;
        /// TLS with this server certificate and key (PEM).
        QString certFile;
        QString keyFile;
        /// Further users (name and password alike) and the ACL file the broker enforces.
        QStringList moreUsers;
        QString aclFile;
    };

    explicit MqttBroker(const QString &folder, const Options &options = {});
    ~MqttBroker();
    MqttBroker(const MqttBroker &) = delete;
    MqttBroker &operator=(const MqttBroker &) = delete;

    /// Starts it (again, on the same port) and waits until it listens; false after 5 s, with
    /// error() saying why.
    bool start();
    void stop();
    /// Ends it at once (SIGKILL), as a crash or a pulled cable would.
    void kill();
    int port() const { return m_port; }
    QString error() const { return m_error; }

    /// A free TCP port on the loopback interface.
    static int freePort();
    /// The program, where Debian puts it (/usr/sbin) or on the PATH; empty when missing.
    static QString program();

private:
    bool writeConfig(const Options &options);
    bool listening() const;

    QString m_folder;
    int m_port = 0;
    QProcess m_process;
    QString m_error;
};
