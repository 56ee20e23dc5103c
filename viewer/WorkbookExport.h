#pragma once

#include "TrendExport.h"

#include <QFutureWatcher>
#include <QObject>
#include <functional>
#include <optional>

class GradientLabel;
class QWidget;

/// A trend file (or a range of its records) written to a new workbook in the background, a
/// banner with the progress over the window meanwhile ("lblMsg"), and the workbook opened with
/// the platform's default program when it is done.
class WorkbookExport : public QObject
{
    Q_OBJECT

public:
    /// The banner stands over `window`'s chart.
    explicit WorkbookExport(QWidget *window);
    /// A running export finishes first; its result is dropped.
    ~WorkbookExport() override;

    /// Where workbooks are written (a private folder made in the temporary folder at the first
    /// export) and how they are opened; tests replace both.
    void setFolder(const QString &folder) { m_folder = folder; }
    void setOpener(std::function<bool(const QString &)> opener) { m_open = std::move(opener); }

    /// Exports trendPath (only the records given, when given) to a workbook named after it with
    /// the suffix. Returns at once; finished tells the outcome.
    void start(const QString &trendPath, std::optional<TrendExport::Records> records,
               const QString &suffix);
    bool isRunning() const { return m_writer.isRunning(); }

signals:
    /// An export began or ended (before its outcome is told).
    void runningChanged(bool running);
    /// The export has ended; the workbook's path when it was written.
    void finished(bool ok, const QString &workbook);
    /// Something the operator must read (it went wrong, or the workbook cannot be opened).
    void message(const QString &text);

private:
    void finish();

    GradientLabel *lblMsg = nullptr;
    QFutureWatcher<TrendExport::Result> m_writer;
    QString m_folder;
    QString m_workbook;
    std::function<bool(const QString &)> m_open;
};
