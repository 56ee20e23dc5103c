#include "FifoTrap.h"
#include "SettingsFiles.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

class tst_SettingsFiles : public QObject
{
    Q_OBJECT

private slots:
    void firstStartWritesDefaultPortSettings();
    void shortCommFileFallsBackWhollyAndIsRewritten();
    void savedPortSettingsAreSixLinesInOrder();
    void recordingSettingsDefaultsCreateTheDataFolderOnly();
    void recordingSettingsAreReadAsWritten();
    void deviceListFollowsTheInUseMark();
    void emptyLineEndsTheDeviceList();
    void deviceListRowsAreReadAndWrittenWhole_data();
    void deviceListRowsAreReadAndWrittenWhole();
    void traceSwitch_data();
    void traceSwitch();
    void fifosInPlaceOfSettingsFilesCountAsMissing();
};

static void write(const QString &path, const QByteArray &bytes)
{
    QVERIFY(TestFiles::write(path, bytes));
}

using TestFiles::contents;

void tst_SettingsFiles::firstStartWritesDefaultPortSettings()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    const PortSettings settings = files.LoadPortSettings();
    QCOMPARE(settings.PortName, QStringLiteral("COM1"));
    QCOMPARE(settings.Protocol, QStringLiteral("SUM"));
    QCOMPARE(contents(dir.filePath(QStringLiteral("Comm.CFG"))),
             QByteArray("COM1\r\n9600\r\nN\r\n8\r\n1\r\nSUM\r\n"));
}

void tst_SettingsFiles::shortCommFileFallsBackWhollyAndIsRewritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Comm.CFG"));
    write(path, "COM3\r\n4800\r\nE\r\n7\r\n");
    SettingsFiles files(dir.path());
    QCOMPARE(files.LoadPortSettings(), PortSettings());
    QCOMPARE(contents(path), QByteArray("COM1\r\n9600\r\nN\r\n8\r\n1\r\nSUM\r\n"));
}

void tst_SettingsFiles::savedPortSettingsAreSixLinesInOrder()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    PortSettings settings{QStringLiteral("COM20"), QStringLiteral("4800"), QStringLiteral("E"),
                          QStringLiteral("7"),     QStringLiteral("2"),    QStringLiteral("STD")};
    QVERIFY(files.SavePortSettings(settings));
    QCOMPARE(contents(files.commPath()), QByteArray("COM20\r\n4800\r\nE\r\n7\r\n2\r\nSTD\r\n"));
    QCOMPARE(files.LoadPortSettings(), settings);
}

void tst_SettingsFiles::recordingSettingsDefaultsCreateTheDataFolderOnly()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    const QString dataFolder = dir.filePath(QStringLiteral("home/ZQ410_DATA"));
    const RecordingSettings settings = files.LoadRecordingSettings(dataFolder);
    QCOMPARE(settings.RecordSwitch, QStringLiteral("No"));
    QCOMPARE(settings.RecordInterval, 1);
    QCOMPARE(settings.RecordUnit, QStringLiteral("분"));
    QCOMPARE(settings.DataFolder, dataFolder);
    QCOMPARE(settings.DataFilePrefix, QStringLiteral("ZQ410"));
    QVERIFY(QDir(dataFolder).exists());
    QVERIFY(QDir(files.cfgFolder()).exists());
    QVERIFY(!QFile::exists(files.saveDataPath()));

    write(files.saveDataPath(), "Yes\r\n30\r\n\xC3\xCA\r\n/data\r\n");
    QCOMPARE(files.LoadRecordingSettings(dataFolder).RecordSwitch, QStringLiteral("No"));
}

void tst_SettingsFiles::recordingSettingsAreReadAsWritten()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    write(files.saveDataPath(), "Yes\r\n2.5\r\n\xC3\xCA\r\n/data/zq\r\nLINE2\r\n");
    const RecordingSettings settings = files.LoadRecordingSettings(QStringLiteral("/unused"));
    QCOMPARE(settings.RecordSwitch, QStringLiteral("Yes"));
    QCOMPARE(settings.RecordInterval, 2); // rounded half to even
    QCOMPARE(settings.RecordUnit, QStringLiteral("초"));
    QCOMPARE(settings.DataFolder, QStringLiteral("/data/zq"));
    QCOMPARE(settings.DataFilePrefix, QStringLiteral("LINE2"));
}

