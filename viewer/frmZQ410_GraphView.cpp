#include "frmZQ410_GraphView.h"

#include "AlarmChartMarks.h"
#include "AnalysisBar.h"
#include "ChartCursors.h"
#include "FolderPicker.h"
#include "FrmScreenCapture.h"
#include "GradientLabel.h"
#include "GridFile.h"
#include "NumberEdit.h"
#include "NumberText.h"
#include "PrintPage.h"
#include "TextFile.h"
#include "TrendChart.h"
#include "TrendFile.h"
#include "TrendFileReader.h"
#include "Version.h"
#include "ViewerAlarmBanner.h"
#include "WindowCall.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

/// The margin grid is small: four cells in a narrow frame.
constexpr int MarginGridPoints = 7;

const QColor ButtonBlue(192, 192, 255);
constexpr int RefreshDelayMs = 50;
constexpr int FolderPollMs = 5000;
/// The help's page on this window.
const QString HelpPage = QStringLiteral("12-viewer.html");
const QString ExportMessage =
    QStringLiteral("Excel로 데이터 전송 중... 이 메시지가 사라질 때까지 잠시 기다리세요.");

/// Margin cells: numbers shown with two decimals, edited in a number box.
class MarginDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &) const override
    {
        return QString::number(NumberText::leadingNumber(value.toString()), 'f', 2);
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override
    {
        auto *box = new QDoubleSpinBox(parent);
        box->setDecimals(2);
        box->setRange(-99999, 99999);
        box->setButtonSymbols(QAbstractSpinBox::NoButtons);
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QDoubleSpinBox *>(editor)->setValue(
            NumberText::leadingNumber(index.data().toString()));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        model->setData(index,
                       QString::number(static_cast<QDoubleSpinBox *>(editor)->value(), 'f', 2));
    }
};

QGroupBox *group(QWidget *parent, const QString &title, const QRect &geometry)
{
    auto *box = new QGroupBox(title, parent);
    box->setGeometry(geometry);
    return box;
}

QTableWidget *seriesGrid(QWidget *parent, const QRect &geometry)
{
    auto *grid = new QTableWidget(1, 3, parent);
    grid->setGeometry(geometry);
    grid->setHorizontalHeaderLabels(TrendFile::seriesNames());
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch); // no empty band below
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus); // clicks only: no current-cell highlight
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return grid;
}

} // namespace

frmZQ410_GraphView::frmZQ410_GraphView(const QString &programFolder,
                                       const QString &defaultDataFolder, QWidget *parent)
    : QMainWindow(parent), m_settings(programFolder), m_programFolder(programFolder),
      m_defaultDataFolder(defaultDataFolder), m_openWorkbook([](const QString &path) {
          return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
      }),
      m_documentFolder(QCoreApplication::applicationDirPath()),
      m_openDocument([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setWindowTitle(QStringLiteral("ZQ410 - Graph Viwer %1").arg(QLatin1String(Version::Caption)));
    auto *central = new QWidget(this);
    central->setFixedSize(1016, 735);
    setCentralWidget(central);
    buildTopRow();
    buildGraphSetup();
    buildChart();
    buildAnalysisBar();
    buildAlarmBanner();
    buildBanner();
    nameControls();
    tmrRefresh_List.setSingleShot(true);
    tmrRefresh_List.setInterval(RefreshDelayMs);
    connect(&tmrRefresh_List, &QTimer::timeout, this, &frmZQ410_GraphView::refreshList);
    connect(&m_loader, &QFutureWatcher<std::optional<TrendFileReader::Contents>>::finished, this,
            &frmZQ410_GraphView::finishLoading);
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
    connect(&m_folderWatch, &QFileSystemWatcher::directoryChanged, this,
            [this] { tmrRefresh_List.start(); });
    m_folderPoll.setInterval(FolderPollMs);
    connect(&m_folderPoll, &QTimer::timeout, this, &frmZQ410_GraphView::refreshList);
    connect(&m_exporter, &QFutureWatcher<TrendExport::Result>::finished, this,
            &frmZQ410_GraphView::finishExport);
    // The margins are stored when the grid loses the input focus.
    m_marginFocusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
            const auto inGrid = [this](QWidget *w) {
                return w && (w == sprdMargin || sprdMargin->isAncestorOf(w));
            };
            if (inGrid(old) && !inGrid(now))
                saveMargins();
        });
    startUp();
    adjustSize();
}

