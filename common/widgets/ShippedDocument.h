#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

/// The help pages and the manual that ship beside the executables, opened with the platform's
/// default program (a web browser, a PDF reader). A file that is missing, or that no program
/// opens, is told in a message box that says where it was looked for.
class ShippedDocument
{
public:
    using Opener = std::function<bool(const QUrl &)>;

    /// The help's contents page, a help page, and the manual, inside a program's folder.
    static QString helpIndex(const QString &folder);
    static QString helpPage(const QString &folder, const QString &page);
    static QString manual(const QString &folder);

    /// Opens the file; false (after the message) when it is missing or could not be opened.
    static bool open(const QString &path, QWidget *parent, const Opener &opener);
};
