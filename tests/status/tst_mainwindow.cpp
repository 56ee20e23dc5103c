#include "CommIndicator.h"
#include "FindControl.h"
#include "GradientLabel.h"
#include "Lamp.h"
#include "MainWindowHarness.h"
#include "ModalAnswer.h"
#include "NumberEdit.h"
#include "PanelArtwork.h"
#include "PollingEngine.h"
#include "StatusPanel.h"
#include "TrendChart.h"
#include "frmAbout.h"
#include "frmZQ410_Main.h"
#include "frmZQ410_Set_DSave.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

/// The main window on the engine harness (SUM framing, no port file).
struct Fixture : MainWindowHarness
{
    explicit Fixture(const QList<int> &present, const QList<int> &listed = {1, 2, 3})
        : MainWindowHarness(present, listed)
    {}

    void pressF5()
    {
        // A modal dialog that has come and gone may leave no window active.
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_F5);
    }
    /// F5 on line, the question answered 예.
    void closeLine()
    {
        MessageBoxAnswer answer(QMessageBox::Yes);
        pressF5();
    }

    void goOnline()
    {
        if (!engine->isPortOpen())
            pressF5();
        QVERIFY(untilOnline());
        clock.advance(300); // the first status exchange
    }

    void clickPickerRow(int row)
    {
        QTableView *grid = control<QTableView>(*window, QStringLiteral("sprdStatus"));
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    /// The last frame sent, checked for its trailing 0x00.
    QByteArray lastFrame() const { return link.sent().last().frame(); }
};

/// The device picker's link cell of a row.
static QVariant pickerCell(const frmZQ410_Main &w, int row, int role = Qt::DisplayRole)
{
    return control<QTableView>(w, QStringLiteral("sprdStatus"))->model()->index(row, 1).data(role);
}

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void firstStartWithoutSettingsFiles();
    void offLinePictureShowsNoReading();
    void portSettingsWindowSavesAndShowsTheSettings();
    void failedOpenIsReportedAndTheWindowStaysClosed();
    void goesOnlineWithTwoOfThreeControllers();
    void pickingADeviceFollowsOnlyConnectedRowsWhileOpen();
    void commandButtonsWriteTheirRegisterAndFollowTheStatus();
    void memoryNumberBoxLimitsAndQueuesTheWrite();
    void closingThePortReturnsToTheClosedState();
    void pulledAdapterIsReportedAndClosesTheWindowState();
    void exitAsksFirstAndNoKeepsPolling();
    void chartStartsWithTwoPointsOneSecondApartAndGrowsPerPeriod();
    void chartPausesWhileStoppedAndRestartsOnTheNextRun();
    void pickingAnotherDeviceClearsTheChart();
    void reopeningThePortClearsTheChart();
    void silentControllerIsShownStaleAndNotCharted();
    void chartControlsPeriodColourAndUnit();
    void recordingSettingsWindowUpdatesTheFrame();
    void parameterAndErrorWindowsOpenOnlyOnLine();
    void helpAndManualOpenBesideTheProgramOrSayWhereTheyWereLookedFor();
    void remoteCommandsNeedTheOperatorsSwitch();
};

/// Runs the clock to the given time since the fixture started.
static void advanceTo(Fixture &f, qint64 ms)
{
    f.clock.advance(ms - f.clock.elapsedMs());
}

void tst_MainWindow::chartStartsWithTwoPointsOneSecondApartAndGrowsPerPeriod()
{
    Fixture f({1}, {1});
    f.goOnline();
    f.line.controller(1)->writeRegister(102, 1);
    TrendChart *chart = control<TrendChart>(*f.window, QStringLiteral("ChartFX1"));
    // The first display tick (500 ms) was due at once with RUN still grey (the controller was
    // started after the first status block); the next due step comes 5 s later, at 13:04:10.
    advanceTo(f, 4999);
    QCOMPARE(chart->data().size(), qsizetype(0));
    advanceTo(f, 5000);
    QCOMPARE(chart->data().size(), qsizetype(2));
    QCOMPARE(TrendData::timeText(chart->data().time(0)), QStringLiteral("13:04:09"));
    QCOMPARE(TrendData::timeText(chart->data().time(1)), QStringLiteral("13:04:10"));
    QCOMPARE(chart->data().value(0, 0), chart->data().value(0, 1));
    QCOMPARE(chart->data().value(0, 1), 60.0f);
    QCOMPARE(chart->xLast(), 1.0);
    f.line.advance(5000); // the controller heats up meanwhile
    advanceTo(f, 9999);
    QCOMPARE(chart->data().size(), qsizetype(2));
    advanceTo(f, 10000);
    QCOMPARE(chart->data().size(), qsizetype(3));
    QCOMPARE(chart->xLast(), 2.0);
    QVERIFY(chart->data().value(1, 2) > chart->data().value(1, 1)); // heating up
}

