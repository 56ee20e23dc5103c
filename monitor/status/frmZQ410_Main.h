#pragma once

#include "HelpCommands.h"

#include <QMainWindow>
#include <array>

class AlarmAnnouncer;
class AlarmBanner;
class AlarmEngine;
class CommIndicator;
class CommandColumn;
class DevicePicker;
class DisplayTicker;
class LineServer;
class LineStatusBar;
class LiveTrend;
class MqttPublisher;
class MonitorSettings;
class PanelArtwork;
class RecordingPanel;
class PollingEngine;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
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
                  AlarmEngine &alarms, MqttPublisher &publisher, LineServer &server,
                  QWidget *parent = nullptr);

    /// Where the help and the manual are looked for (beside the executable) and how they are
    /// opened (the platform's default program); tests replace both.
    void setDocumentFolder(const QString &folder) { m_help->setDocumentFolder(folder); }
    void setDocumentOpener(ShippedDocument::Opener opener)
    {
        m_help->setDocumentOpener(std::move(opener));
    }
    /// What sounds and announces the alarms (tests replace its sound and notifier).
    AlarmAnnouncer &alarmAnnouncer() { return *m_announcer; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    /// A menu of the menu bar, or an entry of a menu, carrying its design name.
    QMenu *addNamedMenu(const char *name, const QString &title);
    template <typename Receiver, typename Slot>
    QAction *addNamedAction(QMenu *menu, const char *name, const QString &text, Receiver *receiver,
                            Slot slot);
    void buildCommandColumn();
    void buildRightColumn();
    void buildStatusBar();
    void buildAlarmBanner();
    void nameControls();
    void connectEngine();

    void showRecordingSettings();
    void showPortSettings();

    void openSetPort();
    void openSetDSave();
    void openMqtt();
    void openAlarmList();
    void openAlarmSettings();
    void openParameters();
    void openDeviceList();
    void openMemory();
    void openOverview();
    void openErrors();
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
    QAction *mSetRemote = nullptr;
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

    CommandColumn *m_commands = nullptr;
    StatusPanel *picRun = nullptr;
    PanelArtwork *Image1 = nullptr;
    QLabel *lblConnectChk = nullptr;
    CommIndicator *picCommSTS = nullptr;
    DevicePicker *m_picker = nullptr;
    RecordingPanel *m_recording = nullptr;
    LineStatusBar *m_statusBar = nullptr;

    PollingEngine &m_engine;
    MonitorSettings &m_settings;
    DisplayTicker &m_ticker;
    AlarmEngine &m_alarms;
    MqttPublisher &m_publisher;
    LineServer &m_server;
    /// Unacknowledged alarms at a glance, above the panels (hidden while all are normal).
    AlarmBanner *lblAlarm = nullptr;
    AlarmAnnouncer *m_announcer = nullptr;
    HelpCommands *m_help;
    /// The broker connection at a glance, in the status bar (hidden while publishing is off).
    LiveTrend *m_liveTrend = nullptr;
};
