#include "AlarmAnnouncer.h"
#include "AlarmBanner.h"
#include "AlarmEngine.h"
#include "AlarmSettingsFile.h"
#include "FindControl.h"
#include "MainWindowHarness.h"
#include "ModalAnswer.h"
#include "frmZQ410_AlarmList.h"
#include "frmZQ410_AlarmSettings.h"
#include "frmZQ410_RunMulti.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace {

constexpr int WaitMs = 5000;

/// The main window on controllers 1 and 2 (both present), with an Alarm.INI of the test's; the
/// sound and the desktop notification are counted, the sound repeats every 100 ms.
struct Monitor : MainWindowHarness
{
    int sounds = 0;
    QStringList notices;

    explicit Monitor(const QByteArray &alarmIni)
        : MainWindowHarness({1, 2}, {1, 2},
                            alarmIni.isEmpty()
                                ? QMap<QString, QByteArray>()
                                : QMap<QString, QByteArray>{{"CFG/Alarm.INI", alarmIni}})
    {
        window->alarmAnnouncer().setSound([this] { ++sounds; });
        window->alarmAnnouncer().setNotifier(
            [this](const QString &title, const QString &) { notices.append(title); });
        window->alarmAnnouncer().setRepeatInterval(100);
    }

    AlarmBanner *banner() const { return control<AlarmBanner>(*window, "lblAlarm"); }
};

QTableWidget *table(const QWidget &window, const char *name)
{
    return control<QTableWidget>(window, QLatin1String(name));
}

} // namespace

class tst_AlarmWindows : public QObject
{
    Q_OBJECT

private slots:
    void bannerListAndMarksFollowTheAlarms();
    void raisedAgainOnlyAlarmAndExit();
    void soundRepeatsUntilAcknowledged();
    void settingsWindowTakesLimitsAndRefusesBadCells();
    void unusableFileIsSaidAtTheStart();
};

/// An alarm raised: the banner shows it on red, the picker and the overview mark the
/// controller; a click on the banner opens the list, where one alarm and then all are
/// acknowledged; the banner turns amber, and goes when the alarm clears.
void tst_AlarmWindows::bannerListAndMarksFollowTheAlarms()
{
    Monitor monitor("[01]\nHigh=20\nOnDelay=0\n[02]\nLow=30\nOnDelay=0\n");
    // With limits set and the port closed the line is not watched, and the banner says so.
    QCOMPARE(monitor.banner()->fullText(), AlarmBanner::NotWatching);
    QVERIFY(monitor.banner()->styleSheet().contains("#ffff40"));
    monitor.line.controller(1)->pinTemperature(25);
    monitor.line.controller(2)->pinTemperature(25);
    QTest::keyClick(monitor.window.get(), Qt::Key_F5);
    QVERIFY(monitor.runUntil([&] { return monitor.alarms->alarms().size() == 2; }, 10000));
    QVERIFY(monitor.banner()->isVisibleTo(monitor.window.get()));
    QVERIFY2(monitor.banner()->fullText().startsWith(QStringLiteral("경보 2건 미확인")),
             qPrintable(monitor.banner()->fullText()));
    QVERIFY(monitor.banner()->styleSheet().contains("#d00000"));
    QCOMPARE(monitor.notices.size(), 2);

    auto *picker = control<QTableView>(*monitor.window, "sprdStatus");
    QVERIFY(picker->model()->index(0, 0).data(Qt::BackgroundRole).isValid());
    QVERIFY(picker->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains("상한 경보"));
    frmZQ410_RunMulti overview(*monitor.engine);
    overview.showAlarms(*monitor.alarms);
    auto *grid = control<QTableView>(overview, "sprdMulti");
    QVERIFY(grid->model()->index(1, 1).data(Qt::ToolTipRole).toString().contains("하한 경보"));

    whenModal([&](QWidget *modal) {
        auto *list = qobject_cast<frmZQ410_AlarmList *>(modal);
        QVERIFY2(list, "the banner opens the alarm list");
        QTableWidget *active = table(*list, "tblActive");
        QCOMPARE(active->rowCount(), 2);
        QCOMPARE(table(*list, "tblJournal")->rowCount(), 2);
        const int row = active->item(0, 3)->text() == QStringLiteral("상한 경보") ? 0 : 1;
        QTest::mouseClick(active->viewport(), Qt::LeftButton, {},
                          active->visualItemRect(active->item(row, 0)).center());
        QTest::mouseClick(control<QPushButton>(*list, "btnAck"), Qt::LeftButton);
        QCOMPARE(monitor.alarms->unacknowledgedCount(), 1);
        QCOMPARE(table(*list, "tblJournal")->rowCount(), 3);
        QCOMPARE(table(*list, "tblJournal")->item(0, 5)->text(), QStringLiteral("확인"));
        QTest::mouseClick(control<QPushButton>(*list, "btnAckAll"), Qt::LeftButton);
        QCOMPARE(monitor.alarms->unacknowledgedCount(), 0);
        QCOMPARE(active->item(0, 4)->text(), QStringLiteral("발생 (확인)"));
        QTest::mouseClick(control<QPushButton>(*list, "btnClose"), Qt::LeftButton);
    });
    QTest::mouseClick(monitor.banner(), Qt::LeftButton);
    QVERIFY(monitor.banner()->fullText().contains(QStringLiteral("확인됨")));
    QVERIFY(monitor.banner()->styleSheet().contains("#ffc000"));

    monitor.line.controller(1)->pinTemperature(15);
    monitor.line.controller(2)->pinTemperature(35);
    QVERIFY(monitor.runUntil([&] { return monitor.alarms->alarms().isEmpty(); }, 10000));
    QVERIFY(monitor.banner()->isHidden());
    QVERIFY(!picker->model()->index(0, 0).data(Qt::BackgroundRole).isValid());
}

