#include "WindowCall.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QWidget>

#include <unistd.h>

namespace {

/// A local connection is made or refused at once; this only bounds a peer that hangs.
constexpr int ConnectMs = 500;

} // namespace

WindowCall::WindowCall(const QString &program, const QString &programFolder, QWidget *window)
    : QObject(window), m_window(window)
{
    const QString name = socketName(program, programFolder);
    if (ask(program, programFolder))
        return;                       // another window of this program and folder answers already
    QLocalServer::removeServer(name); // a socket left by a program that crashed
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(name);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            socket->deleteLater();
            comeForward();
        }
    });
}

QString WindowCall::socketName(const QString &program, const QString &programFolder)
{
    const QByteArray folder =
        QCryptographicHash::hash(QDir::cleanPath(programFolder).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return QStringLiteral("%1-%2-%3").arg(program).arg(getuid()).arg(QString::fromLatin1(folder));
}

bool WindowCall::ask(const QString &program, const QString &programFolder)
{
    QLocalSocket socket;
    socket.connectToServer(socketName(program, programFolder));
    if (!socket.waitForConnected(ConnectMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

void WindowCall::comeForward()
{
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->showNormal();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    // Where the window manager refuses the focus to a program in the background, the taskbar
    // entry asks for attention instead.
    QApplication::alert(m_window);
}
