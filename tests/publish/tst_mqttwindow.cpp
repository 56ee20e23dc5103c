#include "FindControl.h"
#include "MainWindowHarness.h"
#include "ModalAnswer.h"
#include "MqttBroker.h"
#include "MqttProbe.h"
#include "MqttSettingsFile.h"
#include "MqttStatusLabel.h"
#include "frmZQ410_Mqtt.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

constexpr int WaitMs = 10000;

/// Replaces a line edit's text as an operator does: select all, type.
void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

/// The main window on a line of two controllers, with a broker of the test's (not started) and
/// CFG/Mqtt.INI as given (none when empty).
struct Monitor : MainWindowHarness
{
    MqttBroker broker{dir.path()};

    explicit Monitor(const QByteArray &mqttIni = {})
        : MainWindowHarness({1, 2}, {1, 2},
                            mqttIni.isEmpty()
                                ? QMap<QString, QByteArray>()
                                : QMap<QString, QByteArray>{{"CFG/Mqtt.INI", mqttIni}})
    {}

    /// Opens "MQTT 설정" from the 설정 menu; action runs on it while it is up.
    void openMqttWindow(const std::function<void(frmZQ410_Mqtt *)> &action)
    {
        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<frmZQ410_Mqtt *>(modal);
            QVERIFY2(dialog, "the MQTT window came up");
            action(dialog);
        });
        control<QAction>(*window, QStringLiteral("mSetMqtt"))->trigger();
    }
};

} // namespace

class tst_MqttWindow : public QObject
{
    Q_OBJECT

private slots:
    void settingsEnteredConnectAndTheStateShowsLive();
    void unusableInputIsRefusedWithTheKeyNamed();
    void unusableFileIsSaidAtTheStart();
};

/// The operator types the broker into the window and presses 적용: the file is written for
/// its owner only, the window shows "연결됨" as it happens, and so does the main window's
/// status bar; 확인 keeps it, switching off hides the status bar's panel.
void tst_MqttWindow::settingsEnteredConnectAndTheStateShowsLive()
{
    Monitor monitor;
    QVERIFY2(monitor.broker.start(), qPrintable(monitor.broker.error()));
    auto *status = control<MqttStatusLabel>(*monitor.window, QStringLiteral("lblMqtt"));
    QVERIFY(status->isHidden()); // off: no file

    monitor.openMqttWindow([&](frmZQ410_Mqtt *dialog) {
        auto *state = control<MqttStatusLabel>(*dialog, QStringLiteral("lblState"));
        QCOMPARE(state->text(), QStringLiteral("꺼짐"));
        QTest::mouseClick(control<QCheckBox>(*dialog, QStringLiteral("chkEnabled")), Qt::LeftButton,
                          {}, QPoint(5, 5));
        retype(control<QLineEdit>(*dialog, QStringLiteral("txtHost")), QStringLiteral("127.0.0.1"));
        auto *port = control<QSpinBox>(*dialog, QStringLiteral("spnPort"));
        port->setFocus();
        port->selectAll();
        QTest::keyClicks(port, QString::number(monitor.broker.port()));
        retype(control<QLineEdit>(*dialog, QStringLiteral("txtPrefix")),
               QStringLiteral("plant/l1"));
        retype(control<QLineEdit>(*dialog, QStringLiteral("txtUsername")), QStringLiteral("op"));
        retype(control<QLineEdit>(*dialog, QStringLiteral("txtPassword")), QStringLiteral("pw"));
        QTest::mouseClick(control<QPushButton>(*dialog, QStringLiteral("btnApply")),
                          Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("연결됨"), WaitMs);
        QVERIFY(dialog->isVisible());
        QCOMPARE(status->text(), QStringLiteral("MQTT: 연결됨"));
        QVERIFY(status->isVisibleTo(monitor.window.get()));
        QTest::mouseClick(control<QPushButton>(*dialog, QStringLiteral("btnOK")), Qt::LeftButton);
    });
    const MqttSettings::Read stored = MqttSettingsFile(monitor.engine->programFolder()).load();
    QCOMPARE(stored.error, QString());
    QVERIFY(stored.settings.Enabled);
    QCOMPARE(stored.settings.Port, monitor.broker.port());
    QCOMPARE(stored.settings.Prefix, QStringLiteral("plant/l1"));
    QCOMPARE(stored.settings.Password, QStringLiteral("pw"));
    QVERIFY(!(QFile::permissions(MqttSettingsFile(monitor.engine->programFolder()).path()) &
              (QFileDevice::ReadGroup | QFileDevice::ReadOther)));

    MqttProbe probe(monitor.broker.port());
    QTRY_COMPARE_WITH_TIMEOUT(probe.last("plant/l1/status"), QByteArray("online"), WaitMs);
    monitor.openMqttWindow([&](frmZQ410_Mqtt *dialog) {
        QVERIFY(control<QCheckBox>(*dialog, QStringLiteral("chkEnabled"))->isChecked());
        QTest::mouseClick(control<QCheckBox>(*dialog, QStringLiteral("chkEnabled")), Qt::LeftButton,
                          {}, QPoint(5, 5));
        QTest::mouseClick(control<QPushButton>(*dialog, QStringLiteral("btnOK")), Qt::LeftButton);
    });
    QTRY_COMPARE_WITH_TIMEOUT(probe.last("plant/l1/status"), QByteArray("offline"), WaitMs);
    QVERIFY(status->isHidden());
}

/// A prefix with a wildcard is refused with its key named; nothing is stored or applied.
void tst_MqttWindow::unusableInputIsRefusedWithTheKeyNamed()
{
    Monitor monitor;
    QString refusal;
    monitor.openMqttWindow([&](frmZQ410_Mqtt *dialog) {
        retype(control<QLineEdit>(*dialog, QStringLiteral("txtPrefix")), QStringLiteral("plant/#"));
        const MessageBoxAnswer answer(QMessageBox::Ok);
        QTest::mouseClick(control<QPushButton>(*dialog, QStringLiteral("btnOK")), Qt::LeftButton);
        refusal = answer.text;
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(control<QPushButton>(*dialog, QStringLiteral("btnCancel")),
                          Qt::LeftButton);
    });
    QVERIFY2(refusal.contains(QStringLiteral("Prefix")), qPrintable(refusal));
    QVERIFY(!QFile::exists(MqttSettingsFile(monitor.engine->programFolder()).path()));
    QCOMPARE(monitor.publisher->status().state, MqttState::Off);
}

/// A Mqtt.INI that cannot be used: a message at the start names the key, the status bar shows
/// the fault in red, and nothing connects.
void tst_MqttWindow::unusableFileIsSaidAtTheStart()
{
    Monitor monitor("Enabled=true\nHost=127.0.0.1\nPort=mqtt\n");
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = monitor.window->findChild<QMessageBox *>()) && box->isVisible(),
                             WaitMs);
    QVERIFY2(box->text().contains(QStringLiteral("Port")), qPrintable(box->text()));
    box->accept();
    auto *status = control<MqttStatusLabel>(*monitor.window, QStringLiteral("lblMqtt"));
    QCOMPARE(status->text(), QStringLiteral("MQTT: 설정 오류"));
    QVERIFY(status->toolTip().contains(QStringLiteral("Port")));
    QCOMPARE(monitor.publisher->status().state, MqttState::SettingsError);
}

QTEST_MAIN(tst_MqttWindow)
#include "tst_mqttwindow.moc"
