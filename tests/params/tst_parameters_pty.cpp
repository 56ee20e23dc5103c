#include "FindControl.h"
#include "MonitorSettings.h"
#include "PollingEngine.h"
#include "ProgramFolder.h"
#include "SerialLink.h"
#include "SimulatorProcess.h"
#include "SystemClock.h"
#include "frmZQ410_PRMT.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

class tst_ParametersPty : public QObject
{
    Q_OBJECT

private slots:
    void windowReadsWritesAndReadsBackOverTheSerialLine();
};

/// The real serial link to zq410-sim on a pseudo-terminal: opening the window reads the block in
/// its register order, a change is written and the window shows the controller's read-back.
void tst_ParametersPty::windowReadsWritesAndReadsBackOverTheSerialLine()
{
    QTemporaryDir dir;
    const QString line = dir.filePath(QStringLiteral("line"));
    SimulatorProcess sim(QStringLiteral(ZQ410_SIM), line,
                         {QStringLiteral("--devices"), QStringLiteral("1")});
    QVERIFY(!sim.ptyPath().isEmpty());
    const ProgramFolder folder(dir.path());
    folder.writeDeviceList({1});
    folder.writePort(line.toLocal8Bit(), "SUM");
    folder.write(QStringLiteral("CFG/LogSaveF.INI"), "1\r\n");
    SystemClock clock;
    SerialLink link;
    PollingEngine engine(link, clock, dir.path());
    MonitorSettings(engine, dir.path(), dir.filePath(QStringLiteral("data"))).load();
    QVERIFY(engine.openPort().ok());
    QTRY_VERIFY_WITH_TIMEOUT(engine.isOnline(), 5000);

    engine.readParameters();
    frmZQ410_PRMT window(engine);
    window.show();
    auto *upper = control<QLineEdit>(window, QStringLiteral("txtTempH"));
    QTRY_VERIFY_WITH_TIMEOUT(!upper->text().isEmpty(), 5000);
    upper->setFocus();
    upper->selectAll();
    QTest::keyClicks(upper, QStringLiteral("180"));
    QTest::keyClick(upper, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(upper->text(), QStringLiteral("180.0"), 5000);
    engine.closePort();

    QFile trace(dir.filePath(QStringLiteral("RecvData.txt")));
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QByteArray lines = trace.readAll();
    QVERIFY(lines.contains("<STX>01DRR,31,0300,0301,0304,0305,0306,0308,0309,0400,0401,0402,0403,"
                           "0405,0406,0407,0408,0500,0501,0504,0505,0506,0507,0508,0509,0511,0600,"
                           "0603,0605,0606,0607,0618,0205"));
    QVERIFY(lines.contains("<STX>01DWR,01,0504,0708")); // 180.0 at one decimal: 1800
}

QTEST_MAIN(tst_ParametersPty)
#include "tst_parameters_pty.moc"