frmZQ410_GraphView::~frmZQ410_GraphView()
{
    // ~QWidget moves the focus away from the grid once this window is half gone: store the
    // margins now, while it is whole, and stop listening.
    disconnect(m_marginFocusWatch);
    QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == sprdMargin || sprdMargin->isAncestorOf(focus)))
        saveMargins();
    // A load or an export still running finishes first; its result is dropped.
    if (m_loader.isRunning())
        m_loader.waitForFinished();
    if (m_exporter.isRunning())
        m_exporter.waitForFinished();
}

void frmZQ410_GraphView::buildTopRow()
{
    QWidget *central = centralWidget();
    Frame6 = group(central, QStringLiteral("파일 목록"), {8, 4, 233, 169});
    File1 = new QListWidget(Frame6);
    File1->setGeometry(6, 20, 221, 143);
    // A selection loads the file; focus arriving in the list (which only moves its current
    // row) does not.
    connect(File1, &QListWidget::itemSelectionChanged, this, &frmZQ410_GraphView::onFileSelected);
    // Ctrl+click compares a file with the shown one; so does "비교" on the list's menu.
    File1->viewport()->installEventFilter(this);
    File1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(File1, &QWidget::customContextMenuRequested, this, &frmZQ410_GraphView::showListMenu);

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

void frmZQ410_GraphView::buildGraphSetup()
{
    QGroupBox *frame1 = group(centralWidget(), QStringLiteral("Graph Setup"), {248, 40, 761, 133});
    QGroupBox *frame3 = group(frame1, QStringLiteral("Graph"), {8, 18, 246, 108});
    chb3D = new QCheckBox(QStringLiteral("3D"), frame3);
    chb3D->setGeometry(8, 18, 60, 20);
    chb3D->setChecked(true);
    chbScroll = new QCheckBox(QStringLiteral("Scroll Bar"), frame3);
    chbScroll->setGeometry(64, 18, 96, 20);
    chbZoom = new QCheckBox(QStringLiteral("Zoom"), frame3);
    chbZoom->setGeometry(166, 18, 72, 20);
    chbZoom->setChecked(true);
    sprdColor_Graph = seriesGrid(frame3, {8, 44, 230, 56});
    for (int c = 0; c < 3; ++c)
        sprdColor_Graph->setItem(0, c, new QTableWidgetItem());
    connect(sprdColor_Graph, &QTableWidget::cellClicked, this,
            [this](int, int column) { chooseSeriesColor(column); });

    sprdUseItem = seriesGrid(frame1, {262, 26, 170, 56});
    for (int c = 0; c < 3; ++c) {
        auto *item = new QTableWidgetItem();
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        sprdUseItem->setItem(0, c, item);
    }
    connect(sprdUseItem, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem *item) { onUseItemChanged(item->column()); });

    QGroupBox *frame4 = group(frame1, QStringLiteral("Border"), {440, 18, 100, 52});
    chbBorder = new QCheckBox(QStringLiteral("사용"), frame4);
    chbBorder->setGeometry(8, 22, 60, 20);
    lblColor_Border = new GradientLabel(QString(), frame4);
    lblColor_Border->setGeometry(64, 22, 28, 20);
    lblColor_Border->setFrameShape(QFrame::Box);
    connect(chbBorder, &QCheckBox::clicked, this, [this](bool on) {
        ChartFX1->setBorderVisible(on);
        lblColor_Border->setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    });
    connect(lblColor_Border, &GradientLabel::clicked, this, &frmZQ410_GraphView::chooseBorderColor);

    QGroupBox *frame5 = group(frame1, QStringLiteral("Thick"), {548, 18, 60, 52});
    cmbThick = new QComboBox(frame5);
    cmbThick->addItems({QStringLiteral("1"), QStringLiteral("2")});
    cmbThick->setGeometry(6, 20, 48, 24);
    QGroupBox *frame8 = group(frame1, QStringLiteral("Y축"), {440, 74, 100, 52});
    chbYaxis = new QCheckBox(QStringLiteral("수정"), frame8);
    chbYaxis->setGeometry(8, 22, 80, 20);
    QGroupBox *frame7 = group(frame1, QStringLiteral("Title"), {262, 84, 170, 44});
    txtG_Title = new QLineEdit(frame7);
    txtG_Title->setGeometry(6, 16, 158, 22);
    QFont bold = txtG_Title->font();
    bold.setBold(true);
    txtG_Title->setFont(bold);
    buildPrintFrame(frame1);
}

