#pragma once

#include <QString>
#include <atomic>
#include <thread>

/// A FIFO where a file is expected, with a writer waiting on it: whoever opens it for reading
/// springs the trap (the writer then closes at once, so a reader sees an empty stream instead of
/// hanging the test). Code that handles only regular files never springs it.
class FifoTrap
{
public:
    explicit FifoTrap(const QString &path);
    ~FifoTrap();
    FifoTrap(const FifoTrap &) = delete;
    FifoTrap &operator=(const FifoTrap &) = delete;

    bool made() const { return m_made; }
    QString path() const { return m_path; }
    /// Something opened the FIFO as a file.
    bool sprung() const { return m_sprung; }

private:
    QString m_path;
    bool m_made = false;
    std::atomic<bool> m_sprung = false;
    std::thread m_writer;
};
