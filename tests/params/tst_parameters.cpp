#include "EngineHarness.h"
#include "FindControl.h"
#include "ModalAnswer.h"
#include "frmZQ410_EditVal.h"
#include "frmZQ410_PRMT.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

using F = DeviceTable::Field;

/// The parameter window of controller 7 on line, opened as the main window opens it.
struct Parameters : EngineHarness
{
    std::unique_ptr<frmZQ410_PRMT> window;

    explicit Parameters(const QList<std::pair<int, int>> &registers = {})
        : EngineHarness({{7}, "SUM", false}, {7})
    {
        for (const auto &[address, value] : registers)
            line.controller(7)->writeRegister(address, value);
        startUp();
        QVERIFY(engine->openPort().ok());
        QVERIFY(untilOnline());
        engine->readParameters();
        open();
    }
    void open()
    {
        window = std::make_unique<frmZQ410_PRMT>(*engine);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        settle();
    }
    /// Long enough for the queued request, its reply, the read-back and the refresh.
    void settle() { clock.advance(1000); }
    QLineEdit *box(const char *name) const
    {
        return control<QLineEdit>(*window, QString::fromLatin1(name));
    }
    /// Types into a box and confirms with Enter.
    void enter(const char *name, const QString &text)
    {
        QLineEdit *edit = box(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    /// Types into a box without confirming it.
    void type(const char *name, const QString &text)
    {
        QLineEdit *edit = box(name);
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    /// The register writes sent from index first on, as "address=value".
    QStringList writesSince(qsizetype first) const
    {
        QStringList writes;
        for (const QByteArray &frame : frames(first)) {
            if (frame.mid(3, 6) == "DWR,01")
                writes.append(QStringLiteral("%1=%2")
                                  .arg(frame.mid(10, 4).toInt())
                                  .arg(Frames::HexToSigned16(frame.mid(15, 4))));
        }
        return writes;
    }
    QPair<QList<int>, QList<int>> queued() const
    {
        return {engine->requests().pending().addresses, engine->requests().pending().values};
    }
};

class tst_Parameters : public QObject
{
    Q_OBJECT

private slots:
    void openingReadsTheBlockAndShowsIt();
    void entriesAreConvertedAsTheirKindSays_data();
    void entriesAreConvertedAsTheirKindSays();
    void onlyTheLastOfTwoQuickChangesIsWritten();
    void valueOutsideTheRegisterIsRefused_data();
    void valueOutsideTheRegisterIsRefused();
    void unitAndUnknownOptionFollowTheController();
    void valueDialogWritesThePAndRefusesAnEmptyEntry();
    void timerDescriptionsLiveInTimerNnn();
    void windowFitsTheScreenWithCloseInSight();
    void enterOrMovingOnWritesEscapeOrCloseWritesNothing();
    void refusedWriteReturnsTheBoxToTheControllersValue();
};

void tst_Parameters::openingReadsTheBlockAndShowsIt()
{
    Parameters p;
    // The 31 registers in the order the block is asked for, to the selected controller.
    QVERIFY(p.frames().contains("\x02"
                                "07DRR,31,0300,0301,0304,0305,0306,0308,0309,0400,0401,0402,0403,"
                                "0405,0406,0407,0408,0500,0501,0504,0505,0506,0507,0508,0509,0511,"
                                "0600,0603,0605,0606,0607,0618,020589\r\n"));
    QCOMPARE(p.box("txtTempH")->text(), p.engine->table().field(0, F::UpperLimit));
    QVERIFY(!p.box("txtTempH")->text().isEmpty());
    QCOMPARE(control<QTableWidget>(*p.window, QStringLiteral("sprdCTRL"))->item(0, 0)->text(),
             p.engine->table().field(0, F::Pb));
    // The refresh itself queues nothing, though it selects every option group.
    QCOMPARE(p.engine->requests().pendingCode(), 0);
    p.clock.advance(5000);
    QVERIFY(p.frames().last().startsWith("\x02"
                                         "07DRR,16")); // status polling goes on
}

void tst_Parameters::entriesAreConvertedAsTheirKindSays_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::newRow("scaled, half to even") << 1 << "txtTempH"
                                          << "12.25" << 504 << 122;
    QTest::newRow("scaled at DP 1") << 1 << "txtTempH"
                                    << "12.3" << 504 << 123;
    QTest::newRow("scaled at DP 0") << 0 << "txtALH"
                                    << "13.5" << 304 << 14;
    QTest::newRow("scaled at DP 0, down") << 0 << "txtALH"
                                          << "12.5" << 304 << 12;
    QTest::newRow("tenths whatever DP") << 0 << "txtHB1"
                                        << "3.5" << 308 << 35;
    QTest::newRow("plain") << 1 << "txtRemocon"
                           << "9" << 205 << 9;
    QTest::newRow("no number is 0") << 1 << "txtRevTemp1_1"
                                    << "abc" << 509 << 0;
}

void tst_Parameters::entriesAreConvertedAsTheirKindSays()
{
    QFETCH(int, decimals);
    QFETCH(QString, box);
    QFETCH(QString, entry);
    QFETCH(int, address);
    QFETCH(int, value);
    Parameters p({{506, decimals}});
    QCOMPARE(p.engine->state().DecimalPlaces, decimals);
    p.enter(box.toLatin1().constData(), entry);
    QCOMPARE(p.queued(), qMakePair(QList<int>{address}, QList<int>{value}));
    QCOMPARE(p.engine->requests().pendingCode(), 101);
}

void tst_Parameters::onlyTheLastOfTwoQuickChangesIsWritten()
{
    Parameters p({{506, 1}});
    p.enter("txtTempH", "80");
    p.enter("txtTempL", "5");
    const qsizetype before = p.link.sent().size();
    p.runFrames(2);
    const QList<QByteArray> sent = p.frames(before);
    QCOMPARE(sent.at(0), QByteArray("\x02"
                                    "07DWR,01,0505,0032C8\r\n"));
    QVERIFY(sent.at(1).startsWith("\x02"
                                  "07DRR,31")); // read back
    p.settle();
    QCOMPARE(p.box("txtTempL")->text(), QStringLiteral("5.0"));
    QVERIFY(p.box("txtTempH")->text() != QStringLiteral("80")); // never written
}

void tst_Parameters::valueOutsideTheRegisterIsRefused_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("range");
    QTest::newRow("one decimal") << 1 << QStringLiteral("5000")
                                 << QStringLiteral("-3276.8 ~ 3276.7");
    QTest::newRow("none, too high")
        << 0 << QStringLiteral("32768") << QStringLiteral("-32768 ~ 32767");
    QTest::newRow("none, too low")
        << 0 << QStringLiteral("-32769") << QStringLiteral("-32768 ~ 32767");
    QTest::newRow("two decimals") << 2 << QStringLiteral("-327.69")
                                  << QStringLiteral("-327.68 ~ 327.67");
}

/// The register holds a signed 16-bit number: beyond it the operator is told the range and
/// nothing is written.
void tst_Parameters::valueOutsideTheRegisterIsRefused()
{
    QFETCH(int, decimals);
    QFETCH(QString, typed);
    QFETCH(QString, range);
    Parameters p({{506, decimals}});
    const QString shown = p.box("txtTempH")->text();
    MessageBoxAnswer answer(QMessageBox::Ok);
    p.enter("txtTempH", typed);
    QTRY_VERIFY(!answer.text.isEmpty());
    QCOMPARE(answer.title, QStringLiteral("ZQ410"));
    QVERIFY2(answer.text.contains(range), qPrintable(answer.text));
    QCOMPARE(p.engine->requests().pendingCode(), 0);
    QCOMPARE(p.box("txtTempH")->text(), shown);
}

void tst_Parameters::unitAndUnknownOptionFollowTheController()
{
    Parameters p({{507, 1}, {500, 3}});
    for (int i = 0; i < 4; ++i)
        QCOMPARE(control<QLabel>(*p.window, QStringLiteral("lblTUnit_%1").arg(i))->text(),
                 QStringLiteral("℉"));
    QCOMPARE(control<QTableWidget>(*p.window, QStringLiteral("sprdCTRL"))->item(0, 2)->text(),
             QStringLiteral("℉"));
    QVERIFY(control<QAbstractButton>(*p.window, QStringLiteral("optTUnit_1"))->isChecked());
    // A sensor number the group has no option for selects none and breaks nothing.
    for (int i = 0; i < 3; ++i)
        QVERIFY(!control<QAbstractButton>(*p.window, QStringLiteral("optSens1_%1").arg(i))
                     ->isChecked());
    // A click on an option writes its index.
    QTest::mouseClick(control<QAbstractButton>(*p.window, QStringLiteral("optSens2_1")),
                      Qt::LeftButton);
    QCOMPARE(p.queued(), qMakePair(QList<int>{501}, QList<int>{1}));
}

void tst_Parameters::valueDialogWritesThePAndRefusesAnEmptyEntry()
{
    Parameters p({{506, 1}});
    QTableWidget *grid = control<QTableWidget>(*p.window, QStringLiteral("sprdCTRL"));
    whenModal([&p](QWidget *modal) {
        QCOMPARE(modal->windowTitle(), QStringLiteral("냉각측 P"));
        QCOMPARE(control<QLabel>(*modal, QStringLiteral("lblOldVal"))->text(),
                 p.engine->table().field(0, F::Pbc));
        MessageBoxAnswer *empty = new MessageBoxAnswer(QMessageBox::Ok);
        QTest::mouseClick(control<QPushButton>(*modal, QStringLiteral("btnOK")), Qt::LeftButton);
        QCOMPARE(empty->text, QStringLiteral("변경값을 입력하시오."));
        delete empty;
        QTest::keyClicks(control<QLineEdit>(*modal, QStringLiteral("txtEditVal")),
                         QStringLiteral("2.55"));
        QTest::mouseClick(control<QPushButton>(*modal, QStringLiteral("btnOK")), Qt::LeftButton);
    });
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(0, 1)).center());
    QCOMPARE(p.queued(), qMakePair(QList<int>{405}, QList<int>{26})); // 25.5 -> 26 (even)

    // The unit column opens nothing.
    p.settle(); // the write above has been taken from the slot
    QCOMPARE(p.engine->requests().pendingCode(), 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(1, 2)).center());
    QCOMPARE(p.engine->requests().pendingCode(), 0);
}

