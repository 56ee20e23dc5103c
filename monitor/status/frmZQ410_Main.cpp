#include "frmZQ410_Main.h"

#include "AlarmAnnouncer.h"
#include "AlarmBanner.h"
#include "AlarmEngine.h"
#include "CommIndicator.h"
#include "DevicePickerModel.h"
#include "DisplayTicker.h"
#include "GradientLabel.h"
#include "LiveTrend.h"
#include "MonitorSettings.h"
#include "MqttPublisher.h"
#include "MqttSettingsFile.h"
#include "MqttStatusLabel.h"
#include "Notice.h"
#include "PanelArtwork.h"
#include "PollingEngine.h"
#include "RegisterMap.h"
#include "StatusPanel.h"
#include "frmAbout.h"
#include "frmZQ410_AlarmList.h"
#include "frmZQ410_AlarmSettings.h"
#include "frmZQ410_ErrList.h"
#include "frmZQ410_Memory.h"
#include "frmZQ410_Mqtt.h"
#include "frmZQ410_PRMT.h"
#include "frmZQ410_RunMulti.h"
#include "frmZQ410_SetMulti.h"
#include "frmZQ410_SetPort.h"
#include "frmZQ410_Set_DSave.h"

#include "Version.h"
#include "WindowCall.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace {

constexpr int ClientWidth = 1016;
constexpr int CentralHeight = 690;
/// Room left between the last menu and the alarm banner.
constexpr int BannerGap = 16;
constexpr int DeviceNumberPointSize = 16;
constexpr int ConnectCheckPointSize = 14;
const QColor ButtonBlue(192, 192, 255);

} // namespace