void frmZQ410_GraphView::buildPrintFrame(QWidget *frame1)
{
    QGroupBox *frame2 = group(frame1, QStringLiteral("Print && Margin (mm)"), {616, 18, 138, 108});
    sprdMargin = new QTableWidget(1, 4, frame2);
    sprdMargin->setGeometry(3, 18, 132, 50);
    sprdMargin->setHorizontalHeaderLabels({QStringLiteral("Top"), QStringLiteral("Bottom"),
                                           QStringLiteral("Left"), QStringLiteral("Right")});
    sprdMargin->verticalHeader()->hide();
    sprdMargin->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdMargin->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sprdMargin->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont small = sprdMargin->font();
    small.setPointSize(MarginGridPoints);
    sprdMargin->setFont(small);
    sprdMargin->horizontalHeader()->setFont(small);
    // Four narrow columns: headers without padding, numbers shown whole rather than elided.
    sprdMargin->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { padding: 0px; }"));
    sprdMargin->setTextElideMode(Qt::ElideNone);
    sprdMargin->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int c = 0; c < 4; ++c)
        sprdMargin->setItem(0, c, new QTableWidgetItem(QStringLiteral("0.00")));
    sprdMargin->setItemDelegate(new MarginDelegate(sprdMargin));
    btnPrint = new QPushButton(QStringLiteral("&Print"), frame2);
    btnPrint->setGeometry(6, 72, 126, 28);
    btnPrint->setStyleSheet(QStringLiteral("background-color: rgb(255, 192, 255);"));
    connect(btnPrint, &QPushButton::clicked, this, &frmZQ410_GraphView::printChart);
}

