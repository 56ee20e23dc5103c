#include "MqttBroker.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool canConnect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace

MqttBroker::MqttBroker(const QString &folder, const Options &options)
    : m_folder(folder), m_port(freePort())
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    writeConfig(options);
}

MqttBroker::~MqttBroker()
{
    stop();
}

QString MqttBroker::program()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (!onPath.isEmpty())
        return onPath;
    return QStandardPaths::findExecutable(
        QStringLiteral("mosquitto"),
        {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
}

int MqttBroker::freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool MqttBroker::writeConfig(const Options &options)
{
    QByteArray config =
        "listener " + QByteArray::number(m_port) + " 127.0.0.1\n" + "persistence false\n";
    // Run as root (a container), the broker would switch to its own user and then not read
    // the test's files.
    if (::geteuid() == 0)
        config += "user root\n";
    if (options.user.isEmpty()) {
        config += "allow_anonymous true\n";
    } else {
        const QString passwords = QDir(m_folder).filePath(QStringLiteral("passwords"));
        QProcess::execute(QStringLiteral("mosquitto_passwd"),
                          {QStringLiteral("-b"), QStringLiteral("-c"), passwords, options.user,
                           options.password});
        for (const QString &user : options.moreUsers)
            QProcess::execute(QStringLiteral("mosquitto_passwd"),
                              {QStringLiteral("-b"), passwords, user, user});
        config += "allow_anonymous false\npassword_file " + QFile::encodeName(passwords) + '\n';
    }
    if (!options.aclFile.isEmpty())
        config += "acl_file " + QFile::encodeName(options.aclFile) + '\n';
    if (!options.certFile.isEmpty())
        config += "certfile " + QFile::encodeName(options.certFile) + "\nkeyfile " +
                  QFile::encodeName(options.keyFile) + '\n';
    QFile file(QDir(m_folder).filePath(QStringLiteral("mosquitto.conf")));
    return file.open(QIODevice::WriteOnly) && file.write(config) == config.size();
}

bool MqttBroker::start()
{
    if (program().isEmpty()) {
        m_error = QStringLiteral("mosquitto is not installed (scripts/setup installs it)");
        return false;
    }
    m_process.start(program(), {QStringLiteral("-c"),
                                QDir(m_folder).filePath(QStringLiteral("mosquitto.conf"))});
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (m_process.state() == QProcess::NotRunning) {
            m_error =
                QStringLiteral("mosquitto stopped: ") + QString::fromLocal8Bit(m_process.readAll());
            return false;
        }
        if (listening())
            return true;
        QThread::msleep(20);
    }
    m_error = QStringLiteral("mosquitto does not listen on port %1 after 5 s").arg(m_port);
    return false;
}

void MqttBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

void MqttBroker::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool MqttBroker::listening() const
{
    return canConnect(m_port);
}
