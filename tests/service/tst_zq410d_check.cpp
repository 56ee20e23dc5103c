#include "ProgramFolder.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

/// zq410d --check on program folders, good and broken.
class tst_Zq410dCheck : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
};

void tst_Zq410dCheck::check_data()
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
    QTest::newRow("broker and limits described")
        << "CFG/Mqtt.INI" << QByteArray("Enabled=true\nHost=10.0.0.5\nPrefix=plant/l1\n") << 0
        << "MQTT: 10.0.0.5:1883, 접두어 plant/l1";
}

/// The plan goes to standard output, each problem to standard error naming file and line or
/// key; the exit code says whether the folder is fit to run. Nothing is written.
void tst_Zq410dCheck::check()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
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

QTEST_GUILESS_MAIN(tst_Zq410dCheck)
#include "tst_zq410d_check.moc"