void frmZQ410_GraphView::buildChart()
{
    QWidget *central = centralWidget();
    ChartFX1 = new TrendChart(central);
    ChartFX1->setGeometry(8, 182, 1001, 545);
    // The range boxes stand in the chart's legend row, left of the legend: "min ~ max", clear of
    // the axes, their labels and the scroll bar.
    txtYMin = new NumberEdit(central);
    txtYMin->setGeometry(12, 186, 56, 22);
    txtYMin->setToolTip(QStringLiteral("Y축 최소값"));
    txtYMin->hide();
    lblYRange = new QLabel(QStringLiteral("~"), central);
    lblYRange->setGeometry(70, 186, 12, 22);
    lblYRange->setAlignment(Qt::AlignCenter);
    lblYRange->hide();
    txtYMax = new NumberEdit(central);
    txtYMax->setGeometry(84, 186, 56, 22);
    txtYMax->setToolTip(QStringLiteral("Y축 최대값"));
    txtYMax->hide();
    progress = new QProgressBar(central);
    progress->setGeometry(308, 430, 400, 24);
    progress->setRange(0, 100);
    progress->hide();

    connect(chb3D, &QCheckBox::clicked, ChartFX1, &TrendChart::set3D);
    // The scroll bar box flips the chart's own setting.
    connect(chbScroll, &QCheckBox::clicked, this,
            [this] { ChartFX1->setScrollBarVisible(!ChartFX1->isScrollBarVisible()); });
    connect(chbZoom, &QCheckBox::clicked, ChartFX1, &TrendChart::setZoomEnabled);
    connect(cmbThick, &QComboBox::activated, this,
            [this](int index) { ChartFX1->setLineWidth(cmbThick->itemText(index).toInt()); });
    connect(chbYaxis, &QCheckBox::clicked, this, [this](bool on) {
        showYRangeBoxes(on);
        placeAnalysisBar();
    });
    connect(ChartFX1, &TrendChart::valueRangeChanged, this, &frmZQ410_GraphView::showYRange);
    connect(txtYMax, &QLineEdit::editingFinished, this, &frmZQ410_GraphView::commitYRange);
    connect(txtYMin, &QLineEdit::editingFinished, this, &frmZQ410_GraphView::commitYRange);
    connect(txtG_Title, &QLineEdit::editingFinished, this,
            [this] { ChartFX1->setTitle(TrendChart::Title::Top, txtG_Title->text()); });
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
    const int x = chbYaxis->isChecked() ? txtYMax->geometry().right() + 12 : 12;
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
    pointListAt(lblFolder->text());
    watchJournal();

    ApplySeriesNames();
    ShowEmptyChart();
    if (!m_settings.LoadSeriesColors([this](int series, const QColor &color) {
            setCellColor(series, color);
            ChartFX1->setSeriesColor(series, cellColor(series));
        }))
        ReadSeriesColorsFromChart();
    ShowBorderColor();
    loadMargins();
    applyVisibility(m_settings.LoadUseItems().value_or(std::array<bool, 3>{true, true, true}));
    ChartFX1->set3D(chb3D->isChecked());
    ChartFX1->setZoomEnabled(true);
    ChartFX1->setReadoutEnabled(true);
}

/// The "*.DAT" files of the folder, matched without regard to case, by name. The selected file
/// stays selected (and is not read again) when it is still there.
void frmZQ410_GraphView::pointListAt(const QString &folder)
{
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.DAT")});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    const QStringList names = dir.entryList();
    QStringList shown;
    for (int i = 0; i < File1->count(); ++i)
        shown << File1->item(i)->text();
    if (folder == m_listFolder && names == shown)
        return;
    const QList<QListWidgetItem *> selected = File1->selectedItems();
    const QString selectedName =
        folder == m_listFolder && !selected.isEmpty() ? selected.first()->text() : QString();
    if (folder != m_listFolder)
        watchFolder(folder);
    m_listFolder = folder;
    const QSignalBlocker blocker(File1);
    File1->clear();
    File1->addItems(names);
    const QList<QListWidgetItem *> again = File1->findItems(selectedName, Qt::MatchExactly);
    if (!selectedName.isEmpty() && !again.isEmpty())
        again.first()->setSelected(true);
}

void frmZQ410_GraphView::watchFolder(const QString &folder)
{
    if (!m_folderWatch.directories().isEmpty())
        m_folderWatch.removePaths(m_folderWatch.directories());
    if (QDir(folder).exists())
        m_folderWatch.addPath(folder);
    m_folderPoll.start();
}

void frmZQ410_GraphView::refreshList()
{
    tmrRefresh_List.stop();
    pointListAt(lblFolder->text());
}