void tst_Parameters::timerDescriptionsLiveInTimerNnn()
{
    QCOMPARE(SettingsFiles(QStringLiteral("/opt/zq410")).timerPath(7),
             QStringLiteral("/opt/zq410/Timer.007"));
    QCOMPARE(SettingsFiles(QStringLiteral("/x")).timerPath(12), QStringLiteral("/x/Timer.012"));

    Parameters p;
    QTableWidget *timers = control<QTableWidget>(*p.window, QStringLiteral("sprdTimer"));
    timers->item(1, 2)->setText(QStringLiteral("펌프 교체\t주기"));
    const QString file = p.dir.filePath(QStringLiteral("Timer.007"));
    QVERIFY(QFile::exists(file));
    p.window.reset();
    p.engine->readParameters();
    p.window = std::make_unique<frmZQ410_PRMT>(*p.engine);
    timers = control<QTableWidget>(*p.window, QStringLiteral("sprdTimer"));
    QCOMPARE(timers->item(1, 2)->text(), QStringLiteral("펌프 교체\t주기"));
    QCOMPARE(timers->item(2, 0)->text(), QStringLiteral("3"));
}

/// Enter confirms a box and the window stays; Tab or a click on another control confirms too.
/// Escape, a click on Close or the window going away leave the controller as it was.
void tst_Parameters::enterOrMovingOnWritesEscapeOrCloseWritesNothing()
{
    Parameters p({{506, 1}});
    SimulatedController &controller = *p.line.controller(7);
    const int lowerBefore = controller.readRegister(505).value();
    qsizetype first = p.link.sent().size();
    p.enter("txtTempH", "80");
    p.settle();
    QVERIFY(p.window->isVisible());
    QCOMPARE(p.writesSince(first), QStringList{QStringLiteral("504=800")});
    QCOMPARE(p.box("txtTempH")->text(), QStringLiteral("80.0"));

    first = p.link.sent().size();
    p.type("txtTempH", "70");
    QTest::keyClick(p.box("txtTempH"), Qt::Key_Tab);
    p.settle();
    QCOMPARE(p.writesSince(first), QStringList{QStringLiteral("504=700")});

    first = p.link.sent().size();
    p.type("txtTempH", "65");
    QTest::mouseClick(p.box("txtHB1"), Qt::LeftButton);
    p.settle();
    QCOMPARE(p.writesSince(first), QStringList{QStringLiteral("504=650")});
    QVERIFY(p.window->isVisible());

    first = p.link.sent().size();
    p.type("txtTempL", "60");
    QTest::keyClick(p.box("txtTempL"), Qt::Key_Escape);
    QVERIFY(!p.window->isVisible());
    p.settle();
    QCOMPARE(p.writesSince(first), QStringList());

    p.open();
    p.type("txtTempL", "55");
    QTest::mouseClick(control<QPushButton>(*p.window, QStringLiteral("btnClose")), Qt::LeftButton);
    QVERIFY(!p.window->isVisible());
    p.window.reset();
    p.settle();
    QCOMPARE(p.writesSince(first), QStringList());
    QCOMPARE(controller.readRegister(505).value(), lowerBefore);
    QCOMPARE(controller.readRegister(504).value(), 650);
}

