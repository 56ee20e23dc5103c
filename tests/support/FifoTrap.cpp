#include "FifoTrap.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

/// The FIFO is made under a name of the trap's own and linked to the path: code that replaces
/// the file at the path leaves the trap's name to release the writer by.
FifoTrap::FifoTrap(const QString &path) : m_path(path)
{
    const QByteArray name = QFile::encodeName(path + QStringLiteral(".trap"));
    m_made = ::mkfifo(name.constData(), 0600) == 0 &&
             ::link(name.constData(), QFile::encodeName(path).constData()) == 0;
    if (!m_made)
        return;
    m_writer = std::thread([this, name] {
        const int fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC); // waits for a reader
        if (fd >= 0)
            ::close(fd);
        m_sprung = true;
    });
}

FifoTrap::~FifoTrap()
{
    if (!m_made)
        return;
    const bool wasSprung = m_sprung;
    if (!wasSprung) {
        // Release the waiting writer: a reader of our own.
        const int fd = ::open(QFile::encodeName(m_path + QStringLiteral(".trap")).constData(),
                              O_RDONLY | O_NONBLOCK);
        m_writer.join();
        if (fd >= 0)
            ::close(fd);
    } else {
        m_writer.join();
    }
    QFile::remove(m_path + QStringLiteral(".trap"));
    if (!QFileInfo(m_path).isFile())
        QFile::remove(m_path); // a regular file put in its place stays for the test to see
}
