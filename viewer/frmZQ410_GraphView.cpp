#include "frmZQ410_GraphView.h"

#include "AlarmChartMarks.h"
#include "AnalysisBar.h"
#include "ChartCursors.h"
#include "FolderPicker.h"
#include "FrmScreenCapture.h"
#include "GradientLabel.h"
#include "GraphSetupPanel.h"
#include "NumberEdit.h"
#include "NumberText.h"
#include "PrintMarginPanel.h"
#include "PrintPage.h"
#include "TextFile.h"
#include "TrendChart.h"
#include "TrendFile.h"
#include "TrendFileList.h"
#include "TrendLoader.h"
#include "Version.h"
#include "ViewerAlarmBanner.h"
#include "WindowCall.h"
#include "WorkbookExport.h"
#include "YRangeBoxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>

namespace {

const QColor ButtonBlue(192, 192, 255);
/// The help's page on this window.
const QString HelpPage = QStringLiteral("12-viewer.html");

} // namespace

frmZQ410_GraphView::frmZQ410_GraphView(const QString &programFolder,
                                       const QString &defaultDataFolder, QWidget *parent)
    : QMainWindow(parent), m_settings(programFolder), m_programFolder(programFolder),
      m_defaultDataFolder(defaultDataFolder),
      m_documentFolder(QCoreApplication::applicationDirPath()),
      m_openDocument([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setWindowTitle(QStringLiteral("ZQ410 - Graph Viwer %1").arg(QLatin1String(Version::Caption)));
    auto *central = new QWidget(this);
    central->setFixedSize(1016, 735);
    setCentralWidget(central);
    buildChart();
    buildTopRow();
    m_setup = new GraphSetupPanel(*ChartFX1, m_settings, central);
    m_setup->setGeometry(248, 40, 761, 133);
    connect(m_setup, &GraphSetupPanel::yAxisEditToggled, this, [this](bool on) {
        m_yRange->setShown(on);
        placeAnalysisBar();
    });
    connect(m_setup, &GraphSetupPanel::notSaved, this, &frmZQ410_GraphView::showNotSaved);
    connect(&m_setup->margins(), &PrintMarginPanel::printRequested, this,
            &frmZQ410_GraphView::printChart);
    buildAnalysisBar();
    buildAlarmBanner();
    buildExport();
    nameControls();
    m_loader = new TrendLoader(central);
    connect(m_loader, &TrendLoader::finished, this, &frmZQ410_GraphView::finishLoading);
    // The shown file grows while the monitor records it; new trend files join the list.
    // Alarms the monitor journals meanwhile are marked as their records come in.
    connect(&m_follower, &TrendFileFollower::appended, this, [this](qsizetype count) {
        ChartFX1->samplesAppended(count);
        ChartFX1->setEventMarks(AlarmChartMarks::forTrendFile(m_loadingPath, ChartFX1->data()));
    });
    connect(&m_follower, &TrendFileFollower::replaced, this, [this] {
        if (!isLoading())
            startLoading(m_loadingPath);
    });
    startUp();
    adjustSize();
}

frmZQ410_GraphView::~frmZQ410_GraphView()
{
    m_setup->margins().finishEditing();
    // A load or an export still running finishes first; its result is dropped.
}

void frmZQ410_GraphView::buildTopRow()
{
    QWidget *central = centralWidget();
    m_files = new TrendFileList(*ChartFX1, central);
    m_files->setGeometry(8, 4, 233, 169);
    connect(m_files, &TrendFileList::fileSelected, this, [this](const QString &path) {
        if (!isLoading())
            startLoading(path);
    });
    connect(m_files, &TrendFileList::compareRequested, this, &frmZQ410_GraphView::compareWith);
    connect(m_files, &TrendFileList::endCompareRequested, this, &frmZQ410_GraphView::endCompare);

    auto *label5 = new QLabel(QStringLiteral("데이터 저장 위치 "), central);
    label5->setGeometry(252, 12, 104, 22);
    lblFolder = new GradientLabel(m_defaultDataFolder, central);
    lblFolder->setGeometry(356, 12, 305, 22);
    lblFolder->setColors(Qt::white, Qt::white);
    lblFolder->setFrameShape(QFrame::Box);
    lblFolder->setCursor(Qt::PointingHandCursor);
    connect(lblFolder, &GradientLabel::clicked, this, &frmZQ410_GraphView::pickFolder);

    const struct
    {
        QPushButton **button;
        QString caption;
        int x;
        int width;
    } buttons[] = {{&Command2, QStringLiteral("?"), 668, 33},
                   {&Command1, QStringLiteral("현재 그래프 저장"), 704, 121},
                   {&btnToExcel, QStringLiteral("Excel"), 828, 81},
                   {&btnExit, QStringLiteral("&Close"), 912, 97}};
    for (const auto &b : buttons) {
        *b.button = new QPushButton(b.caption, central);
        (*b.button)->setGeometry(b.x, 8, b.width, 29);
        (*b.button)->setStyleSheet(QStringLiteral("background-color: %1;").arg(ButtonBlue.name()));
    }
    connect(Command1, &QPushButton::clicked, this,
            [this] { FrmScreenCapture::run(ChartFX1, this, m_chooseCaptureFile); });
    connect(btnToExcel, &QPushButton::clicked, this, &frmZQ410_GraphView::exportSelectedFile);
    connect(Command2, &QPushButton::clicked, this, &frmZQ410_GraphView::openHelp);
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);
}