void tst_MainWindow::chartPausesWhileStoppedAndRestartsOnTheNextRun()
{
    Fixture f({1}, {1});
    f.goOnline();
    f.line.controller(1)->writeRegister(102, 1);
    TrendChart *chart = control<TrendChart>(*f.window, QStringLiteral("ChartFX1"));
    advanceTo(f, 15000);
    QCOMPARE(chart->data().size(), qsizetype(4));
    QTest::mouseClick(control<QPushButton>(*f.window, QStringLiteral("btnCMD_0")),
                      Qt::LeftButton); // stop
    advanceTo(f, 30000);
    QVERIFY(!control<QPushButton>(*f.window, QStringLiteral("btnCMD_0"))->property("lit").toBool());
    QCOMPARE(chart->data().size(), qsizetype(4)); // the curve stays
    QTest::mouseClick(control<QPushButton>(*f.window, QStringLiteral("btnCMD_0")),
                      Qt::LeftButton); // run again
    advanceTo(f, 35000);
    QCOMPARE(chart->data().size(), qsizetype(2)); // a new chart
}

void tst_MainWindow::pickingAnotherDeviceClearsTheChart()
{
    Fixture f({1, 3}, {1, 3});
    f.line.controller(1)->writeRegister(102, 1);
    f.line.controller(3)->writeRegister(102, 1);
    f.goOnline();
    TrendChart *chart = control<TrendChart>(*f.window, QStringLiteral("ChartFX1"));
    advanceTo(f, 10000);
    QVERIFY(chart->data().size() >= 2);
    f.clickPickerRow(1);
    QCOMPARE(chart->data().size(), qsizetype(0));
    // Until controller 3's first status block nothing of controller 1 stands for it.
    QVERIFY(!f.engine->display().commandLit[0]);
    QCOMPARE(control<GradientLabel>(*f.window, QStringLiteral("lblSV"))->text(), QString());
    advanceTo(f, 15000);
    QCOMPARE(chart->data().size(), qsizetype(2));
}

/// Controller 3's curve is not left standing for controller 1, picked after the port reopened.
void tst_MainWindow::reopeningThePortClearsTheChart()
{
    Fixture f({1, 3}, {1, 3});
    f.line.controller(3)->writeRegister(102, 1);
    f.goOnline();
    f.clickPickerRow(1);
    TrendChart *chart = control<TrendChart>(*f.window, QStringLiteral("ChartFX1"));
    QVERIFY(f.runUntil([chart] { return chart->data().size() >= 2; }, 15000));
    f.closeLine();
    f.goOnline();
    QCOMPARE(f.engine->state().SelectedDeviceNo, 1);
    QCOMPARE(chart->data().size(), qsizetype(0));
    advanceTo(f, f.clock.elapsedMs() + 10000); // controller 1 does not run: nothing to chart
    QCOMPARE(chart->data().size(), qsizetype(0));
}

