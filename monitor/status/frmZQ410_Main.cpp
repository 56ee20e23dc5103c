#include "frmZQ410_Main.h"

#include "AlarmAnnouncer.h"
#include "AlarmBanner.h"
#include "AlarmEngine.h"
#include "CommIndicator.h"
#include "CommandColumn.h"
#include "DevicePicker.h"
#include "DisplayTicker.h"
#include "HelpCommands.h"
#include "KoreanUi.h"
#include "LineServer.h"
#include "LineStatusBar.h"
#include "LiveTrend.h"
#include "MonitorSettings.h"
#include "MqttPublisher.h"
#include "Notice.h"
#include "PanelArtwork.h"
#include "PollingEngine.h"
#include "RecordingPanel.h"
#include "RegisterMap.h"
#include "StatusPanel.h"
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
#include <QDir>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int ClientWidth = 1016;
constexpr int CentralHeight = 690;
/// Room left between the last menu and the alarm banner.
constexpr int BannerGap = 16;
constexpr int ConnectCheckPointSize = 14;

} // namespace

frmZQ410_Main::frmZQ410_Main(PollingEngine &engine, MonitorSettings &settings,
                             DisplayTicker &ticker, AlarmEngine &alarms, MqttPublisher &publisher,
                             LineServer &server, QWidget *parent)
    : QMainWindow(parent), m_engine(engine), m_settings(settings), m_ticker(ticker),
      m_alarms(alarms), m_publisher(publisher), m_server(server),
      m_help(new HelpCommands(this, engine.programFolder()))
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
    m_liveTrend->follow(*picRun, m_ticker);
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
    QStringList problems = m_publisher.settingsWarnings();
    if (!m_alarms.settingsError().isEmpty())
        problems.append(m_alarms.settingsError());
    if (!problems.isEmpty())
        QTimer::singleShot(0, this, [this, problems] {
            Notice::post(this, problems.join(QStringLiteral("\n\n")));
        });
}