void frmZQ410_GraphView::buildChart()
{
    QWidget *central = centralWidget();
    ChartFX1 = new TrendChart(central);
    ChartFX1->setGeometry(8, 182, 1001, 545);
    // The range boxes stand in the chart's legend row, left of the legend: "min ~ max", clear of
    // the axes, their labels and the scroll bar.
    m_yRange = new YRangeBoxes(*ChartFX1, central);
}

void frmZQ410_GraphView::buildAnalysisBar()
{
    m_analysis = new AnalysisBar(ChartFX1, centralWidget());
    placeAnalysisBar();
    connect(m_analysis, &AnalysisBar::rangeExportRequested, this, &frmZQ410_GraphView::exportRange);
    connect(m_analysis, &AnalysisBar::endCompareRequested, this, &frmZQ410_GraphView::endCompare);
}

/// In the chart's legend row, right of the range boxes while they are shown; the alarm banner
/// after it, up to the legend.
void frmZQ410_GraphView::placeAnalysisBar()
{
    const int x = m_yRange->isShown() ? m_yRange->right() + 12 : 12;
    m_analysis->move(x, 185);
    m_analysis->raise();
    if (!lblAlarm)
        return;
    const int left = m_analysis->geometry().right() + 12;
    lblAlarm->setGeometry(left, 185, std::max(0, AlarmBannerRight - left), 22);
}

/// The line's unacknowledged alarms, from the journal the monitor writes; a click brings the
/// monitor forward. The viewer answers the monitor's "그래프 뷰어" the same way.
void frmZQ410_GraphView::buildAlarmBanner()
{
    lblAlarm = new ViewerAlarmBanner(centralWidget());
    placeAnalysisBar();
    connect(lblAlarm, &ViewerAlarmBanner::clicked, this, [this] {
        if (!WindowCall::ask(QStringLiteral("ZQ410"), m_programFolder))
            postMessage(QStringLiteral("모니터(ZQ410)가 실행 중이 아닙니다. 경보는 모니터의 경보 "
                                       "목록에서 확인하십시오."));
    });
    new WindowCall(QStringLiteral("ZQ410_Graph"), m_programFolder, this);
}

/// The journal is written to the monitor's data folder; without a monitor beside the viewer,
/// the listed folder.
void frmZQ410_GraphView::watchJournal()
{
    const std::optional<QString> recorded = m_settings.MonitorDataFolder();
    lblAlarm->setFolder(recorded && QDir(*recorded).exists() ? *recorded : lblFolder->text());
}

/// The data folder from Folder.CFG; when the file names none or a folder that no longer exists,
/// the folder the monitor beside it records to, else the default folder (created when missing).
/// Then the chart's starting state.
void frmZQ410_GraphView::startUp()
{
    const std::optional<QString> configured = m_settings.ReadFolderConfig();
    if (configured)
        lblFolder->setText(*configured);
    if (!configured || lblFolder->text().isEmpty() || !QDir(lblFolder->text()).exists()) {
        const std::optional<QString> recorded = m_settings.MonitorDataFolder();
        if (recorded && QDir(*recorded).exists()) {
            lblFolder->setText(*recorded);
        } else {
            TextFile::ensureFolder(m_defaultDataFolder);
            lblFolder->setText(m_defaultDataFolder);
        }
    }
    m_files->showFolder(lblFolder->text());
    watchJournal();

    ApplySeriesNames();
    ShowEmptyChart();
    m_setup->startUp();
    ChartFX1->setReadoutEnabled(true);
}

void frmZQ410_GraphView::compareWith(const QString &path)
{
    if (isLoading())
        return;
    if (ChartFX1->data().isEmpty()) {
        showMessage(QStringLiteral("먼저 목록에서 파일을 골라 그린 다음, 비교할 파일을 "
                                   "Ctrl+클릭하십시오."));
        emit loadFinished(false);
        return;
    }
    startLoading(path, LoadTarget::Compared);
}