frmZQ410_Main::frmZQ410_Main(PollingEngine &engine, MonitorSettings &settings,
                             DisplayTicker &ticker, AlarmEngine &alarms, MqttPublisher &publisher,
                             QWidget *parent)
    : QMainWindow(parent), m_engine(engine), m_settings(settings), m_ticker(ticker), m_alarms(alarms),
      m_publisher(publisher), m_documentFolder(QCoreApplication::applicationDirPath()),
      m_openDocument([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setWindowTitle(QStringLiteral("ZQ410 %1").arg(QLatin1String(Version::Caption)));
    auto *central = new QWidget(this);
    central->setFixedSize(ClientWidth, CentralHeight);
    setCentralWidget(central);

    Image1 = new PanelArtwork(central);
    Image1->setGeometry(288, 0, 440, 656);
    picRun = new StatusPanel(central);
    picRun->setGeometry(152, 0, 722, CentralHeight);
    m_liveTrend = new LiveTrend(m_engine, *picRun->chart(), this);
    m_liveTrend->setPeriod(picRun->displayPeriod());
    for (int series = 0; series < 3; ++series)
        m_liveTrend->setSeriesColor(series, picRun->swatchColor(series));
    connect(picRun, &StatusPanel::displayPeriodChanged, m_liveTrend, &LiveTrend::setPeriod);
    connect(picRun, &StatusPanel::swatchColorChanged, m_liveTrend, &LiveTrend::setSeriesColor);
    connect(&m_ticker, &DisplayTicker::tick, m_liveTrend, &LiveTrend::chartStep);
    connect(&m_ticker, &DisplayTicker::tick, this, &frmZQ410_Main::showStaleness);
    lblConnectChk = new QLabel(QStringLiteral("기기와의 연결상태 검사 중 ..."), central);
    lblConnectChk->setGeometry(152 + 116, 330, 465, 41);
    lblConnectChk->setAlignment(Qt::AlignCenter);
    lblConnectChk->setStyleSheet(
        QStringLiteral("background-color: rgb(255, 255, 192); color: rgb(0, 0, 128);"
                       "font-size: %1pt; font-weight: bold; border: 1px solid rgb(0, 0, 128);")
            .arg(ConnectCheckPointSize));

    buildMenus();
    buildCommandColumn();
    buildRightColumn();
    buildStatusBar();
    buildAlarmBanner();
    nameControls();
    connectEngine();

    // The core has read the settings files: show them; the window starts off line.
    showRecordingSettings();
    showPortSettings();
    picRun->hide();
    lblConnectChk->hide();
    SetOnlineControls(false);
    m_liveTrend->ResetChart();
    m_liveTrend->PrepareChart();
    adjustSize();
    // Mqtt.INI or Alarm.INI that cannot be used is said once at the start, naming the key; the
    // status bar keeps showing the broker's.
    QStringList problems;
    if (m_publisher.status().state == MqttState::SettingsError)
        problems.append(m_publisher.status().text());
    if (!m_alarms.settingsError().isEmpty())
        problems.append(m_alarms.settingsError());
    if (const QString warning = MqttSettingsFile(m_engine.programFolder()).passwordWarning();
        !warning.isEmpty())
        problems.append(warning);
    if (!problems.isEmpty())
        QTimer::singleShot(0, this, [this, problems] {
            Notice::post(this, problems.join(QStringLiteral("\n\n")));
        });
}

void frmZQ410_Main::buildMenus()
{
    mSet = menuBar()->addMenu(QStringLiteral("설정[&S]"));
    mSetMulti =
        mSet->addAction(QStringLiteral("멀티 설정[&M]"), this, &frmZQ410_Main::openDeviceList);
    mSetDSave =
        mSet->addAction(QStringLiteral("데이터저장 설정[&D]"), this, &frmZQ410_Main::openSetDSave);
    mSetMqtt = mSet->addAction(QStringLiteral("MQTT 설정[&Q]"), this, &frmZQ410_Main::openMqtt);
    mSetAlarm =
        mSet->addAction(QStringLiteral("경보 설정[&A]"), this, &frmZQ410_Main::openAlarmSettings);
    // In this menu, not 온라인: the alarms of a line that went away must stay reachable.
    mSetAlarmList =
        mSet->addAction(QStringLiteral("경보 목록[&L]"), this, &frmZQ410_Main::openAlarmList);
    mSet->addSeparator();
    mSetPort =
        mSet->addAction(QStringLiteral("통신포트 설정[&P]"), this, &frmZQ410_Main::openSetPort);
    mSetPortOpen = mSet->addAction(PortOpenCaption, this, &frmZQ410_Main::togglePort);
    mSetPortOpen->setShortcut(Qt::Key_F5);
    mSet->addSeparator();
    mSetExit = mSet->addAction(QStringLiteral("프로그램 종료[&X]"), this, &QWidget::close);

    mOnline = menuBar()->addMenu(QStringLiteral("온라인[&O]"));
    mOnlineMulti =
        mOnline->addAction(QStringLiteral("멀티운전[&M]"), this, &frmZQ410_Main::openOverview);
    mOnlineParameter = mOnline->addAction(QStringLiteral("파라메터 설정[&P]"), this,
                                          &frmZQ410_Main::openParameters);
    mOnline->addSeparator();
    mOnlineError =
        mOnline->addAction(QStringLiteral("에러 메시지[&E]"), this, &frmZQ410_Main::openErrors);

    mProgram = menuBar()->addMenu(QStringLiteral("프로그램[&P]"));
    mProgramMemory =
        mProgram->addAction(QStringLiteral("메모리 설정[&M]"), this, &frmZQ410_Main::openMemory);

    mHelp = menuBar()->addMenu(QStringLiteral("도우미[&H]"));
    mHelpAbout = mHelp->addAction(QStringLiteral("대하여[&A]"), this, &frmZQ410_Main::openAbout);
    mHelp->addSeparator();
    mHelpHelp = mHelp->addAction(QStringLiteral("도움말[&H]"), this, &frmZQ410_Main::openHelp);
    mHelpHelp->setShortcut(Qt::Key_F1);
    mHelpManual =
        mHelp->addAction(QStringLiteral("ZQ410 매뉴얼"), this, &frmZQ410_Main::openManual);
    mHelp->addSeparator();
    mHelpGraphView =
        mHelp->addAction(QStringLiteral("그래프 뷰어[&G]"), this, &frmZQ410_Main::openViewer);
    for (QMenu *menu : {mSet, mOnline, mProgram, mHelp})
        leaveRoomForShortcuts(menu);
}

/// The style sizes a menu for its longest text and its shortcut column, then draws every text
/// in the width left of that column, so the longest text without a shortcut came out cut
/// ("데이터저장…정"): the menu gets the column's width once more.
void frmZQ410_Main::leaveRoomForShortcuts(QMenu *menu)
{
    int column = 0;
    for (const QAction *action : menu->actions()) {
        if (!action->shortcut().isEmpty())
            column = std::max(column, menu->fontMetrics().horizontalAdvance(
                                          action->shortcut().toString(QKeySequence::NativeText)));
    }
    if (column > 0)
        menu->setMinimumWidth(menu->sizeHint().width() + column);
}

void frmZQ410_Main::buildCommandColumn()
{
    struct Entry
    {
        int index; // -1 for a heading
        QString caption;
        QAction *action;
    };
    const Entry entries[] = {
        {-1, QStringLiteral("설정"), nullptr},
        {2, QStringLiteral("멀티 설정"), mSetMulti},
        {3, QStringLiteral("데이터저장 설정"), mSetDSave},
        {0, QStringLiteral("통신포트 설정"), mSetPort},
        {1, QStringLiteral("통신포트 열기"), mSetPortOpen},
        {-1, QStringLiteral("온라인"), nullptr},
        {4, QStringLiteral("멀티운전"), mOnlineMulti},
        {5, QStringLiteral("파라메터 설정"), mOnlineParameter},
        {6, QStringLiteral("에러 메시지"), mOnlineError},
        {-1, QStringLiteral("프로그램"), nullptr},
        {7, QStringLiteral("메모리 설정"), mProgramMemory},
        {-1, QStringLiteral("도우미"), nullptr},
        {8, QStringLiteral("대하여"), mHelpAbout},
        {9, QStringLiteral("도움말"), mHelpHelp},
        {12, QStringLiteral("매뉴얼"), mHelpManual},
        {10, QStringLiteral("그래프 뷰어"), mHelpGraphView},
    };
    int y = 8;
    for (const Entry &entry : entries) {
        if (entry.index < 0) {
            auto *heading = new GradientLabel(entry.caption, centralWidget());
            heading->setGeometry(8, y + (y > 8 ? 8 : 0), 113, 22);
            y += (y > 8 ? 8 : 0) + 26;
            continue;
        }
        auto *button = new QPushButton(entry.caption, centralWidget());
        button->setObjectName(QStringLiteral("btnMenu_%1").arg(entry.index));
        button->setGeometry(24, y, 121, 25);
        button->setStyleSheet(QStringLiteral("background-color: %1;").arg(ButtonBlue.name()));
        button->setEnabled(entry.action->isEnabled());
        connect(button, &QPushButton::clicked, entry.action, &QAction::trigger);
        btnMenu[entry.index] = button;
        y += 29;
    }
}

void frmZQ410_Main::buildRightColumn()
{
    QWidget *central = centralWidget();
    picCommSTS = new CommIndicator(central);
    picCommSTS->move(880, 0);

    auto *picker = new QGroupBox(QStringLiteral("편집 기기번호"), central);
    picker->setGeometry(880, 72, 129, 377);
    lblMC_No = new QLabel(picker);
    lblMC_No->setGeometry(8, 20, 113, 33);
    lblMC_No->setAlignment(Qt::AlignCenter);
    lblMC_No->setToolTip(QStringLiteral("기기번호 선택"));
    // Font and colour by palette: a style sheet would also dress the label's tooltip.
    QFont numberFont = lblMC_No->font();
    numberFont.setPointSize(DeviceNumberPointSize);
    numberFont.setBold(true);
    lblMC_No->setFont(numberFont);
    QPalette numberPalette = lblMC_No->palette();
    numberPalette.setColor(QPalette::WindowText, Qt::red);
    lblMC_No->setPalette(numberPalette);
    sprdStatus = new QTableView(picker);
    auto *pickerModel = new DevicePickerModel(m_engine.table(), sprdStatus);
    pickerModel->showAlarms(m_alarms);
    sprdStatus->setModel(pickerModel);
    sprdStatus->setGeometry(4, 58, 121, 313);
    sprdStatus->verticalHeader()->hide();
    sprdStatus->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdStatus->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprdStatus->setSelectionMode(QAbstractItemView::NoSelection);
    connect(sprdStatus, &QTableView::clicked, this,
            [this](const QModelIndex &index) { selectDevice(index.row()); });

    auto *recording = new QGroupBox(QStringLiteral("데이터 저장"), central);
    recording->setGeometry(880, 456, 129, 145);
    auto *enableCaption = new QLabel(QStringLiteral("저장 여부"), recording);
    enableCaption->setGeometry(8, 24, 113, 20);
    lblDSave_Enable = new QLabel(recording);
    lblDSave_Enable->setGeometry(8, 46, 113, 24);
    auto *intervalCaption = new QLabel(QStringLiteral("저장 주기"), recording);
    intervalCaption->setGeometry(8, 78, 113, 20);
    lblDSave_Intv = new QLabel(recording);
    lblDSave_Intv->setGeometry(8, 100, 60, 24);
    lblDSave_Unit = new QLabel(recording);
    lblDSave_Unit->setGeometry(72, 100, 49, 24);
    lblDSave_Fault = new QLabel(recording);
    lblDSave_Fault->setGeometry(4, 122, 121, 20);
    lblDSave_Fault->setAlignment(Qt::AlignCenter);
    QPalette alarm = lblDSave_Fault->palette();
    alarm.setColor(QPalette::Window, QColor(255, 0, 0));
    alarm.setColor(QPalette::WindowText, Qt::white);
    lblDSave_Fault->setPalette(alarm);
    lblDSave_Fault->setAutoFillBackground(true);
    lblDSave_Fault->hide();
    connect(&m_ticker, &DisplayTicker::recordingFaultChanged, this,
            &frmZQ410_Main::showRecordingFault);
}

/// Records that cannot be written (a full disk, an unwritable data folder) are lost; the panel
/// says since when, until a record lands again.
void frmZQ410_Main::showRecordingFault(const QDateTime &missedSince)
{
    lblDSave_Fault->setVisible(missedSince.isValid());
    if (!missedSince.isValid())
        return;
    lblDSave_Fault->setText(
        QStringLiteral("기록 실패 %1~").arg(missedSince.toString(QStringLiteral("HH:mm:ss"))));
    lblDSave_Fault->setToolTip(
        QStringLiteral("%1부터 트렌드 파일에 기록하지 못하고 있습니다. 디스크 공간과 데이터 "
                       "폴더의 쓰기 권한을 확인하십시오.\n%2")
            .arg(missedSince.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 QDir::toNativeSeparators(m_engine.state().recording.DataFolder)));
}

void frmZQ410_Main::buildStatusBar()
{
    const QString texts[5] = {QStringLiteral("통신포트"), QStringLiteral("통신포트 설정값"),
                              QStringLiteral("CLOSE"), QStringLiteral("메시지"),
                              QStringLiteral("프로토콜")};
    for (int i = 0; i < 5; ++i) {
        StatusBar1[i] = new QLabel(texts[i]);
        StatusBar1[i]->setFrameShape(QFrame::Panel);
        StatusBar1[i]->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(StatusBar1[i], 1);
    }
    lblMqtt = new MqttStatusLabel(MqttStatusLabel::Form::Compact);
    lblMqtt->setFrameShape(QFrame::Panel);
    lblMqtt->setFrameShadow(QFrame::Sunken);
    statusBar()->addPermanentWidget(lblMqtt);
    lblMqtt->showStatus(m_publisher.status());
    connect(&m_publisher, &MqttPublisher::statusChanged, lblMqtt, &MqttStatusLabel::showStatus);
    statusBar()->setSizeGripEnabled(false);
}

/// Every control carries its design name; members of an array carry it with _index.
void frmZQ410_Main::nameControls()
{
    const std::pair<QObject *, const char *> named[] = {
        {mSet, "mSet"},
        {mOnline, "mOnline"},
        {mProgram, "mProgram"},
        {mHelp, "mHelp"},
        {mSetMulti, "mSetMulti"},
        {mSetDSave, "mSetDSave"},
        {mSetMqtt, "mSetMqtt"},
        {mSetAlarm, "mSetAlarm"},
        {mSetAlarmList, "mSetAlarmList"},
        {mSetPort, "mSetPort"},
        {mSetPortOpen, "mSetPortOpen"},
        {mSetExit, "mSetExit"},
        {mOnlineMulti, "mOnlineMulti"},
        {mOnlineParameter, "mOnlineParameter"},
        {mOnlineError, "mOnlineError"},
        {mProgramMemory, "mProgramMemory"},
        {mHelpAbout, "mHelpAbout"},
        {mHelpHelp, "mHelpHelp"},
        {mHelpManual, "mHelpManual"},
        {mHelpGraphView, "mHelpGraphView"},
        {picRun, "picRun"},
        {Image1, "Image1"},
        {lblConnectChk, "lblConnectChk"},
        {picCommSTS, "picCommSTS"},
        {lblMC_No, "lblMC_No"},
        {sprdStatus, "sprdStatus"},
        {lblDSave_Enable, "lblDSave_Enable"},
        {lblDSave_Intv, "lblDSave_Intv"},
        {lblDSave_Unit, "lblDSave_Unit"},
        {lblDSave_Fault, "lblDSave_Fault"},
        {lblMqtt, "lblMqtt"},
        {lblAlarm, "lblAlarm"},
    };
    for (const auto &[control, name] : named)
        control->setObjectName(QLatin1String(name));
    for (int i = 0; i < int(StatusBar1.size()); ++i)
        StatusBar1[i]->setObjectName(QStringLiteral("StatusBar1_%1").arg(i + 1));
}

void frmZQ410_Main::connectEngine()
{
    connect(&m_engine, &PollingEngine::onlineChanged, this, &frmZQ410_Main::SetOnlineControls);
    connect(&m_engine, &PollingEngine::connectCheckVisibleChanged, lblConnectChk,
            &QWidget::setVisible);
    connect(&m_engine, &PollingEngine::sendIndicatorChanged, picCommSTS,
            &CommIndicator::setSendLit);
    connect(&m_engine, &PollingEngine::receiveIndicatorChanged, picCommSTS,
            &CommIndicator::setReceiveLit);
    connect(&m_engine, &PollingEngine::selectedDeviceChanged, this,
            [this](int deviceNo) { lblMC_No->setText(QString::number(deviceNo)); });
    connect(&m_engine, &PollingEngine::selectedDisplayChanged, this,
            [this] { picRun->showDisplay(m_engine.display()); });
    connect(&m_engine, &PollingEngine::portLost, this, &frmZQ410_Main::onPortLost);
    connect(picRun, &StatusPanel::commandClicked, this, [this](int index) {
        // Button index is command order; button 5 is never enabled.
        m_engine.writeRegister(RegisterMap::commandRegister(Command(index)), 1, 0, this);
    });
    connect(picRun, &StatusPanel::memoryNumberEntered, this, [this](int number) {
        m_engine.writeRegister(RegisterMap::writable(DeviceTable::Field::MemoryNo)->address, number,
                               0, this);
    });
    connect(&m_engine, &PollingEngine::requestFailed, this, [this](const RequestFailure &failure) {
        if (failure.requester == this)
            Notice::post(this, failure.text());
    });
}

void frmZQ410_Main::showRecordingSettings()
{
    const RecordingSettings &recording = m_engine.state().recording;
    lblDSave_Enable->setText(recording.RecordSwitch);
    lblDSave_Intv->setText(QString::number(recording.RecordInterval));
    lblDSave_Unit->setText(recording.RecordUnit);
}

void frmZQ410_Main::showPortSettings()
{
    const PortSettings &port = m_engine.state().port;
    StatusBar1[0]->setText(port.PortName);
    StatusBar1[1]->setText(
        QStringList{port.BaudRate, port.ParityBit, port.DataBit, port.StopBit}.join(','));
    StatusBar1[4]->setText(port.Protocol);
}

void frmZQ410_Main::openSetPort()
{
    frmZQ410_SetPort dialog(m_engine.state().port, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool saved = m_settings.applyPortSettings(dialog.settings());
    showPortSettings();
    if (!saved)
        showMessage(SettingsFiles::notSavedMessage(QStringLiteral("통신포트 설정"),
                                                   m_settings.files().commPath()));
}

void frmZQ410_Main::openSetDSave()
{
    frmZQ410_Set_DSave dialog(m_engine.state().recording, m_settings.files(),
                              m_engine.programFolder(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool saved = m_settings.applyRecordingSettings(dialog.settings());
    showRecordingSettings();
    if (!saved)
        showMessage(SettingsFiles::notSavedMessage(QStringLiteral("데이터저장 설정"),
                                                   m_settings.files().saveDataPath()));
}

/// The alarm banner in the menu bar's free right-hand part, shown while an alarm is not normal:
/// at the top where the eye goes first, without making the window taller (it has to fit a
/// 1366x768 screen). The announcer sounds and notifies from here, as this is the session's
/// window.
void frmZQ410_Main::buildAlarmBanner()
{
    // The menus keep their room: the banner takes only what the window has beside them.
    const int menusWidth = menuBar()->sizeHint().width();
    lblAlarm = new AlarmBanner(m_alarms, menuBar());
    lblAlarm->setMaximumWidth(std::max(0, ClientWidth - menusWidth - BannerGap));
    menuBar()->setCornerWidget(lblAlarm, Qt::TopRightCorner);
    lblAlarm->refresh();
    connect(lblAlarm, &AlarmBanner::clicked, this, &frmZQ410_Main::openAlarmList);
    m_announcer = new AlarmAnnouncer(m_alarms, this);
    // The viewer's alarm banner brings this window forward.
    new WindowCall(QStringLiteral("ZQ410"), m_engine.programFolder(), this);
    // Wherever the operator is looking, the taskbar entry asks for attention.
    connect(&m_alarms, &AlarmEngine::transitioned, this, [this](const AlarmTransition &t) {
        if (t.step == AlarmStep::Raised)
            QApplication::alert(this);
    });
}

void frmZQ410_Main::openAlarmList()
{
    frmZQ410_AlarmList window(m_alarms, this);
    window.setSoundUnavailable(m_alarms.settings().Sound && !m_announcer->soundHasOutput());
    window.exec();
}

void frmZQ410_Main::openAlarmSettings()
{
    frmZQ410_AlarmSettings window(m_alarms, m_engine, this);
    window.exec();
    lblAlarm->refresh(); // limits set or removed while the port is closed: "감시 중지" follows
}

void frmZQ410_Main::openMqtt()
{
    frmZQ410_Mqtt dialog(m_publisher, this);
    dialog.exec();
}

/// The trend viewer beside the monitor's executable, started on its own; it then runs
/// independently of the monitor. A viewer of this program folder already open comes forward
/// instead of a second starting.
void frmZQ410_Main::openViewer()
{
    if (WindowCall::ask(QStringLiteral("ZQ410_Graph"), m_engine.programFolder()))
        return;
    const QString viewer =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ZQ410_Graph"));
    if (!QProcess::startDetached(viewer, {}, m_engine.programFolder()))
        showMessage(QStringLiteral("그래프 뷰어를 시작할 수 없습니다.\n%1").arg(viewer));
}

void frmZQ410_Main::openHelp()
{
    ShippedDocument::open(ShippedDocument::helpIndex(m_documentFolder), this, m_openDocument);
}

void frmZQ410_Main::openManual()
{
    ShippedDocument::open(ShippedDocument::manual(m_documentFolder), this, m_openDocument);
}

void frmZQ410_Main::openMemory()
{
    frmZQ410_Memory window(m_engine, this);
    window.exec();
}

void frmZQ410_Main::openDeviceList()
{
    frmZQ410_SetMulti window(m_settings, this);
    window.exec();
}

void frmZQ410_Main::openOverview()
{
    frmZQ410_RunMulti window(m_engine, this);
    window.showAlarms(m_alarms);
    window.exec();
}

/// The window asks for the parameter block as it opens; polling goes on meanwhile.
void frmZQ410_Main::openParameters()
{
    frmZQ410_PRMT window(m_engine, this);
    window.exec();
}

void frmZQ410_Main::openErrors()
{
    frmZQ410_ErrList window(m_engine, this);
    window.exec();
}

void frmZQ410_Main::openAbout()
{
    frmAbout about(this);
    about.exec();
}

void frmZQ410_Main::togglePort()
{
    if (!m_engine.isPortOpen())
        openPort();
    else
        closePort();
}

/// A port that cannot be opened (missing, in use, no device in the list) is reported and the
/// window stays closed.
void frmZQ410_Main::openPort()
{
    const LinkOpenResult result = m_engine.openPort();
    if (!result.ok()) {
        setPortCaptions(false);
        showMessage(result.description);
        return;
    }
    setPortCaptions(true);
    // Whichever controller is picked now, the last opening's curve is not its.
    m_liveTrend->restart();
    m_liveTrend->ResetChart();
}

/// Closing the line stops polling, recording and alarm supervision: asked first, with 아니요
/// the default, so F5 pressed out of habit (a "refresh" elsewhere) keeps the line watched.
void frmZQ410_Main::closePort()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("통신포트 닫기"), ClosePortQuestion,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return;
    setPortCaptions(false);
    m_engine.closePort();
}

/// The menu, the command column and the status bar's third panel follow the port.
void frmZQ410_Main::setPortCaptions(bool open)
{
    mSetPortOpen->setText(open ? PortCloseCaption : PortOpenCaption);
    StatusBar1[2]->setText(open ? QStringLiteral("OPEN") : QStringLiteral("CLOSE"));
    btnMenu[1]->setText(open ? QStringLiteral("통신포트 닫기") : QStringLiteral("통신포트 열기"));
    lblAlarm->setWatching(open);
}

void frmZQ410_Main::selectDevice(int row)
{
    if (!m_engine.selectDevice(row))
        return;
    lblMC_No->setText(QString::number(m_engine.table().deviceNo(row)));
    m_liveTrend->restart();
    m_liveTrend->ResetChart();
}

void frmZQ410_Main::onPortLost(const QString &reason)
{
    setPortCaptions(false);
    showMessage(QStringLiteral("통신포트 %1의 연결이 끊어졌습니다.\n케이블이나 USB 변환기를 다시 "
                               "연결한 뒤 통신포트를 다시 여십시오.")
                    .arg(m_engine.state().port.PortName),
                reason);
}

/// The on-line windows (menu "온라인" and its buttons) open only on line; the port settings only
/// off line.
/// The selected controller's values turn grey, with "통신 불량" and the time they were read, as
/// soon as it stops answering (the engine no longer counts it current); live again with its
/// next status block.
void frmZQ410_Main::showStaleness()
{
    const int row = m_engine.state().SelectedIndex;
    const DeviceTable &table = m_engine.table();
    const bool known =
        row >= 0 && row < table.rowCount() && m_engine.isPortOpen() &&
        (table.lastStatusMs(row) >= 0 || table.pickerState(row) == LinkState::Failed);
    const bool stale = known && !m_engine.isCurrent(row);
    if (stale != picRun->isStale())
        picRun->setStale(stale, m_engine.lastStatusTime(row));
}

void frmZQ410_Main::SetOnlineControls(bool online)
{
    for (QAction *action : {mSetPort, mSetMulti})
        action->setEnabled(!online);
    btnMenu[0]->setEnabled(!online);
    btnMenu[2]->setEnabled(!online);
    mOnline->setEnabled(online);
    for (QAction *action : {mOnlineMulti, mOnlineParameter, mOnlineError})
        action->setEnabled(online);
    for (int i : {4, 5, 6})
        btnMenu[i]->setEnabled(online);
    picRun->setVisible(online);
}

void frmZQ410_Main::showMessage(const QString &text, const QString &details)
{
    Notice::show(this, text, details);
}

void frmZQ410_Main::closeEvent(QCloseEvent *event)
{
    QString question = QStringLiteral("프로그램을 종료할까요?");
    if (const int unacknowledged = m_alarms.unacknowledgedCount(); unacknowledged > 0)
        question += QStringLiteral("\n미확인 경보 %1건이 있습니다.").arg(unacknowledged);
    QMessageBox box(QMessageBox::Question, QStringLiteral("프로그램 종료 확인"), question,
                    QMessageBox::Yes | QMessageBox::No, this);
    Notice::fitTitle(box);
    if (box.exec() != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    if (m_engine.isPortOpen())
        m_engine.closePort();
    event->accept();
}
