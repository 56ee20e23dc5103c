#pragma once

#include "ShippedDocument.h"

#include <QMainWindow>
#include <array>

class AlarmAnnouncer;
class AlarmBanner;
class AlarmEngine;
class CommIndicator;
class DisplayTicker;
class LiveTrend;
class MqttPublisher;
class MqttStatusLabel;
class MonitorSettings;
class PanelArtwork;
class PollingEngine;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class StatusPanel;

/// The monitor's main window: it shows the selected controller live, lets the operator pick the
/// controller, send run commands and the memory number, open and close the port, and opens every
/// other window. All protocol work is the engine's; the window shows its state and queues
/// requests through it.
class frmZQ410_Main : public QMainWindow
{
    Q_OBJECT

public:
    static inline const QString PortOpenCaption = QStringLiteral("통신포트 열기[&O]");
    static inline const QString PortCloseCaption = QStringLiteral("통신포트 닫기[&C]");
    static inline const QString ClosePortQuestion =
        QStringLiteral("통신을 멈추면 폴링, 기록, 경보 감시가 멈춥니다. 통신포트를 닫을까요?");

    /// Shows the engine, settings, ticker, alarms and publisher of a core that has started
    /// (MonitorCore::start: settings read, display tick running). The port stays closed until
    /// the operator opens it.
    frmZQ410_Main(PollingEngine &engine, MonitorSettings &settings, DisplayTicker &ticker,
                  AlarmEngine &alarms,
                  MqttPublisher &publisher, QWidget *parent = nullptr);

    /// Where the help and the manual are looked for (beside the executable) and how they are
    /// opened (the platform's default program); tests replace both.
    void setDocumentFolder(const QString &folder) { m_documentFolder = folder; }
    void setDocumentOpener(ShippedDocument::Opener opener) { m_openDocument = std::move(opener); }
    /// What sounds and announces the alarms (tests replace its sound and notifier).
    AlarmAnnouncer &alarmAnnouncer() { return *m_announcer; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    static void leaveRoomForShortcuts(QMenu *menu);
    void buildCommandColumn();
    void buildRightColumn();
    void buildStatusBar();
    void buildAlarmBanner();
    void nameControls();
    void connectEngine();

    void showRecordingFault(const QDateTime &missedSince);
    void showRecordingSettings();
    void showPortSettings();

    void openSetPort();
    void openSetDSave();
    void openMqtt();
    void openAlarmList();
    void openAlarmSettings();
    void openAbout();
    void openParameters();
    void openDeviceList();
    void openMemory();
    void openOverview();
    void openErrors();
    void openViewer();
    void openHelp();
    void openManual();
    void togglePort();
    void openPort();
    void closePort();
    void setPortCaptions(bool open);
    void selectDevice(int row);
    void onPortLost(const QString &reason);
    void SetOnlineControls(bool online);
    void showStaleness();
    /// A message box titled "ZQ410"; details, when given, behind its details button.
    void showMessage(const QString &text, const QString &details = QString());

    QMenu *mSet = nullptr;
    QMenu *mOnline = nullptr;
    QMenu *mProgram = nullptr;
    QMenu *mHelp = nullptr;
    QAction *mSetMulti = nullptr;
    QAction *mSetDSave = nullptr;
    QAction *mSetMqtt = nullptr;
    QAction *mSetAlarm = nullptr;
    QAction *mSetAlarmList = nullptr;
    QAction *mSetPort = nullptr;
    QAction *mSetPortOpen = nullptr;
    QAction *mSetExit = nullptr;
    QAction *mOnlineMulti = nullptr;
    QAction *mOnlineParameter = nullptr;
    QAction *mOnlineError = nullptr;
    QAction *mProgramMemory = nullptr;
    QAction *mHelpAbout = nullptr;
    QAction *mHelpHelp = nullptr;
    QAction *mHelpManual = nullptr;
    QAction *mHelpGraphView = nullptr;

    /// The command column; index 11 is not used.
    std::array<QPushButton *, 13> btnMenu{};
    StatusPanel *picRun = nullptr;
    PanelArtwork *Image1 = nullptr;
    QLabel *lblConnectChk = nullptr;
    CommIndicator *picCommSTS = nullptr;
    QLabel *lblMC_No = nullptr;
    QTableView *sprdStatus = nullptr;
    QLabel *lblDSave_Enable = nullptr;
    QLabel *lblDSave_Intv = nullptr;
    QLabel *lblDSave_Unit = nullptr;
    /// Shown while records are being lost: since when.
    QLabel *lblDSave_Fault = nullptr;
    /// Status bar panels 1 to 5 (index 0 is panel 1).
    std::array<QLabel *, 5> StatusBar1{};

    PollingEngine &m_engine;
    MonitorSettings &m_settings;
    DisplayTicker &m_ticker;
    AlarmEngine &m_alarms;
    MqttPublisher &m_publisher;
    /// Unacknowledged alarms at a glance, above the panels (hidden while all are normal).
    AlarmBanner *lblAlarm = nullptr;
    AlarmAnnouncer *m_announcer = nullptr;
    /// The broker connection at a glance, in the status bar (hidden while publishing is off).
    MqttStatusLabel *lblMqtt = nullptr;
    LiveTrend *m_liveTrend = nullptr;
    QString m_documentFolder;
    ShippedDocument::Opener m_openDocument;
};
