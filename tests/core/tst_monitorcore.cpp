#include "MemoryLink.h"
#include "MonitorCore.h"
#include "ProgramFolder.h"
#include "SimulatedLine.h"
#include "VirtualClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_MonitorCore : public QObject
{
    Q_OBJECT

private slots:
    void runsWithoutAWindowPollsAndRecords();
};

/// The core alone (no window, no widgets in this program): started, it reads its settings;
/// with the port open it polls the controllers and records the running one every second.
void tst_MonitorCore::runsWithoutAWindowPollsAndRecords()
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(data));
    const ProgramFolder folder(dir.path());
    folder.writeDeviceList({1, 2});
    folder.writePort("COM1", "SUM");
    folder.write(QStringLiteral("CFG/SaveData.INI"),
                 "Yes\r\n1\r\n\xC3\xCA\r\n" + data.toLocal8Bit() + "\r\nZQ410\r\n"); // 1 초
    VirtualClock clock(QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5)));
    MemoryLink link(clock);
    SimulatedLine line({1, 2}, Frames::ChecksumMode::Sum);
    link.attach(&line);
    line.controller(2)->writeRegister(102, 1); // controller 2 runs

    MonitorCore core(clock, link, dir.path(), dir.filePath(QStringLiteral("home")));
    core.start();
    QCOMPARE(core.engine().state().DeviceList, QList<int>({1, 2}));
    QVERIFY(core.engine().state().recording.RecordSwitch == QStringLiteral("Yes"));
    QVERIFY(core.engine().openPort().ok());
    clock.advance(12000);
    QVERIFY(core.engine().isOnline());
    QVERIFY(core.engine().isCurrent(0));
    QVERIFY(core.engine().isCurrent(1));

    QFile two(QDir(data).filePath(QStringLiteral("ZQ410_02.DAT")));
    QVERIFY(two.open(QIODevice::ReadOnly));
    const QList<QByteArray> records = two.readAll().split('\n');
    QVERIFY2(records.size() >= 8, QByteArray::number(records.size()).constData());
    QVERIFY(records.first().startsWith("2024-05-01\t13:04:"));
    QVERIFY(!QFile::exists(QDir(data).filePath(QStringLiteral("ZQ410_01.DAT")))); // stopped
    QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
}

QTEST_GUILESS_MAIN(tst_MonitorCore)
#include "tst_monitorcore.moc"
