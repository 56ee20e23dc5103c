#pragma once

#include <QLocalServer>
#include <QObject>
#include <QPointer>

class QWidget;

/// Lets the programs of one program folder bring each other's window forward: the window
/// listens on a local socket named after its program, the user and the folder (only the user
/// may connect); ask() connects to it, and the listening side shows its window, raises and
/// activates it. The viewer's alarm banner calls the monitor this way, and the monitor's
/// "그래프 뷰어" the viewer already open instead of starting a second.
class WindowCall : public QObject
{
    Q_OBJECT

public:
    /// Listens for the window; when another window of the program and folder already listens,
    /// nothing is taken from it (listening() is then false).
    WindowCall(const QString &program, const QString &programFolder, QWidget *window);

    bool listening() const { return m_server.isListening(); }
    /// Asks the program's window of the folder to come forward; false when none listens.
    static bool ask(const QString &program, const QString &programFolder);
    static QString socketName(const QString &program, const QString &programFolder);

private:
    void comeForward();

    QLocalServer m_server;
    QPointer<QWidget> m_window;
};
