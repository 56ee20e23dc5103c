#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

/// zq410-sim on a pseudo-terminal, reached through a symbolic link the test names; stopped when
/// the object goes.
class SimulatorProcess
{
public:
    SimulatorProcess(const QString &program, const QString &linkPath, const QStringList &arguments)
    {
        m_process.start(program, QStringList{QStringLiteral("--link"), linkPath} + arguments);
        if (m_process.waitForReadyRead(5000))
            m_ptyPath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimulatorProcess() { stop(); }
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    QString ptyPath() const { return m_ptyPath; }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    QString m_ptyPath;
};