void tst_MainWindow::silentControllerIsShownStaleAndNotCharted()
{
    Fixture f({1}, {1});
    f.line.controller(1)->writeRegister(102, 1); // runs: RUN lamp and chart
    f.goOnline();
    StatusPanel &panel = *control<StatusPanel>(*f.window, QStringLiteral("picRun"));
    QLabel *note = control<QLabel>(panel, QStringLiteral("lblStale"));
    GradientLabel *sv = control<GradientLabel>(panel, QStringLiteral("lblSV"));
    TrendChart &chart = *control<TrendChart>(panel, QStringLiteral("ChartFX1"));
    advanceTo(f, 12000);
    QVERIFY(!note->isVisible());
    QCOMPARE(sv->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    const QString lastRead = f.clock.now().toString(QStringLiteral("HH:mm:ss"));

    // Silent from now on: grey at once (within three unanswered requests), with the time of its
    // last reading, and the chart stops.
    f.line.setDeviceLatency(1, SimulatedLine::NoReply);
    advanceTo(f, 15000);
    QVERIFY(note->isVisible());
    QVERIFY2(note->text().startsWith(QStringLiteral("통신 불량 · 마지막 수신 ")),
             qPrintable(note->text()));
    const QTime shown = QTime::fromString(note->text().right(8), QStringLiteral("HH:mm:ss"));
    QVERIFY(qAbs(shown.secsTo(QTime::fromString(lastRead, QStringLiteral("HH:mm:ss")))) <= 1);
    QCOMPARE(sv->palette().color(QPalette::WindowText), QColor(140, 140, 140));
    QVERIFY(control<Lamp>(panel, QStringLiteral("shpLED1_0"))->isStale());
    QPushButton *run = control<QPushButton>(panel, QStringLiteral("btnCMD_0"));
    QCOMPARE(run->grab().toImage().pixelColor(6, 6), QColor(140, 140, 140));
    const qsizetype samples = chart.data().size();
    advanceTo(f, 30000);
    QCOMPARE(chart.data().size(), samples);

    // It answers again: live colours, the note goes.
    f.line.setDeviceLatency(1, SimulatedLine::LineLatency);
    QVERIFY(f.runUntil([note] { return !note->isVisible(); }, 10000));
    QCOMPARE(sv->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(!control<Lamp>(panel, QStringLiteral("shpLED1_0"))->isStale());
    QCOMPARE(run->grab().toImage().pixelColor(6, 6), QColor(255, 0, 0));
}

void tst_MainWindow::chartControlsPeriodColourAndUnit()
{
    Fixture f({1}, {1});
    StatusPanel &panel = *control<StatusPanel>(*f.window, QStringLiteral("picRun"));
    QCOMPARE(control<NumberEdit>(panel, QStringLiteral("txtDispTime"))->text(),
             QStringLiteral("5"));
    QVERIFY(control<QCheckBox>(panel, QStringLiteral("chb3D"))->isChecked());
    QVERIFY(control<TrendChart>(panel, QStringLiteral("ChartFX1"))->is3D());
    QVERIFY(!control<QCheckBox>(panel, QStringLiteral("chbScroll"))->isChecked());
    control<NumberEdit>(panel, QStringLiteral("txtDispTime"))->clear();
    QCOMPARE(control<NumberEdit>(panel, QStringLiteral("txtDispTime"))->text(),
             QStringLiteral("1"));
    control<NumberEdit>(panel, QStringLiteral("txtDispTime"))->selectAll();
    QTest::keyClicks(control<NumberEdit>(panel, QStringLiteral("txtDispTime")),
                     QStringLiteral("90"));
    QCOMPARE(control<NumberEdit>(panel, QStringLiteral("txtDispTime"))->text(),
             QStringLiteral("60"));
    QTest::mouseClick(control<QCheckBox>(panel, QStringLiteral("chb3D")), Qt::LeftButton);
    QVERIFY(!control<TrendChart>(panel, QStringLiteral("ChartFX1"))->is3D());
    QTest::mouseClick(control<QCheckBox>(panel, QStringLiteral("chbScroll")), Qt::LeftButton);
    QVERIFY(control<TrendChart>(panel, QStringLiteral("ChartFX1"))->isScrollBarVisible());

    QCOMPARE(control<TrendChart>(panel, QStringLiteral("ChartFX1"))->seriesColor(1),
             QColor(255, 0, 0));
    const QColor chosen(10, 200, 30);
    QTimer::singleShot(0, [chosen] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setCurrentColor(chosen);
        dialog->accept();
    });
    QTest::mouseClick(control<QPushButton>(panel, QStringLiteral("picGcolor_1")), Qt::LeftButton);
    QCOMPARE(control<TrendChart>(panel, QStringLiteral("ChartFX1"))->seriesColor(1), chosen);
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setCurrentColor(Qt::black);
        dialog->reject();
    });
    QTest::mouseClick(control<QPushButton>(panel, QStringLiteral("picGcolor_1")), Qt::LeftButton);
    f.clock.advance(500);
    QCOMPARE(control<TrendChart>(panel, QStringLiteral("ChartFX1"))->seriesColor(1), chosen);

    QCOMPARE(control<TrendChart>(panel, QStringLiteral("ChartFX1"))->title(TrendChart::Title::Left),
             QStringLiteral("온도(℃)"));
    QCOMPARE(
        control<TrendChart>(panel, QStringLiteral("ChartFX1"))->title(TrendChart::Title::Bottom),
        QStringLiteral("시간"));
    f.line.controller(1)->writeRegister(507, 1);
    f.goOnline();
    QCOMPARE(control<TrendChart>(panel, QStringLiteral("ChartFX1"))->title(TrendChart::Title::Left),
             QStringLiteral("온도(℉)"));
    QCOMPARE(control<GradientLabel>(panel, QStringLiteral("lblUnit_2"))->text(),
             QStringLiteral("℉"));

    // The period typed is the chart's: 60 s (as typed above) adds nothing within 20 s, 1 s adds
    // a sample a second.
    f.line.controller(1)->writeRegister(102, 1);
    TrendChart &chart = *control<TrendChart>(panel, QStringLiteral("ChartFX1"));
    QVERIFY(f.runUntil([&chart] { return !chart.data().isEmpty(); }, 70000));
    const qsizetype started = chart.data().size();
    f.clock.advance(20000);
    QCOMPARE(chart.data().size(), started);
    control<NumberEdit>(panel, QStringLiteral("txtDispTime"))->selectAll();
    QTest::keyClicks(control<NumberEdit>(panel, QStringLiteral("txtDispTime")),
                     QStringLiteral("1"));
    f.clock.advance(10000);
    QVERIFY2(chart.data().size() >= started + 9, qPrintable(QString::number(chart.data().size())));
}