/// A limit crossed again before anyone acknowledged it says how often and since when; "확인"
/// with the only alarm listed and nothing selected acknowledges it; the exit question counts
/// the alarms not yet acknowledged.
void tst_AlarmWindows::raisedAgainOnlyAlarmAndExit()
{
    Monitor monitor("[01]\nHigh=20\nDeadband=1\nOnDelay=0\n");
    auto pv = [&](double degrees) {
        monitor.line.controller(1)->pinTemperature(degrees);
        monitor.clock.advance(2000);
    };
    QTest::keyClick(monitor.window.get(), Qt::Key_F5);
    QVERIFY(monitor.untilOnline());
    for (const double degrees : {25.0, 15.0, 25.0, 15.0, 25.0})
        pv(degrees);
    QCOMPARE(monitor.alarms->alarms().size(), 1);
    const QString repeat = QStringLiteral("3회, 첫 발생 ");
    QVERIFY2(monitor.banner()->fullText().contains(repeat),
             qPrintable(monitor.banner()->fullText()));
    QVERIFY(monitor.banner()->toolTip().startsWith(monitor.banner()->fullText()));

    {
        MessageBoxAnswer answer(QMessageBox::No);
        control<QAction>(*monitor.window, "mSetExit")->trigger();
        QCOMPARE(answer.text,
                 QStringLiteral("프로그램을 종료할까요?\n미확인 경보 1건이 있습니다."));
    }
    whenModal([&](QWidget *modal) {
        QTableWidget *active = table(*modal, "tblActive");
        QVERIFY(active->item(0, 9)->text().startsWith(repeat));
        QVERIFY(active->selectionModel()->selectedRows().isEmpty());
        QTest::mouseClick(control<QPushButton>(*modal, "btnAck"), Qt::LeftButton);
        QCOMPARE(monitor.alarms->unacknowledgedCount(), 0);
        QTest::mouseClick(control<QPushButton>(*modal, "btnClose"), Qt::LeftButton);
    });
    QTest::mouseClick(monitor.banner(), Qt::LeftButton);
}