/// Ctrl+click on a file compares it with the shown one and leaves the selection as it is.
bool frmZQ410_GraphView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == File1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        QListWidgetItem *item = File1->itemAt(mouse->position().toPoint());
        if (item && mouse->button() == Qt::LeftButton &&
            mouse->modifiers().testFlag(Qt::ControlModifier)) {
            compareWith(QDir(m_listFolder).filePath(item->text()));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmZQ410_GraphView::showListMenu(const QPoint &at)
{
    QListWidgetItem *item = File1->itemAt(at);
    QMenu menu(this);
    QAction *compare = menu.addAction(QStringLiteral("비교"));
    compare->setEnabled(item && !ChartFX1->data().isEmpty());
    QAction *end = menu.addAction(QStringLiteral("비교 끝"));
    end->setEnabled(ChartFX1->comparison() != nullptr);
    QAction *chosen = menu.exec(File1->viewport()->mapToGlobal(at));
    if (chosen == compare && item)
        compareWith(QDir(m_listFolder).filePath(item->text()));
    else if (chosen == end)
        endCompare();
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

void frmZQ410_GraphView::onFileSelected()
{
    const QList<QListWidgetItem *> selected = File1->selectedItems();
    if (selected.isEmpty() || isLoading())
        return;
    startLoading(QDir(m_listFolder).filePath(selected.first()->text()));
}

/// Reads the file in the background; the window is disabled and shows the progress meanwhile.
void frmZQ410_GraphView::startLoading(const QString &path, LoadTarget target)
{
    m_loadTarget = target;
    if (target == LoadTarget::Compared) {
        m_comparePath = path;
    } else {
        m_follower.stop();
        m_loadingPath = path;
    }
    // Disabling the window takes the focus away; it goes back where the operator left it.
    m_focusBeforeLoad = QApplication::focusWidget();
    centralWidget()->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    progress->setValue(0);
    progress->show();
    progress->raise();
    QPointer<QProgressBar> bar(progress);
    m_loader.setFuture(QtConcurrent::run([path, bar] {
        return TrendFileReader::read(path, [bar](double share) {
            QMetaObject::invokeMethod(bar, [bar, share] {
                if (bar)
                    bar->setValue(int(share * 100));
            });
        });
    }));
}

/// Hands the samples to the chart, or keeps the current chart and says why.
void frmZQ410_GraphView::finishLoading()
{
    std::optional<TrendFileReader::Contents> contents = m_loader.future().takeResult();
    progress->hide();
    QApplication::restoreOverrideCursor();
    centralWidget()->setEnabled(true);
    if (m_focusBeforeLoad)
        m_focusBeforeLoad->setFocus(Qt::OtherFocusReason);
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
    pointListAt(lblFolder->text());
    const QList<QListWidgetItem *> items = File1->findItems(file.fileName(), Qt::MatchExactly);
    if (items.isEmpty())
        startLoading(file.absoluteFilePath()); // a trend file by another name
    else
        File1->setCurrentItem(items.first());
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
    tmrRefresh_List.start();
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

void frmZQ410_GraphView::ReadSeriesColorsFromChart()
{
    for (int s = 0; s < 3; ++s)
        setCellColor(s, ChartFX1->seriesColor(s));
}

void frmZQ410_GraphView::ShowBorderColor()
{
    lblColor_Border->setColors(ChartFX1->borderColor(), ChartFX1->borderColor());
}

void frmZQ410_GraphView::setCellColor(int series, const QColor &color)
{
    sprdColor_Graph->item(0, series)->setBackground(color);
}

QColor frmZQ410_GraphView::cellColor(int series) const
{
    return sprdColor_Graph->item(0, series)->background().color();
}

void frmZQ410_GraphView::chooseSeriesColor(int column)
{
    if (column < 0 || column > 2)
        return;
    const QColor chosen = QColorDialog::getColor(cellColor(column), this);
    if (!chosen.isValid())
        return;
    setCellColor(column, chosen);
    ChartFX1->setSeriesColor(column, chosen);
    if (!m_settings.SaveSeriesColors({cellColor(0), cellColor(1), cellColor(2)}))
        showNotSaved(QStringLiteral("그래프 색상"), m_settings.colorConfigPath());
}

/// The grid is saved with its new state first, then the series follows it.
void frmZQ410_GraphView::onUseItemChanged(int column)
{
    std::array<bool, 3> shown{};
    for (int c = 0; c < 3; ++c)
        shown[c] = sprdUseItem->item(0, c)->checkState() == Qt::Checked;
    if (!m_settings.SaveUseItems(shown))
        showNotSaved(QStringLiteral("표시 항목"), m_settings.useItemPath());
    ChartFX1->setSeriesVisible(column, shown[column]);
}

void frmZQ410_GraphView::applyVisibility(const std::array<bool, 3> &shown)
{
    const QSignalBlocker blocker(sprdUseItem);
    for (int c = 0; c < 3; ++c) {
        sprdUseItem->item(0, c)->setCheckState(shown[c] ? Qt::Checked : Qt::Unchecked);
        ChartFX1->setSeriesVisible(c, shown[c]);
    }
}

void frmZQ410_GraphView::chooseBorderColor()
{
    if (!chbBorder->isChecked())
        return;
    const QColor chosen = QColorDialog::getColor(ChartFX1->borderColor(), this);
    if (!chosen.isValid())
        return;
    ChartFX1->setBorderColor(chosen);
    ShowBorderColor();
}

/// Each box sets its end of the value axis; the other end stays as it is.
/// The boxes open on the range in force. Closing them hands the axis back to the data.
void frmZQ410_GraphView::showYRangeBoxes(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{txtYMin, lblYRange, txtYMax})
        w->setVisible(on);
    if (on)
        showYRange(ChartFX1->yMin(), ChartFX1->yMax());
    else
        ChartFX1->setYAutomatic();
}

/// The boxes follow the range in force, except one the operator is typing in.
void frmZQ410_GraphView::showYRange(double min, double max)
{
    const auto text = [](double v) {
        return QString::number(v, 'g', 6);
    };
    if (!txtYMin->hasFocus())
        txtYMin->setText(text(min));
    if (!txtYMax->hasFocus())
        txtYMax->setText(text(max));
}

void frmZQ410_GraphView::commitYRange()
{
    const double max = NumberText::leadingNumber(txtYMax->text());
    const double min = NumberText::leadingNumber(txtYMin->text());
    if (sender() == txtYMax)
        ChartFX1->setYRange(ChartFX1->yMin(), max);
    else
        ChartFX1->setYRange(min, ChartFX1->yMax());
}

/// Every control carries its design name.
void frmZQ410_GraphView::nameControls()
{
    const std::pair<QObject *, const char *> named[] = {
        {Frame6, "Frame6"},
        {File1, "File1"},
        {lblFolder, "lblFolder"},
        {Command2, "Command2"},
        {Command1, "Command1"},
        {btnToExcel, "btnToExcel"},
        {btnExit, "btnExit"},
        {chb3D, "chb3D"},
        {chbScroll, "chbScroll"},
        {chbZoom, "chbZoom"},
        {sprdColor_Graph, "sprdColor_Graph"},
        {sprdUseItem, "sprdUseItem"},
        {chbBorder, "chbBorder"},
        {lblColor_Border, "lblColor_Border"},
        {cmbThick, "cmbThick"},
        {chbYaxis, "chbYaxis"},
        {sprdMargin, "sprdMargin"},
        {btnPrint, "btnPrint"},
        {lblMsg, "lblMsg"},
        {txtG_Title, "txtG_Title"},
        {txtYMax, "txtYMax"},
        {txtYMin, "txtYMin"},
        {lblYRange, "lblYRange"},
        {ChartFX1, "ChartFX1"},
        {progress, "progress"},
    };
    for (const auto &[control, name] : named)
        control->setObjectName(QLatin1String(name));
}

void frmZQ410_GraphView::buildBanner()
{
    lblMsg = new GradientLabel(ExportMessage, centralWidget());
    lblMsg->setGeometry(240, 420, 537, 49);
    lblMsg->setHorizontal(true);
    lblMsg->setColors(QColor(255, 255, 192), QColor(255, 0, 255));
    lblMsg->setTextColor(QColor(0, 0, 255));
    lblMsg->setAlignment(Qt::AlignCenter);
    lblMsg->setWordWrap(true);
    QFont bold = lblMsg->font();
    bold.setBold(true);
    lblMsg->setFont(bold);
    lblMsg->hide();
}

PrintPage::MarginsMm frmZQ410_GraphView::marginsMm() const
{
    PrintPage::MarginsMm margins{};
    for (int c = 0; c < 4; ++c) {
        const QTableWidgetItem *item = sprdMargin->item(0, c);
        margins[c] = NumberText::leadingNumber(item ? item->text() : QString());
    }
    return margins;
}

void frmZQ410_GraphView::loadMargins()
{
    const auto margins = m_settings.LoadPrintMargins();
    if (!margins)
        return;
    for (int c = 0; c < 4; ++c)
        sprdMargin->item(0, c)->setText(margins->at(c));
}

/// The margins apply to this run even when they cannot be saved (which is said).
void frmZQ410_GraphView::saveMargins()
{
    std::array<QString, 4> values;
    for (int c = 0; c < 4; ++c)
        values[c] = sprdMargin->item(0, c)->text();
    if (!m_settings.SavePrintMargins(values))
        showNotSaved(QStringLiteral("인쇄 여백"), m_settings.marginPath());
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

void frmZQ410_GraphView::exportSelectedFile()
{
    const QList<QListWidgetItem *> selected = File1->selectedItems();
    if (selected.isEmpty() || isExporting())
        return;
    startExport(QDir(m_listFolder).filePath(selected.first()->text()), std::nullopt, QString());
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
    startExport(m_loadingPath, TrendExport::Records{first, last},
                QStringLiteral(" %1-%2").arg(name(first), name(last - 1)));
}

void frmZQ410_GraphView::startExport(const QString &trendPath,
                                     std::optional<TrendExport::Records> records,
                                     const QString &suffix)
{
    if (m_exportFolder.isEmpty())
        m_exportFolder = TrendExport::makePrivateFolder(); // once a run, at the first export
    if (m_exportFolder.isEmpty()) {
        showMessage(QStringLiteral("엑셀 파일을 만들 폴더를 임시 폴더에 만들 수 없습니다.\n%1")
                        .arg(QDir::toNativeSeparators(QDir::tempPath())));
        emit exportFinished(false, QString());
        return;
    }
    m_workbookPath = TrendExport::newWorkbookPath(m_exportFolder, trendPath, suffix);
    lblMsg->setText(ExportMessage);
    lblMsg->show();
    lblMsg->raise();
    btnToExcel->setEnabled(false);
    m_analysis->rangeExportButton()->setEnabled(false);
    QPointer<GradientLabel> banner(lblMsg);
    const QString workbook = m_workbookPath;
    m_exporter.setFuture(QtConcurrent::run([trendPath, workbook, banner, records] {
        return TrendExport::write(
            trendPath, workbook,
            [banner](double share) {
                QMetaObject::invokeMethod(banner, [banner, share] {
                    if (banner)
                        banner->setText(ExportMessage +
                                        QStringLiteral(" (%1%)").arg(int(share * 100)));
                });
            },
            TrendExport::SheetRowLimit, records);
    }));
}

/// Hides the banner and opens the workbook; one message box for whatever went wrong.
void frmZQ410_GraphView::finishExport()
{
    const TrendExport::Result result = m_exporter.result();
    lblMsg->hide();
    btnToExcel->setEnabled(true);
    const ChartCursors &cursors = ChartFX1->cursors();
    m_analysis->rangeExportButton()->setEnabled(cursors.cursor(ChartCursors::A) &&
                                                cursors.cursor(ChartCursors::B));
    if (!result.ok) {
        showMessage(result.error);
        emit exportFinished(false, QString());
        return;
    }
    if (!m_openWorkbook(m_workbookPath))
        showMessage(
            QStringLiteral("엑셀 파일을 열 프로그램이 없습니다. 파일은 여기에 있습니다:\n%1")
                .arg(m_workbookPath));
    emit exportFinished(true, m_workbookPath);
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