template <typename Receiver, typename Slot>
QAction *frmZQ410_Main::addNamedAction(QMenu *menu, const char *name, const QString &text,
                                       Receiver *receiver, Slot slot)
{
    QAction *action = menu->addAction(text, receiver, slot);
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu *frmZQ410_Main::addNamedMenu(const char *name, const QString &title)
{
    QMenu *menu = menuBar()->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void frmZQ410_Main::buildMenus()
{
    mSet = addNamedMenu("mSet", QStringLiteral("설정[&S]"));
    mSetMulti = addNamedAction(mSet, "mSetMulti", QStringLiteral("멀티 설정[&M]"), this,
                               &frmZQ410_Main::openDeviceList);
    mSetDSave = addNamedAction(mSet, "mSetDSave", QStringLiteral("데이터저장 설정[&D]"), this,
                               &frmZQ410_Main::openSetDSave);
    mSetMqtt = addNamedAction(mSet, "mSetMqtt", QStringLiteral("MQTT 설정[&Q]"), this,
                              &frmZQ410_Main::openMqtt);
    mSetAlarm = addNamedAction(mSet, "mSetAlarm", QStringLiteral("경보 설정[&A]"), this,
                               &frmZQ410_Main::openAlarmSettings);
    // In this menu, not 온라인: the alarms of a line that went away must stay reachable.
    mSetAlarmList = addNamedAction(mSet, "mSetAlarmList", QStringLiteral("경보 목록[&L]"), this,
                                   &frmZQ410_Main::openAlarmList);
    // Off at every start: commands from the network need the operator here as well.
    mSetRemote = addNamedAction(mSet, "mSetRemote", QStringLiteral("원격 조작 허용[&R]"), &m_server,
                                &LineServer::setOperatorAllows);
    mSetRemote->setCheckable(true);
    mSet->addSeparator();
    mSetPort = addNamedAction(mSet, "mSetPort", QStringLiteral("통신포트 설정[&P]"), this,
                              &frmZQ410_Main::openSetPort);
    mSetPortOpen =
        addNamedAction(mSet, "mSetPortOpen", PortOpenCaption, this, &frmZQ410_Main::togglePort);
    mSetPortOpen->setShortcut(Qt::Key_F5);
    mSet->addSeparator();
    mSetExit = addNamedAction(mSet, "mSetExit", QStringLiteral("프로그램 종료[&X]"), this,
                              &QWidget::close);

    mOnline = addNamedMenu("mOnline", QStringLiteral("온라인[&O]"));
    mOnlineMulti = addNamedAction(mOnline, "mOnlineMulti", QStringLiteral("멀티운전[&M]"), this,
                                  &frmZQ410_Main::openOverview);
    mOnlineParameter =
        addNamedAction(mOnline, "mOnlineParameter", QStringLiteral("파라메터 설정[&P]"), this,
                       &frmZQ410_Main::openParameters);
    mOnline->addSeparator();
    mOnlineError = addNamedAction(mOnline, "mOnlineError", QStringLiteral("에러 메시지[&E]"), this,
                                  &frmZQ410_Main::openErrors);

    mProgram = addNamedMenu("mProgram", QStringLiteral("프로그램[&P]"));
    mProgramMemory = addNamedAction(mProgram, "mProgramMemory", QStringLiteral("메모리 설정[&M]"),
                                    this, &frmZQ410_Main::openMemory);

    mHelp = addNamedMenu("mHelp", QStringLiteral("도우미[&H]"));
    mHelpAbout = addNamedAction(mHelp, "mHelpAbout", QStringLiteral("대하여[&A]"), m_help,
                                &HelpCommands::openAbout);
    mHelp->addSeparator();
    mHelpHelp = addNamedAction(mHelp, "mHelpHelp", QStringLiteral("도움말[&H]"), m_help,
                               &HelpCommands::openHelp);
    mHelpHelp->setShortcut(Qt::Key_F1);
    mHelpManual = addNamedAction(mHelp, "mHelpManual", QStringLiteral("ZQ410 매뉴얼"), m_help,
                                 &HelpCommands::openManual);
    mHelp->addSeparator();
    mHelpGraphView = addNamedAction(mHelp, "mHelpGraphView", QStringLiteral("그래프 뷰어[&G]"),
                                    m_help, &HelpCommands::openViewer);
    for (QMenu *menu : {mSet, mOnline, mProgram, mHelp})
        KoreanUi::leaveRoomForShortcuts(menu);
}

void frmZQ410_Main::buildCommandColumn()
{
    const QList<CommandColumn::Entry> entries = {
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
    m_commands = new CommandColumn(entries, centralWidget());
}

void frmZQ410_Main::buildRightColumn()
{
    QWidget *central = centralWidget();
    picCommSTS = new CommIndicator(central);
    picCommSTS->move(880, 0);

    m_picker = new DevicePicker(m_engine.table(), m_alarms, central);
    m_picker->setGeometry(880, 72, 129, 377);
    connect(m_picker, &DevicePicker::rowClicked, this, &frmZQ410_Main::selectDevice);
    m_recording = new RecordingPanel(central);
    m_recording->setGeometry(880, 456, 129, 145);
    connect(&m_ticker, &DisplayTicker::recordingFaultChanged, this,
            [this](const QDateTime &missedSince) {
                m_recording->showFault(missedSince, m_engine.state().recording.DataFolder);
            });
}

void frmZQ410_Main::buildStatusBar()
{
    m_statusBar = new LineStatusBar(m_publisher, m_server, this);
    setStatusBar(m_statusBar);
}

/// Every control carries its design name; members of an array carry it with _index.
void frmZQ410_Main::nameControls()
{
    const std::pair<QObject *, const char *> named[] = {
        {picRun, "picRun"},         {Image1, "Image1"},     {lblConnectChk, "lblConnectChk"},
        {picCommSTS, "picCommSTS"}, {lblAlarm, "lblAlarm"},
    };
    for (const auto &[control, name] : named)
        control->setObjectName(QLatin1String(name));
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
    connect(&m_engine, &PollingEngine::selectedDeviceChanged, m_picker, &DevicePicker::showDevice);
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
    m_recording->showSettings(m_engine.state().recording);
}

void frmZQ410_Main::showPortSettings()
{
    m_statusBar->showPort(m_engine.state().port);
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
    m_statusBar->showPortOpen(open);
    m_commands->button(1)->setText(open ? QStringLiteral("통신포트 닫기")
                                        : QStringLiteral("통신포트 열기"));
    lblAlarm->setWatching(open);
}

void frmZQ410_Main::selectDevice(int row)
{
    if (!m_engine.selectDevice(row))
        return;
    m_picker->showDevice(m_engine.table().deviceNo(row));
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
    mOnline->setEnabled(online);
    for (QAction *action : {mOnlineMulti, mOnlineParameter, mOnlineError})
        action->setEnabled(online);
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