void tst_MainWindow::recordingSettingsWindowUpdatesTheFrame()
{
    Fixture f({1}, {1});
    frmZQ410_Main &w = *f.window;
    const QString folder = f.dir.filePath(QStringLiteral("data"));
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<frmZQ410_Set_DSave *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        control<QComboBox>(*dialog, QStringLiteral("cmbSave"))
            ->setCurrentText(QStringLiteral("Yes"));
        control<NumberEdit>(*dialog, QStringLiteral("txtSaveInterval"))
            ->setText(QStringLiteral("30"));
        control<QComboBox>(*dialog, QStringLiteral("cmbUnit"))
            ->setCurrentText(QStringLiteral("초"));
        QTest::mouseClick(control<QPushButton>(*dialog, QStringLiteral("btnOK")), Qt::LeftButton);
    });
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnMenu_3")), Qt::LeftButton);
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblDSave_Enable"))->text(), QStringLiteral("Yes"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblDSave_Intv"))->text(), QStringLiteral("30"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblDSave_Unit"))->text(), QStringLiteral("초"));
    QCOMPARE(f.engine->state().recording.DataFolder, folder);

    // Stored through the engine.
    QCOMPARE(SettingsFiles(f.dir.path()).LoadRecordingSettings(QString()).RecordInterval, 30);

    // Recording every 30 s: the first due step (13:04:05) found the controller not running yet;
    // after that the running, connected controller gets a record every 30 s.
    f.goOnline();
    f.line.controller(1)->writeRegister(102, 1);
    f.clock.advance(61000);
    QFile file(folder + QStringLiteral("/ZQ410_01.DAT"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 2 + 1); // two records and the empty rest after the last CR LF
    QCOMPARE(lines.at(0), QByteArray("2024-05-01\t13:04:35\t60.0\t25.0\t24.8\r"));
    QVERIFY(lines.at(1).startsWith("2024-05-01\t13:05:05\t"));

    // SaveData.INI cannot be written (a folder stands in its place): the operator is told what
    // was not saved and where; the new interval is in force for this run and shown.
    const QString saveData = f.settings->files().saveDataPath();
    QVERIFY(QFile::remove(saveData));
    QVERIFY(QDir().mkpath(saveData));
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<frmZQ410_Set_DSave *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        control<NumberEdit>(*dialog, QStringLiteral("txtSaveInterval"))
            ->setText(QStringLiteral("45"));
        QTest::mouseClick(control<QPushButton>(*dialog, QStringLiteral("btnOK")), Qt::LeftButton);
    });
    MessageBoxAnswer answer(QMessageBox::Ok);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnMenu_3")), Qt::LeftButton);
    QVERIFY2(answer.text.startsWith(QStringLiteral("데이터저장 설정을(를) 파일에 저장하지")),
             qPrintable(answer.text));
    QVERIFY(answer.text.contains(saveData));
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblDSave_Intv"))->text(), QStringLiteral("45"));
    QCOMPARE(f.engine->state().recording.RecordInterval, 45);

    // Records being lost are marked in the panel with the time of the first one, until one
    // lands again.
    QLabel *fault = control<QLabel>(w, QStringLiteral("lblDSave_Fault"));
    QVERIFY(!fault->isVisible());
    emit f.ticker->recordingFaultChanged(QDateTime(QDate(2024, 5, 1), QTime(13, 6, 5)));
    QVERIFY(fault->isVisible());
    QCOMPARE(fault->text(), QStringLiteral("기록 실패 13:06:05~"));
    QVERIFY(fault->toolTip().contains(folder));
    emit f.ticker->recordingFaultChanged(QDateTime());
    QVERIFY(!fault->isVisible());
}

void tst_MainWindow::firstStartWithoutSettingsFiles()
{
    Fixture f({1}, {});
    frmZQ410_Main &w = *f.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("ZQ410 V1.0.0"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_1"))->text(), QStringLiteral("COM1"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_2"))->text(),
             QStringLiteral("9600,N,8,1"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_3"))->text(), QStringLiteral("CLOSE"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_4"))->text(), QStringLiteral("메시지"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_5"))->text(), QStringLiteral("SUM"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblDSave_Enable"))->text(), QStringLiteral("No"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblDSave_Intv"))->text(), QStringLiteral("1"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblDSave_Unit"))->text(), QStringLiteral("분"));
    QVERIFY(QFile::exists(f.dir.filePath(QStringLiteral("Comm.CFG"))));
    QVERIFY(QDir(f.dir.filePath(QStringLiteral("data"))).exists());
    QVERIFY(!control<StatusPanel>(w, QStringLiteral("picRun"))->isVisible());
    QVERIFY(control<PanelArtwork>(w, QStringLiteral("Image1"))->isVisible());
    QVERIFY(control<PanelArtwork>(w, QStringLiteral("Image1"))->isLoaded());
    QVERIFY(!control<QLabel>(w, QStringLiteral("lblConnectChk"))->isVisible());
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblMC_No"))->text(), QString());
    QCOMPARE(control<QTableView>(w, QStringLiteral("sprdStatus"))->model()->rowCount(), 0);
    QVERIFY(control<QAction>(w, QStringLiteral("mSetPort"))->isEnabled());
    QVERIFY(control<QPushButton>(w, QStringLiteral("btnMenu_0"))->isEnabled());
    QCOMPARE(control<QAction>(w, QStringLiteral("mSetPortOpen"))->text(),
             frmZQ410_Main::PortOpenCaption);
    QCOMPARE(control<QAction>(w, QStringLiteral("mSetPortOpen"))->shortcut(),
             QKeySequence(Qt::Key_F5));
    QCOMPARE(control<QAction>(w, QStringLiteral("mHelpHelp"))->shortcut(),
             QKeySequence(Qt::Key_F1));
    QVERIFY(control<QPushButton>(w, QStringLiteral("btnMenu_2"))->isEnabled()); // off line only
    QVERIFY(control<QPushButton>(w, QStringLiteral("btnMenu_7"))->isEnabled()); // always
    for (int i : {4, 5, 6})
        QVERIFY2(!control<QPushButton>(w, QStringLiteral("btnMenu_%1").arg(i))->isEnabled(),
                 qPrintable(control<QPushButton>(w, QStringLiteral("btnMenu_%1").arg(i))->text()));
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblUnit_0"))->text(), QStringLiteral("℃"));
    QVERIFY(!control<QPushButton>(w, QStringLiteral("btnCMD_5"))->isEnabled());
    QCOMPARE(control<QPushButton>(w, QStringLiteral("btnCMD_5"))->toolTip(),
             QStringLiteral("현재 버전에서는 제공하지 않는 버튼입니다."));

    // The device number's tooltip is an ordinary tooltip, not the number's big red bold face.
    QToolTip::showText(control<QLabel>(w, QStringLiteral("lblMC_No"))->mapToGlobal(QPoint(4, 4)),
                       control<QLabel>(w, QStringLiteral("lblMC_No"))->toolTip(),
                       control<QLabel>(w, QStringLiteral("lblMC_No")));
    QWidget *tip = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->inherits("QTipLabel") && top->isVisible())
            tip = top;
    }
    QVERIFY(tip);
    QVERIFY(!tip->font().bold());
    QCOMPARE(tip->font().pointSize(), QToolTip::font().pointSize());
    QToolTip::hideText();

    // The checked 3D box on the navy panel shows a dark check mark on its white face.
    const QImage box = control<QCheckBox>(w, QStringLiteral("chb3D"))->grab().toImage();
    int markPixels = 0;
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < std::min(box.width(), box.height()); ++x) {
            const QColor c = box.pixelColor(x, y);
            markPixels += std::max({c.red(), c.green(), c.blue()}) < 100;
        }
    }
    QVERIFY(markPixels > 0);

    // One version: the caption's is the About window's; it links nowhere.
    QString version;
    QStringList links;
    QTimer::singleShot(0, [&version, &links] {
        if (auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget())) {
            version = control<QLabel>(*about, QStringLiteral("lblVersion"))->text();
            for (const QLabel *label : about->findChildren<QLabel *>()) {
                if (label->text().contains(QStringLiteral("href")))
                    links.append(label->text());
            }
            about->accept();
        }
    });
    control<QAction>(w, QStringLiteral("mHelpAbout"))->trigger();
    QCOMPARE(version, QStringLiteral("Version 1.0.0"));
    QCOMPARE(links, QStringList());

    // An empty device list: opening is refused with a message, the port stays closed.
    MessageBoxAnswer answer(QMessageBox::Ok);
    f.pressF5();
    QCOMPARE(answer.title, QStringLiteral("ZQ410"));
    QVERIFY(!answer.text.isEmpty());
    QVERIFY(!f.engine->isPortOpen());
    QCOMPARE(control<QAction>(w, QStringLiteral("mSetPortOpen"))->text(),
             frmZQ410_Main::PortOpenCaption);
}

