#include "HelpCommands.h"

#include "Notice.h"
#include "WindowCall.h"
#include "frmAbout.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QWidget>

HelpCommands::HelpCommands(QWidget *window, const QString &programFolder)
    : QObject(window), m_window(window), m_programFolder(programFolder),
      m_documentFolder(QCoreApplication::applicationDirPath()),
      m_openDocument([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{}

void HelpCommands::openAbout()
{
    frmAbout about(m_window);
    about.exec();
}

void HelpCommands::openHelp()
{
    ShippedDocument::open(ShippedDocument::helpIndex(m_documentFolder), m_window, m_openDocument);
}

void HelpCommands::openManual()
{
    ShippedDocument::open(ShippedDocument::manual(m_documentFolder), m_window, m_openDocument);
}

void HelpCommands::openViewer()
{
    if (WindowCall::ask(QStringLiteral("ZQ410_Graph"), m_programFolder))
        return;
    const QString viewer =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ZQ410_Graph"));
    if (!QProcess::startDetached(viewer, {}, m_programFolder))
        Notice::show(m_window, QStringLiteral("그래프 뷰어를 시작할 수 없습니다.\n%1").arg(viewer));
}