void frmZQ410_GraphView::endCompare()
{
    ChartFX1->clearComparison();
    m_comparePath.clear();
    m_analysis->showComparing(false);
    ApplySeriesNames();
}

void frmZQ410_GraphView::finishComparing(std::optional<TrendFileReader::Contents> contents)
{
    if (!contents || contents->samples.isEmpty()) {
        showMessage(
            QStringLiteral("비교할 파일을 열 수 없거나 기록이 없습니다.\n%1").arg(m_comparePath));
        emit loadFinished(false);
        return;
    }
    ChartFX1->setComparison(std::move(contents->samples), QFileInfo(m_comparePath).fileName());
    m_analysis->showComparing(true);
    ApplySeriesNames();
    emit loadFinished(true);
}

/// Reads the file in the background (TrendLoader).
void frmZQ410_GraphView::startLoading(const QString &path, LoadTarget target)
{
    m_loadTarget = target;
    if (target == LoadTarget::Compared) {
        m_comparePath = path;
    } else {
        m_follower.stop();
        m_loadingPath = path;
    }
    m_loader->start(path);
}

/// Hands the samples to the chart, or keeps the current chart and says why.
void frmZQ410_GraphView::finishLoading()
{
    std::optional<TrendFileReader::Contents> contents = m_loader->takeResult();
    if (m_loadTarget == LoadTarget::Compared) {
        finishComparing(std::move(contents));
        return;
    }
    if (!contents) {
        showMessage(QStringLiteral("파일을 열 수 없습니다.\n%1").arg(m_loadingPath));
        emit loadFinished(false);
        return;
    }
    const qsizetype untimed = contents->samples.untimedCount();
    const qsizetype lines = contents->samples.size();
    ChartFX1->setData(std::move(contents->samples));
    ChartFX1->setEventMarks(AlarmChartMarks::forTrendFile(m_loadingPath, ChartFX1->data()));
    m_follower.follow(m_loadingPath, contents->size, &ChartFX1->data());
    ApplySeriesNames();
    emit loadFinished(true);
    if (untimed > lines / 2)
        postMessage(QStringLiteral("이 파일의 기록 %1줄 중 %2줄은 시각을 읽을 수 없습니다. "
                                   "트렌드 파일이 아니거나 손상된 파일일 수 있습니다.\n%3")
                        .arg(lines)
                        .arg(untimed)
                        .arg(m_loadingPath));
}

bool frmZQ410_GraphView::isLoading() const
{
    return m_loader->isRunning();
}

bool frmZQ410_GraphView::LoadTrendFile(const QString &path)
{
    bool ok = false;
    QEventLoop wait;
    const auto connection =
        connect(this, &frmZQ410_GraphView::loadFinished, &wait, [&](bool result) {
            ok = result;
            wait.quit();
        });
    startLoading(path);
    wait.exec();
    disconnect(connection);
    return ok;
}

void frmZQ410_GraphView::showFile(const QString &path)
{
    const QFileInfo file(path);
    lblFolder->setText(QDir::toNativeSeparators(file.absolutePath()));
    m_files->showFolder(lblFolder->text());
    if (!m_files->select(file.fileName()))
        startLoading(file.absoluteFilePath()); // a trend file by another name
}

void frmZQ410_GraphView::pickFolder()
{
    FolderPicker picker(m_programFolder, m_programFolder, this);
    if (picker.exec() != QDialog::Accepted)
        return;
    // A Folder.CFG that cannot be written leaves the new folder in use for this run only.
    if (!m_settings.WriteFolderConfig(picker.folder()))
        showNotSaved(QStringLiteral("데이터 폴더"), m_settings.folderConfigPath());
    lblFolder->setText(picker.folder());
    m_files->showFolderSoon(picker.folder());
}

void frmZQ410_GraphView::openHelp()
{
    ShippedDocument::open(ShippedDocument::helpPage(m_documentFolder, HelpPage), this,
                          m_openDocument);
}

void frmZQ410_GraphView::ApplySeriesNames()
{
    ChartFX1->setLegendVisible(true);
    for (int s = 0; s < 3; ++s)
        ChartFX1->setSeriesName(s, TrendFile::seriesNames()[s]);
    ChartFX1->setTitle(TrendChart::Title::Left, QStringLiteral("온도(℃)"));
    ChartFX1->setTitle(TrendChart::Title::Bottom, ChartFX1->comparison()
                                                      ? QStringLiteral("경과 시간")
                                                      : QStringLiteral("시간"));
}

