#pragma once

#include "ShippedDocument.h"

#include <QObject>

class QWidget;

/// The monitor's 도우미 menu: the about box, the help and the manual shipped beside the
/// executable, and the trend viewer.
class HelpCommands : public QObject
{
    Q_OBJECT

public:
    /// window: where messages and the about box show; programFolder: the viewer's.
    HelpCommands(QWidget *window, const QString &programFolder);

    /// Where the help and the manual are looked for (beside the executable) and how they are
    /// opened (the platform's default program); tests replace both.
    void setDocumentFolder(const QString &folder) { m_documentFolder = folder; }
    void setDocumentOpener(ShippedDocument::Opener opener) { m_openDocument = std::move(opener); }

    void openAbout();
    void openHelp();
    void openManual();
    /// The trend viewer beside the monitor's executable, started on its own; it then runs
    /// independently of the monitor. A viewer of this program folder already open comes forward
    /// instead of a second starting.
    void openViewer();

private:
    QWidget *m_window;
    QString m_programFolder;
    QString m_documentFolder;
    ShippedDocument::Opener m_openDocument;
};