/// The sound repeats while an alarm is unacknowledged, stops once it is, and is never heard
/// with Sound=false.
void tst_AlarmWindows::soundRepeatsUntilAcknowledged()
{
    for (const bool sound : {true, false}) {
        Monitor monitor(QByteArray("[General]\nVolume=35\nSound=") + (sound ? "true" : "false") +
                        "\n[01]\nHigh=20\nOnDelay=0\n");
        monitor.line.controller(1)->pinTemperature(25);
        QTest::keyClick(monitor.window.get(), Qt::Key_F5);
        QVERIFY(
            monitor.runUntil([&] { return monitor.alarms->unacknowledgedCount() == 1; }, 10000));
        QTest::qWait(450);
        if (!sound) {
            QCOMPARE(monitor.sounds, 0);
            continue;
        }
        QVERIFY2(monitor.sounds >= 3, QByteArray::number(monitor.sounds));
        // The shipped two-tone, decoded and ready to play at Alarm.INI's volume.
        const AlarmSound &alarmSound = monitor.window->alarmAnnouncer().alarmSound();
        QCOMPARE(alarmSound.volume(), 0.35f);
        const QSoundEffect &effect = alarmSound.effect();
        QCOMPARE(effect.source(), QUrl(QStringLiteral("qrc:/alarms/alarm.wav")));
        QTRY_COMPARE_WITH_TIMEOUT(effect.status(), QSoundEffect::Ready, WaitMs);
        monitor.alarms->acknowledgeAll();
        const int heard = monitor.sounds;
        QTest::qWait(350);
        QCOMPARE(monitor.sounds, heard);
    }
}

/// "경보 설정": the controller's own alarm values fill its row, a cell that is not a number is
/// refused naming its controller and key, 확인 stores Alarm.INI and the engine takes it.
void tst_AlarmWindows::settingsWindowTakesLimitsAndRefusesBadCells()
{
    Monitor monitor("");
    QTest::keyClick(monitor.window.get(), Qt::Key_F5);
    QVERIFY(monitor.untilOnline());
    monitor.clock.advance(1000);
    frmZQ410_AlarmSettings window(*monitor.alarms, *monitor.engine);
    window.show();
    QTableWidget *limits = table(window, "tblLimits");
    QCOMPARE(limits->rowCount(), 2);
    limits->selectRow(0);
    QTest::mouseClick(control<QPushButton>(window, "btnFromController"), Qt::LeftButton);
    QVERIFY(monitor.runUntil([&] { return !limits->item(0, 2)->text().isEmpty(); }, 5000));
    QCOMPARE(limits->item(0, 2)->text(), QStringLiteral("150.0")); // register 304
    QCOMPARE(limits->item(0, 3)->text(), QStringLiteral("0.0"));   // 305
    QCOMPARE(limits->item(0, 4)->text(), QStringLiteral("10.0"));  // 306

    limits->item(1, 2)->setText(QStringLiteral("hot"));
    {
        const MessageBoxAnswer refusal(QMessageBox::Ok);
        QTest::mouseClick(control<QPushButton>(window, "btnOK"), Qt::LeftButton);
        QVERIFY2(refusal.text.contains(QStringLiteral("기기 02의 상한")), qPrintable(refusal.text));
    }
    QVERIFY(window.isVisible());
    QVERIFY(!QFile::exists(monitor.alarms->settingsPath()));

    limits->item(1, 2)->setText(QStringLiteral("80.5"));
    limits->item(1, 6)->setText(QStringLiteral("3"));
    QTest::mouseClick(control<QCheckBox>(window, "chkSound"), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(control<QPushButton>(window, "btnOK"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    const AlarmSettings::Read stored = AlarmSettingsFile(monitor.engine->programFolder()).load();
    QCOMPARE(stored.error, QString());
    QVERIFY(!stored.settings.Sound);
    QCOMPARE(stored.settings.of(1).High, std::optional<double>(150.0));
    QCOMPARE(stored.settings.of(2).High, std::optional<double>(80.5));
    QCOMPARE(stored.settings.of(2).OnDelay, 3);
    QVERIFY(monitor.alarms->settings() == stored.settings);
}

/// An Alarm.INI value that cannot be taken is said at the start, naming controller and key.
void tst_AlarmWindows::unusableFileIsSaidAtTheStart()
{
    Monitor monitor("[05]\nHigh=hot\n");
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = monitor.window->findChild<QMessageBox *>()) && box->isVisible(),
                             WaitMs);
    QVERIFY2(box->text().contains(QStringLiteral("[05]의 High")), qPrintable(box->text()));
    box->accept();
}

QTEST_MAIN(tst_AlarmWindows)
#include "tst_alarmwindows.moc"