/// No lit segment or lamp (bright red or green) in the picture shown while off line; the
/// drawn RUN key is a darker red.
void tst_MainWindow::offLinePictureShowsNoReading()
{
    PanelArtwork artwork;
    artwork.resize(360, 480);
    QVERIFY(artwork.isLoaded());
    const QImage image = artwork.grab().toImage();
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool red = c.red() > 200 && c.green() < 90 && c.blue() < 90;
            const bool green = c.green() > 160 && c.red() < 120 && c.blue() < 160;
            lit += red || green;
        }
    }
    QCOMPARE(lit, 0);
}

void tst_MainWindow::portSettingsWindowSavesAndShowsTheSettings()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        const QStringList texts = {"COM3", "4800", "E", "7", "2", "STD"};
        const QStringList boxes = {"cmbPort", "cmbBaud", "cmbParity",
                                   "cmbData", "cmbStop", "cmbProtocol"};
        for (int i = 0; i < 6; ++i)
            dialog->findChild<QComboBox *>(boxes[i])->setCurrentText(texts[i]);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnMenu_0")), Qt::LeftButton);
    QFile file(f.dir.filePath(QStringLiteral("Comm.CFG")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("COM3\r\n4800\r\nE\r\n7\r\n2\r\nSTD\r\n"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_1"))->text(), QStringLiteral("COM3"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_2"))->text(),
             QStringLiteral("4800,E,7,2"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_5"))->text(), QStringLiteral("STD"));
    QCOMPARE(f.engine->state().ChecksumMode, Frames::ChecksumMode::Std);

    // Cancel changes nothing.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QComboBox *>(QStringLiteral("cmbPort"))->setCurrentText("COM9");
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnMenu_0")), Qt::LeftButton);
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_1"))->text(), QStringLiteral("COM3"));
}

void tst_MainWindow::failedOpenIsReportedAndTheWindowStaysClosed()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    f.link.failNextOpen({LinkOpenResult::Failure::NotFound, QStringLiteral("no such port")});
    MessageBoxAnswer answer(QMessageBox::Ok);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnMenu_1")), Qt::LeftButton);
    QCOMPARE(answer.title, QStringLiteral("ZQ410"));
    QCOMPARE(answer.text, QStringLiteral("no such port"));
    QCOMPARE(control<QAction>(w, QStringLiteral("mSetPortOpen"))->text(),
             frmZQ410_Main::PortOpenCaption);
    QCOMPARE(control<QPushButton>(w, QStringLiteral("btnMenu_1"))->text(),
             QStringLiteral("통신포트 열기"));
    QVERIFY(!control<QLabel>(w, QStringLiteral("lblConnectChk"))->isVisible());
    f.clock.advance(3000);
    QVERIFY(f.link.sent().isEmpty());
}