/// A write the controller refuses three times is dropped: the box shows the controller's value
/// again and the operator is told which controller did not take which write.
void tst_Parameters::refusedWriteReturnsTheBoxToTheControllersValue()
{
    Parameters p({{506, 1}});
    const QString shown = p.box("txtTempH")->text();
    MessageBoxAnswer answer(QMessageBox::Ok);
    p.line.setFault(SimulatedLine::Fault::Ng, 1);
    p.enter("txtTempH", "80");
    QCOMPARE(p.box("txtTempH")->text(), QStringLiteral("80"));
    QVERIFY(p.runUntil([&p, &shown] { return p.box("txtTempH")->text() == shown; }, 5000));
    p.line.setFault(SimulatedLine::Fault::Ng, 0);
    QTRY_VERIFY(!answer.text.isEmpty());
    p.settle();
    QVERIFY2(answer.text.contains(QStringLiteral("기기 7번")), qPrintable(answer.text));
    QVERIFY(answer.text.contains(QStringLiteral("레지스터 504에 800 쓰기")));
    QCOMPARE(p.box("txtTempH")->text(), shown);
    QVERIFY(p.window->isVisible());
}

/// On a screen lower than the panels (the test screen is 800 x 600) the window stays within it,
/// the panels scroll, and 닫기 and the off-line note stay in sight.
void tst_Parameters::windowFitsTheScreenWithCloseInSight()
{
    Parameters p;
    const QRect screen = p.window->screen()->availableGeometry();
    QVERIFY2(p.window->height() <= screen.height() && p.window->width() <= screen.width(),
             qPrintable(QStringLiteral("%1 x %2").arg(p.window->width()).arg(p.window->height())));
    auto *scroll = control<QScrollArea>(*p.window, QStringLiteral("scrPanels"));
    QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
    QPushButton *close = control<QPushButton>(*p.window, QStringLiteral("btnClose"));
    QVERIFY(close->isVisible());
    QVERIFY(
        p.window->rect().contains(QRect(close->mapTo(p.window.get(), QPoint()), close->size())));
    // The bottom of the panels can be scrolled to.
    QTableWidget *timers = control<QTableWidget>(*p.window, QStringLiteral("sprdTimer"));
    scroll->ensureWidgetVisible(timers);
    const QPoint corner = timers->mapTo(scroll->viewport(), QPoint(0, timers->height() - 1));
    QVERIFY(scroll->viewport()->rect().contains(corner));
}

QTEST_MAIN(tst_Parameters)
#include "tst_parameters.moc"