/// The chart before any file: no points, 300 places on the time axis.
void frmZQ410_GraphView::ShowEmptyChart()
{
    ChartFX1->setBackgroundColor(QApplication::palette().color(QPalette::Button));
    ChartFX1->setLegendBackgroundColor(Qt::white);
    ChartFX1->clear();
    ChartFX1->setXRange(0, 299);
    ChartFX1->setEmptyText(
        QStringLiteral("왼쪽 파일 목록에서 트렌드 파일을 고르면 여기에 그려집니다."));
}

/// Every control of the window itself carries its design name (the panels name theirs).
void frmZQ410_GraphView::nameControls()
{
    const std::pair<QObject *, const char *> named[] = {
        {lblFolder, "lblFolder"},   {Command2, "Command2"}, {Command1, "Command1"},
        {btnToExcel, "btnToExcel"}, {btnExit, "btnExit"},   {ChartFX1, "ChartFX1"},
    };
    for (const auto &[control, name] : named)
        control->setObjectName(QLatin1String(name));
}

/// The workbook export: its banner over the chart, the buttons resting while it runs.
void frmZQ410_GraphView::buildExport()
{
    m_export = new WorkbookExport(centralWidget());
    connect(m_export, &WorkbookExport::runningChanged, this, [this](bool running) {
        btnToExcel->setEnabled(!running);
        const ChartCursors &cursors = ChartFX1->cursors();
        m_analysis->rangeExportButton()->setEnabled(!running && cursors.cursor(ChartCursors::A) &&
                                                    cursors.cursor(ChartCursors::B));
    });
    connect(m_export, &WorkbookExport::message, this, &frmZQ410_GraphView::showMessage);
    connect(m_export, &WorkbookExport::finished, this, &frmZQ410_GraphView::exportFinished);
}

PrintPage::MarginsMm frmZQ410_GraphView::marginsMm() const
{
    return m_setup->margins().marginsMm();
}

bool frmZQ410_GraphView::printTo(QPrinter &printer)
{
    QStringList adjusted;
    const bool printed = PrintPage::print(*ChartFX1, printer, marginsMm(), &adjusted);
    if (printed && !adjusted.isEmpty()) {
        showMessage(QStringLiteral("용지에 맞지 않는 여백(%1)은 용지가 허용하는 값으로 바꾸어 "
                                   "인쇄했습니다.")
                        .arg(adjusted.join(QStringLiteral(", "))));
    }
    return printed;
}

/// The platform's print dialog chooses the printer (or a PDF file); a failure is reported.
void frmZQ410_GraphView::printChart()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printTo(printer))
        showMessage(QStringLiteral("인쇄하지 못했습니다. 프린터를 확인하십시오."));
}

bool frmZQ410_GraphView::isExporting() const
{
    return m_export->isRunning();
}

void frmZQ410_GraphView::setExportFolder(const QString &folder)
{
    m_export->setFolder(folder);
}

void frmZQ410_GraphView::setWorkbookOpener(std::function<bool(const QString &)> opener)
{
    m_export->setOpener(std::move(opener));
}

void frmZQ410_GraphView::exportSelectedFile()
{
    const QString path = m_files->selectedPath();
    if (path.isEmpty() || isExporting())
        return;
    m_export->start(path, std::nullopt, QString());
}

/// The workbook is named after the file and the records' times: "ZQ410_01 08.00.00-09.00.00",
/// dated when the file spans days ("ZQ410_01 03-02 12.00.00-03-03 11.59.59").
void frmZQ410_GraphView::exportRange(qsizetype first, qsizetype last)
{
    const TrendData &data = ChartFX1->data();
    if (isExporting() || m_loadingPath.isEmpty() || first < 0 || last > data.size() ||
        first >= last)
        return;
    const auto name = [&data](qsizetype index) {
        QString label = data.stamp(index);
        return label.replace(QLatin1Char(':'), QLatin1Char('.')).remove(QLatin1Char('/'));
    };
    m_export->start(m_loadingPath, TrendExport::Records{first, last},
                    QStringLiteral(" %1-%2").arg(name(first), name(last - 1)));
}

/// The setting applies to this run; the next start will not have it.
void frmZQ410_GraphView::showNotSaved(const QString &what, const QString &path)
{
    postMessage(QStringLiteral("%1을(를) 파일에 저장하지 못했습니다.\n%2\n지금은 바꾼 설정으로 "
                               "보여 주지만, 프로그램을 다시 시작하면 이전 설정으로 돌아갑니다.")
                    .arg(what, QDir::toNativeSeparators(path)));
}

/// A message that does not wait for its answer: for news from a load or a save while focus
/// moves, where a nested event loop has no place.
void frmZQ410_GraphView::postMessage(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("ZQ410_Graph"), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void frmZQ410_GraphView::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZQ410_Graph"), text, QMessageBox::Ok,
                    this);
    box.exec();
}