void tst_MainWindow::goesOnlineWithTwoOfThreeControllers()
{
    Fixture f({1, 3});
    frmZQ410_Main &w = *f.window;
    f.pressF5();
    QCOMPARE(control<QAction>(w, QStringLiteral("mSetPortOpen"))->text(),
             frmZQ410_Main::PortCloseCaption);
    QCOMPARE(control<QPushButton>(w, QStringLiteral("btnMenu_1"))->text(),
             QStringLiteral("통신포트 닫기"));
    QVERIFY(control<QLabel>(w, QStringLiteral("lblConnectChk"))->isVisible());
    f.clock.advance(50);
    QVERIFY(control<CommIndicator>(w, QStringLiteral("picCommSTS"))->sendLit());
    f.clock.advance(250);
    QVERIFY(!control<CommIndicator>(w, QStringLiteral("picCommSTS"))->sendLit());
    QVERIFY(control<CommIndicator>(w, QStringLiteral("picCommSTS"))->receiveLit());
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblMC_No"))->text(), QStringLiteral("1"));
    f.goOnline();
    QVERIFY(control<StatusPanel>(w, QStringLiteral("picRun"))->isVisible());
    QVERIFY(!control<QLabel>(w, QStringLiteral("lblConnectChk"))->isVisible());
    QVERIFY(!control<QAction>(w, QStringLiteral("mSetPort"))->isEnabled());
    QVERIFY(!control<QPushButton>(w, QStringLiteral("btnMenu_0"))->isEnabled());
    QCOMPARE(pickerCell(w, 0).toString(), QStringLiteral("양호"));
    QCOMPARE(pickerCell(w, 0, Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 255, 0));
    QCOMPARE(pickerCell(w, 1).toString(), QStringLiteral("불량"));
    QCOMPARE(pickerCell(w, 1, Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::black));
    QCOMPARE(pickerCell(w, 2).toString(), QStringLiteral("양호"));
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblSV"))->text(), QStringLiteral("60.0"));
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblPV_0"))->text(), QStringLiteral("25.0"));
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblRestTime"))->text(),
             QStringLiteral("120"));
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblMEM"))->text(), QStringLiteral("1"));
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblOutput_0"))->text(),
             QStringLiteral("0.0"));
    QVERIFY(control<Lamp>(w, QStringLiteral("shpLED1_5"))->isLit()); // COMM
    QVERIFY(!control<Lamp>(w, QStringLiteral("shpLED1_0"))->isLit());
}

void tst_MainWindow::pickingADeviceFollowsOnlyConnectedRowsWhileOpen()
{
    Fixture f({1, 3});
    frmZQ410_Main &w = *f.window;
    f.clickPickerRow(2); // port closed
    QCOMPARE(f.engine->state().SelectedIndex, 0);
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblMC_No"))->text(), QString());

    f.goOnline();
    f.clickPickerRow(1); // device 2 is not connected
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblMC_No"))->text(), QStringLiteral("1"));
    QCOMPARE(f.engine->requests().pendingCode(), 0);

    // Device 3 runs hotter; the window shows it only once it is picked.
    f.line.controller(3)->writeRegister(102, 1);
    f.line.advance(60000);
    f.clock.advance(1000);
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblPV_0"))->text(), QStringLiteral("25.0"));
    QVERIFY(!control<QPushButton>(w, QStringLiteral("btnCMD_0"))->property("lit").toBool());

    f.clickPickerRow(2);
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblMC_No"))->text(), QStringLiteral("3"));
    QCOMPARE(f.engine->state().SelectedDeviceNo, 3);
    QCOMPARE(f.engine->requests().pendingCode(), 11);
    f.clock.advance(1000);
    QVERIFY(control<GradientLabel>(w, QStringLiteral("lblPV_0"))->text().toDouble() > 40);
    QVERIFY(control<QPushButton>(w, QStringLiteral("btnCMD_0"))->property("lit").toBool());

    // The header is no row.
    QTableView *grid = control<QTableView>(w, QStringLiteral("sprdStatus"));
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(10, grid->horizontalHeader()->height() / 2));
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblMC_No"))->text(), QStringLiteral("3"));
}

void tst_MainWindow::commandButtonsWriteTheirRegisterAndFollowTheStatus()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    f.goOnline();
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnCMD_7")), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnCMD_0")),
                      Qt::LeftButton); // only this one is sent
    QCOMPARE(f.engine->requests().pending().addresses, QList<int>({102}));
    for (int i = 0; i < 100 && !f.lastFrame().contains("DWR"); ++i)
        f.clock.advance(10);
    QCOMPARE(f.lastFrame().left(19), QByteArray("\x02"
                                                "01DWR,01,0102,0001"));
    f.clock.advance(1500);
    QVERIFY(control<QPushButton>(w, QStringLiteral("btnCMD_0"))->property("lit").toBool());
    // Painted pure red (255, 0, 0), as in the overview, not a tint of it.
    const QImage face = control<QPushButton>(w, QStringLiteral("btnCMD_0"))->grab().toImage();
    QCOMPARE(face.pixelColor(6, 6), QColor(255, 0, 0));
    QVERIFY(control<Lamp>(w, QStringLiteral("shpLED1_0"))->isLit()); // the pump runs

    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnCMD_7")), Qt::LeftButton);
    QCOMPARE(f.engine->requests().pending().addresses, QList<int>({110}));
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnCMD_5")), Qt::LeftButton);
    QCOMPARE(f.engine->requests().pending().addresses, QList<int>({110}));
    f.clock.advance(1500);
    QVERIFY(control<QPushButton>(w, QStringLiteral("btnCMD_7"))->property("lit").toBool());
    QVERIFY(!control<QPushButton>(w, QStringLiteral("btnCMD_1"))->property("lit").toBool());

    // A command the controller refuses three times is dropped, and the operator told which.
    f.line.setFault(SimulatedLine::Fault::Ng, 1);
    MessageBoxAnswer answer(QMessageBox::Ok);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnCMD_1")), Qt::LeftButton);
    f.clock.advance(3000);
    f.line.setFault(SimulatedLine::Fault::Ng, 0);
    QTRY_VERIFY(!answer.text.isEmpty());
    QCOMPARE(answer.title, QStringLiteral("ZQ410"));
    QVERIFY2(answer.text.contains(QStringLiteral("기기 1번이 레지스터 103에 1 쓰기 요청을 3회 "
                                                 "연속 거부(NG)했습니다")),
             qPrintable(answer.text));
    QVERIFY(!f.engine->isBusy());
}

