#pragma once

#include "FrmScreenCapture.h"
#include "PrintPage.h"
#include "ShippedDocument.h"
#include "TrendExport.h"
#include "TrendFileFollower.h"
#include "ViewerSettings.h"

#include <QFutureWatcher>
#include <QMainWindow>
#include <QMarginsF>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

#include "TrendFileReader.h"

class AnalysisBar;
class GradientLabel;
class GraphSetupPanel;
class QPrinter;
class QPushButton;
class TrendChart;
class TrendFileList;
class TrendLoader;
class ViewerAlarmBanner;
class WorkbookExport;
class YRangeBoxes;

/// The trend viewer's window: the trend files of the data folder (TrendFileList), the chart of
/// the selected file, the chart's options (GraphSetupPanel, with the print margins), the
/// analysis bar; it loads files in the background and exports workbooks.
class frmZQ410_GraphView : public QMainWindow
{
    Q_OBJECT

public:
    /// Runs start-up: data folder, chart, colours, visibility. No file is loaded yet.
    frmZQ410_GraphView(const QString &programFolder, const QString &defaultDataFolder,
                       QWidget *parent = nullptr);
    ~frmZQ410_GraphView() override;

    /// Reads the file into the chart (as selecting it in the list does) and waits until it is
    /// drawn. False, with a message, when it cannot be opened.
    bool LoadTrendFile(const QString &path);
    /// Reads a second file and draws it over the shown one for comparison (as Ctrl+click or
    /// "비교" on the list does); loadFinished tells the outcome.
    void compareWith(const QString &path);
    /// Shows a file given from outside (opened from a file manager): its folder becomes the
    /// listed folder for this run (Folder.CFG is left as it is) and the file is selected and
    /// drawn.
    void showFile(const QString &path);
    bool isLoading() const;

    /// The margins of sprdMargin: top, bottom, left, right in millimetres.
    PrintPage::MarginsMm marginsMm() const;
    /// Prints the chart as it stands, landscape, inside the margins; margins the page cannot
    /// take are brought within it and the operator is told which. False when printing failed.
    bool printTo(QPrinter &printer);
    /// Exports the selected file to a new workbook in the export folder and opens it; nothing
    /// happens when no file is selected. Returns at once; exportFinished tells the outcome.
    void exportSelectedFile();
    /// Exports the records [first, last) of the shown file (the range between the cursors).
    void exportRange(qsizetype first, qsizetype last);
    bool isExporting() const;
    /// Where workbooks are written (a private folder made in the temporary folder at the first
    /// export) and how they are opened (the platform's default program); tests replace both.
    void setExportFolder(const QString &folder);
    void setWorkbookOpener(std::function<bool(const QString &)> opener);

    /// Where the help is looked for (beside the executable) and how it is opened (the
    /// platform's default program); tests replace both.
    void setDocumentFolder(const QString &folder) { m_documentFolder = folder; }
    void setDocumentOpener(ShippedDocument::Opener opener) { m_openDocument = std::move(opener); }
    /// How "현재 그래프 저장" asks for the picture's file (the save dialog); tests replace it.
    void setCaptureFileChooser(FrmScreenCapture::FileChooser chooser)
    {
        m_chooseCaptureFile = std::move(chooser);
    }

    /// Follows the shown file while it grows.
    const TrendFileFollower &follower() const { return m_follower; }

signals:
    /// A file has been read and handed to the chart (or could not be read).
    void loadFinished(bool ok);
    /// An export has ended; the workbook's path when it was written.
    void exportFinished(bool ok, const QString &workbook);

private:
    void buildTopRow();
    void buildChart();
    void buildExport();
    void nameControls();
    void printChart();
    void buildAnalysisBar();
    void placeAnalysisBar();
    void buildAlarmBanner();
    void watchJournal();
    void endCompare();
    void startUp();
    /// What a load is for: the shown file, or the file compared with it.
    enum class LoadTarget { Shown, Compared };
    void startLoading(const QString &path, LoadTarget target = LoadTarget::Shown);
    void finishComparing(std::optional<TrendFileReader::Contents> contents);
    void finishLoading();
    void pickFolder();
    void openHelp();

    void ApplySeriesNames();
    void ShowEmptyChart();
    void showNotSaved(const QString &what, const QString &path);
    void postMessage(const QString &text);
    void showMessage(const QString &text);

    ViewerSettings m_settings;
    QString m_programFolder;
    QString m_defaultDataFolder;
    QString m_loadingPath;
    LoadTarget m_loadTarget = LoadTarget::Shown;
    QString m_comparePath;
    TrendLoader *m_loader = nullptr;
    TrendFileFollower m_follower;
    TrendFileList *m_files = nullptr;
    GraphSetupPanel *m_setup = nullptr;
    GradientLabel *lblFolder = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *btnToExcel = nullptr;
    QPushButton *btnExit = nullptr;
    WorkbookExport *m_export = nullptr;
    YRangeBoxes *m_yRange = nullptr;
    TrendChart *ChartFX1 = nullptr;
    AnalysisBar *m_analysis = nullptr;
    /// The line's unacknowledged alarms, in the legend row up to this x.
    static constexpr int AlarmBannerRight = 745;
    ViewerAlarmBanner *lblAlarm = nullptr;

    QString m_documentFolder;
    ShippedDocument::Opener m_openDocument;
    FrmScreenCapture::FileChooser m_chooseCaptureFile = FrmScreenCapture::askFileName;
};