void tst_SettingsFiles::deviceListFollowsTheInUseMark()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    QVERIFY(files.LoadDeviceList().isEmpty());
    write(files.setMultiPath(), "O\tOven A\r\nX\t\r\nO\t\r\nO\r\no\tlower\r\n0\tzero\r\n O\t\r\n"
                                "O \t\r\nX\t\r\nO\tten\r\n");
    QCOMPARE(files.LoadDeviceList(), QList<int>({1, 3, 4, 10}));

    QByteArray many;
    for (int n = 1; n <= 120; ++n)
        many += "O\t\r\n";
    write(files.setMultiPath(), many);
    QCOMPARE(files.LoadDeviceList().size(), 99);
}

void tst_SettingsFiles::emptyLineEndsTheDeviceList()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    write(files.setMultiPath(), "O\t\r\nX\t\r\n\r\nO\t\r\n");
    QCOMPARE(files.LoadDeviceList(), QList<int>({1}));
}

void tst_SettingsFiles::deviceListRowsAreReadAndWrittenWhole_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("marks");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("names and further fields")
        << QByteArray("O\tKILN 1\textra\r\nX\t\r\no\tlower\r\n") << QStringList{"O", "X", "o"}
        << QStringList{"KILN 1", "", "lower"};
    QTest::newRow("an empty line ends it")
        << QByteArray("O\tA\r\n\r\nO\tB\r\n") << QStringList{"O"} << QStringList{"A"};
    QTest::newRow("a line without a tab ends it after its mark")
        << QByteArray("O\tA\r\nO\r\nO\tC\r\n") << QStringList{"O", "O"} << QStringList{"A", ""};
    QTest::newRow("no file") << QByteArray() << QStringList{} << QStringList{};
}

void tst_SettingsFiles::deviceListRowsAreReadAndWrittenWhole()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, marks);
    QFETCH(QStringList, names);
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    if (!file.isEmpty())
        write(files.setMultiPath(), file);
    const QList<DeviceListRow> rows = files.LoadDeviceListRows();
    QCOMPARE(rows.size(), marks.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows.at(i).mark, marks.at(i));
        QCOMPARE(rows.at(i).name, names.at(i));
    }

    // Written back: 99 lines, the rows read and "X" with no name after them.
    QVERIFY(files.SaveDeviceList(rows));
    const QList<QByteArray> lines = contents(files.setMultiPath()).split('\n');
    QCOMPARE(lines.size(), 99 + 1);
    for (int i = 0; i < 99; ++i) {
        const QByteArray expected =
            i < marks.size() ? (marks.at(i) + "\t" + names.at(i) + "\r").toUtf8() : "X\t\r";
        QCOMPARE(lines.at(i), expected);
    }
}

void tst_SettingsFiles::traceSwitch_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("on");
    QTest::newRow("one") << QByteArray("1\r\n") << true;
    QTest::newRow("two and text") << QByteArray("2 on\r\n0\r\n") << true;
    QTest::newRow("zero") << QByteArray("0\r\n") << false;
    QTest::newRow("negative") << QByteArray("-1\r\n") << false;
    QTest::newRow("letters") << QByteArray("on\r\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("only second line") << QByteArray("\r\n1\r\n") << false;
}

void tst_SettingsFiles::traceSwitch()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, on);
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    QVERIFY(!files.LoadTraceSwitch());
    write(files.logSwitchPath(), file);
    QCOMPARE(files.LoadTraceSwitch(), on);
}

/// Every settings file a FIFO: start-up reads none of them (a FIFO would block it before any
/// window appears) and goes on with the defaults, as for missing files.
void tst_SettingsFiles::fifosInPlaceOfSettingsFilesCountAsMissing()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("CFG")));
    std::vector<std::unique_ptr<FifoTrap>> traps;
    for (const char *name :
         {"Comm.CFG", "CFG/SaveData.INI", "CFG/SetMulti.INI", "CFG/LogSaveF.INI"}) {
        traps.push_back(std::make_unique<FifoTrap>(dir.filePath(QLatin1String(name))));
        QVERIFY(traps.back()->made());
    }
    SettingsFiles files(dir.path());
    const SettingsFiles::StartSettings settings =
        files.LoadStartSettings(dir.filePath(QStringLiteral("data")));
    QCOMPARE(settings.port, PortSettings());
    QCOMPARE(settings.recording.RecordSwitch, QStringLiteral("No"));
    QVERIFY(settings.devices.isEmpty());
    QVERIFY(!settings.trace);
    for (const auto &trap : traps)
        QVERIFY2(!trap->sprung(), qPrintable(trap->path()));
}

QTEST_GUILESS_MAIN(tst_SettingsFiles)
#include "tst_settingsfiles.moc"