void tst_MainWindow::memoryNumberBoxLimitsAndQueuesTheWrite()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    f.goOnline();
    StatusPanel &panel = *control<StatusPanel>(w, QStringLiteral("picRun"));
    QVERIFY(!control<NumberEdit>(panel, QStringLiteral("txtMEM"))->isVisible());
    QTest::mouseClick(control<GradientLabel>(panel, QStringLiteral("lblMEM")), Qt::LeftButton);
    QVERIFY(control<NumberEdit>(panel, QStringLiteral("txtMEM"))->isVisible());
    QCOMPARE(control<NumberEdit>(panel, QStringLiteral("txtMEM"))->text(), QStringLiteral("1"));
    control<NumberEdit>(panel, QStringLiteral("txtMEM"))->clear();
    QTest::keyClicks(control<NumberEdit>(panel, QStringLiteral("txtMEM")), QStringLiteral("150"));
    QCOMPARE(control<NumberEdit>(panel, QStringLiteral("txtMEM"))->text(), QStringLiteral("99"));
    control<NumberEdit>(panel, QStringLiteral("txtMEM"))->clear();
    QTest::keyClicks(control<NumberEdit>(panel, QStringLiteral("txtMEM")), QStringLiteral("-5"));
    QCOMPARE(control<NumberEdit>(panel, QStringLiteral("txtMEM"))->text(), QStringLiteral("0"));
    control<NumberEdit>(panel, QStringLiteral("txtMEM"))->clear();
    QTest::keyClicks(control<NumberEdit>(panel, QStringLiteral("txtMEM")), QStringLiteral("abc"));
    QVERIFY(control<NumberEdit>(panel, QStringLiteral("txtMEM"))
                ->isVisible()); // unconfirmed text stays
    control<NumberEdit>(panel, QStringLiteral("txtMEM"))->clear();
    QTest::keyClicks(control<NumberEdit>(panel, QStringLiteral("txtMEM")), QStringLiteral("7"));
    QTest::keyClick(control<NumberEdit>(panel, QStringLiteral("txtMEM")), Qt::Key_Return);
    QVERIFY(!control<NumberEdit>(panel, QStringLiteral("txtMEM"))->isVisible());
    QCOMPARE(control<GradientLabel>(panel, QStringLiteral("lblMEM"))->text(),
             QStringLiteral("1")); // until the next status block
    QCOMPARE(f.engine->requests().pendingCode(), 101);
    QCOMPARE(f.engine->requests().pending().addresses, QList<int>({131}));
    QCOMPARE(f.engine->requests().pending().values, QList<int>({7}));
    f.clock.advance(1500);
    QCOMPARE(control<GradientLabel>(panel, QStringLiteral("lblMEM"))->text(), QStringLiteral("7"));
}

void tst_MainWindow::closingThePortReturnsToTheClosedState()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    f.goOnline();
    // The status bar's third panel tells the port's state.
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_3"))->text(), QStringLiteral("OPEN"));
    // Closing asks; Escape and Enter (아니요 is the default) keep the line polled.
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        QString question;
        whenModal([&](QWidget *box) {
            question = static_cast<QMessageBox *>(box)->text();
            QTest::keyClick(box, key);
        });
        f.pressF5();
        QCOMPARE(question, frmZQ410_Main::ClosePortQuestion);
        QVERIFY(f.engine->isPortOpen());
        const qsizetype sent = f.link.sent().size();
        f.clock.advance(1000);
        QVERIFY(f.link.sent().size() > sent);
    }
    MessageBoxAnswer answer(QMessageBox::Yes);
    f.pressF5();
    QCOMPARE(answer.title, QStringLiteral("통신포트 닫기"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_3"))->text(), QStringLiteral("CLOSE"));
    QCOMPARE(control<QAction>(w, QStringLiteral("mSetPortOpen"))->text(),
             frmZQ410_Main::PortOpenCaption);
    QVERIFY(!f.engine->isPortOpen());
    QVERIFY(!control<StatusPanel>(w, QStringLiteral("picRun"))->isVisible());
    QVERIFY(control<QAction>(w, QStringLiteral("mSetPort"))->isEnabled());
    f.goOnline(); // and opens again
}

void tst_MainWindow::pulledAdapterIsReportedAndClosesTheWindowState()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    f.goOnline();
    MessageBoxAnswer answer(QMessageBox::Ok);
    f.link.pull();
    QCOMPARE(answer.title, QStringLiteral("ZQ410"));
    // In Korean, naming the port and what to do; the system's own words only as details.
    QCOMPARE(answer.text, QStringLiteral("통신포트 COM1의 연결이 끊어졌습니다.\n케이블이나 USB "
                                         "변환기를 다시 연결한 뒤 통신포트를 다시 여십시오."));
    QCOMPARE(answer.details, QStringLiteral("device removed"));
    QCOMPARE(control<QLabel>(w, QStringLiteral("StatusBar1_3"))->text(), QStringLiteral("CLOSE"));
    QCOMPARE(control<QAction>(w, QStringLiteral("mSetPortOpen"))->text(),
             frmZQ410_Main::PortOpenCaption);
    QVERIFY(!control<StatusPanel>(w, QStringLiteral("picRun"))->isVisible());
    QVERIFY(control<QAction>(w, QStringLiteral("mSetPort"))->isEnabled());
    QCOMPARE(pickerCell(w, 0).toString(), QString()); // no longer "양호"
}

