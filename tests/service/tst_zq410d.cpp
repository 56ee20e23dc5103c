#include "ProgramFolder.h"
#include "SerialLink.h"
#include "SimulatorProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

/// zq410d as a process: --check on program folders good and broken, and one master per line.
class tst_Zq410d : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void monitorIsToldTheServiceHoldsThePort();
};

void tst_Zq410d::check_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("good") << "" << QByteArray() << 0 << "기록: 1초마다";
    QTest::newRow("no Comm.CFG") << "Comm.CFG" << QByteArray("-") << 1
                                 << "Comm.CFG: 파일이 없습니다";
    QTest::newRow("short Comm.CFG") << "Comm.CFG" << QByteArray("COM1\r\n9600\r\n") << 1
                                    << "Comm.CFG: 6줄이 필요한데 2줄뿐입니다";
    QTest::newRow("bad protocol") << "Comm.CFG"
                                  << QByteArray("COM1\r\n9600\r\nN\r\n8\r\n1\r\nXYZ\r\n") << 1
                                  << "Comm.CFG 6줄";
    QTest::newRow("bad baud") << "Comm.CFG" << QByteArray("COM1\r\nfast\r\nN\r\n8\r\n1\r\nSUM\r\n")
                              << 1 << "Comm.CFG 2줄";
    QTest::newRow("no controller in use")
        << "CFG/SetMulti.INI" << QByteArray("X\t\r\nX\t\r\n") << 1 << "CFG/SetMulti.INI";
    QTest::newRow("missing data folder")
        << "CFG/SaveData.INI" << QByteArray("Yes\r\n1\r\n\xC3\xCA\r\n/nonexistent/zq\r\nZQ410\r\n")
        << 1 << "CFG/SaveData.INI 4줄";
    QTest::newRow("bad broker port") << "CFG/Mqtt.INI" << QByteArray("Enabled=true\nPort=abc\n")
                                     << 1 << "CFG/Mqtt.INI: Mqtt.INI의 Port";
    QTest::newRow("bad alarm limit")
        << "CFG/Alarm.INI" << QByteArray("[03]\nHigh=hot\n") << 1 << "[03]의 High";
    QTest::newRow("refused port not summarised")
        << "CFG/Mqtt.INI" << QByteArray("Enabled=true\nPort=abc\n") << 1
        << "MQTT: 설정 오류로 발행하지 않음";
    QTest::newRow("password others may read")
        << "CFG/Mqtt.INI" << QByteArray("Enabled=true\nHost=10.0.0.5\nUsername=u\nPassword=p\n")
        << 0 << "CFG/Mqtt.INI에 브로커 비밀번호가 있는데 다른 사용자도 읽을 수 있습니다 (권한 644)";
    QTest::newRow("an instance's own default prefix")
        << "CFG/Mqtt.INI" << QByteArray("Enabled=true\nHost=10.0.0.5\n") << 0
        << "접두어 zq410/%HOST/%NAME, 클라이언트 zq410-%HOST-%NAME";
    QTest::newRow("broker and limits described")
        << "CFG/Mqtt.INI" << QByteArray("Enabled=true\nHost=10.0.0.5\nPrefix=plant/l1\n") << 0
        << "MQTT: 10.0.0.5:1883, 접두어 plant/l1";
}

/// The plan goes to standard output, each problem to standard error naming file and line or
/// key; the exit code says whether the folder is fit to run. Nothing is written.
void tst_Zq410d::check()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
    said.replace("%HOST", QSysInfo::machineHostName())
        .replace("%NAME", QFileInfo(dir.path()).fileName());
    const ProgramFolder folder(dir.path());
    QVERIFY(QDir().mkpath(dir.filePath("data")));
    folder.writePort("/dev/ttyUSB0", "SUM");
    folder.writeDeviceList({1, 2});
    folder.write("CFG/SaveData.INI",
                 "Yes\r\n1\r\n\xC3\xCA\r\n" + dir.filePath("data").toLocal8Bit() + "\r\nZQ410\r\n");
    if (contents == "-")
        QVERIFY(QFile::remove(dir.filePath(file)));
    else if (!file.isEmpty())
        folder.write(file, contents);
    if (!file.isEmpty() && contents != "-") // as a file written by hand with the usual umask
        QVERIFY(QFile::setPermissions(dir.filePath(file),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    QProcess check;
    check.start(QStringLiteral(ZQ410D), {"--check", "--folder", dir.path()});
    QVERIFY2(check.waitForFinished(10000), "zq410d --check did not finish in 10 s");
    const QString out = QString::fromUtf8(check.readAllStandardOutput());
    const QString err = QString::fromUtf8(check.readAllStandardError());
    QCOMPARE(check.exitCode(), exitCode);
    QVERIFY2((out + err).contains(said), qPrintable(out + err));
    if (exitCode != 0)
        QVERIFY2(err.startsWith(QStringLiteral("오류: ")), qPrintable(err));
    QVERIFY(out.contains(QStringLiteral("프로그램 폴더: ")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

/// The service holds the line's port: the monitor opening it is told, in Korean, that the
/// service zq410d holds it, instead of a bare "in use".
void tst_Zq410d::monitorIsToldTheServiceHoldsThePort()
{
    QTemporaryDir dir;
    const QString linkPath = dir.filePath("line");
    SimulatorProcess simulator(QStringLiteral(ZQ410_SIM), linkPath, {"--devices", "1"});
    QVERIFY2(!simulator.ptyPath().isEmpty(), "zq410-sim did not start");
    const ProgramFolder folder(dir.path());
    folder.writePort(linkPath.toLocal8Bit(), "SUM");
    folder.writeDeviceList({1});
    QProcess service;
    service.setProcessChannelMode(QProcess::MergedChannels);
    service.start(QStringLiteral(ZQ410D), {"--folder", dir.path()});
    QVERIFY(service.waitForStarted(5000));
    QByteArray log;
    QTRY_VERIFY2_WITH_TIMEOUT((log += service.readAll()).contains("통신포트 열림"), log.constData(),
                              10000);

    SerialLink monitor;
    const LinkOpenResult result = monitor.open({linkPath, "9600", "N", "8", "1"});
    QCOMPARE(result.failure, LinkOpenResult::Failure::InUse);
    QVERIFY2(result.description.contains(
                 QStringLiteral("서비스 zq410d(PID %1)").arg(service.processId())),
             qPrintable(result.description));
    QVERIFY(result.description.contains(QStringLiteral("systemctl stop zq410d")));

    service.terminate();
    QVERIFY(service.waitForFinished(5000));
    QCOMPARE(service.exitCode(), 0);
    QVERIFY2(monitor.open({linkPath, "9600", "N", "8", "1"}).ok(),
             "the port is free once the service stopped");
}

QTEST_GUILESS_MAIN(tst_Zq410d)
#include "tst_zq410d.moc"