void tst_MainWindow::exitAsksFirstAndNoKeepsPolling()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    f.goOnline();
    {
        MessageBoxAnswer answer(QMessageBox::No);
        control<QAction>(w, QStringLiteral("mSetExit"))->trigger();
        QCOMPARE(answer.title, QStringLiteral("프로그램 종료 확인"));
        QVERIFY(answer.text.startsWith(QStringLiteral("프로그램을 종료할까요?")));
    }
    QVERIFY(w.isVisible());
    QVERIFY(f.engine->isPortOpen());
    const qsizetype sent = f.link.sent().size();
    f.clock.advance(1000);
    QVERIFY(f.link.sent().size() > sent);

    MessageBoxAnswer yes(QMessageBox::Yes);
    w.close();
    QVERIFY(!w.isVisible());
    QVERIFY(!f.engine->isPortOpen());
}

void tst_MainWindow::parameterAndErrorWindowsOpenOnlyOnLine()
{
    Fixture f({1}, {1});
    frmZQ410_Main &w = *f.window;
    QVERIFY(!control<QPushButton>(w, QStringLiteral("btnMenu_5"))->isEnabled());
    QVERIFY(!control<QMenu>(w, QStringLiteral("mOnline"))->isEnabled());
    f.goOnline();
    QVERIFY(control<QMenu>(w, QStringLiteral("mOnline"))->isEnabled());
    for (const auto &[button, title] :
         {std::pair{"btnMenu_5", "파라메터 설정"}, std::pair{"btnMenu_6", "에러 메시지"}}) {
        QString shown;
        whenModal([&shown, &f](QWidget *modal) {
            shown = modal->windowTitle();
            f.clock.advance(1000); // the window's read goes out and is answered meanwhile
            control<QPushButton>(*modal, QStringLiteral("btnClose"))->click();
        });
        QTest::mouseClick(control<QPushButton>(w, QString::fromLatin1(button)), Qt::LeftButton);
        QCOMPARE(shown, QString::fromUtf8(title));
    }
    const QList<QByteArray> frames = f.frames();
    QVERIFY(std::any_of(frames.begin(), frames.end(), [](const QByteArray &frame) {
        return frame.startsWith("\x02"
                                "01DRR,31");
    }));
    QVERIFY(std::any_of(frames.begin(), frames.end(), [](const QByteArray &frame) {
        return frame.startsWith("\x02"
                                "01DRR,05,0700");
    }));
}

void tst_MainWindow::helpAndManualOpenBesideTheProgramOrSayWhereTheyWereLookedFor()
{
    Fixture f({1});
    frmZQ410_Main &w = *f.window;
    QTemporaryDir folder;
    QDir().mkpath(folder.filePath(QStringLiteral("Help")));
    QFile index(folder.filePath(QStringLiteral("Help/index.html")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.close();
    QList<QUrl> opened;
    w.setDocumentFolder(folder.path());
    w.setDocumentOpener([&opened](const QUrl &url) {
        opened.append(url);
        return true;
    });
    QApplication::setActiveWindow(&w);
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(index.fileName())});
    // No manual there: the operator is told where it was looked for.
    MessageBoxAnswer answer(QMessageBox::Ok);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnMenu_12")), Qt::LeftButton);
    QCOMPARE(answer.text,
             QStringLiteral("파일이 없습니다. 찾은 곳:\n%1")
                 .arg(QDir::toNativeSeparators(folder.filePath(QStringLiteral("ZQ410.pdf")))));
    QCOMPARE(opened.size(), 1);
}

/// Commands enabled in Mqtt.INI still wait for the operator's "원격 조작 허용", off at the start.
void tst_MainWindow::remoteCommandsNeedTheOperatorsSwitch()
{
    MainWindowHarness h({}, {1},
                        {{QStringLiteral("CFG/Mqtt.INI"), "Enabled=true\nHost=127.0.0.1\nPort=9\n"
                                                          "[Commands]\nEnabled=true\nUsers=a\n"}});
    QLabel *label = control<QLabel>(*h.window, QStringLiteral("lblRemote"));
    QAction *allow = control<QAction>(*h.window, QStringLiteral("mSetRemote"));
    QCOMPARE(label->text(), QStringLiteral("원격 조작 꺼짐"));
    QVERIFY(!allow->isChecked() && !h.server->commandsEnabled());
    allow->trigger();
    QCOMPARE(label->text(), QStringLiteral("원격 조작 허용"));
    QVERIFY(h.server->commandsEnabled());
    allow->trigger();
    QCOMPARE(label->text(), QStringLiteral("원격 조작 꺼짐"));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
