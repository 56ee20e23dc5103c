#include "TrendRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using F = DeviceTable::Field;

/// Two controllers 3 and 12 with their table rows, recording into a temporary folder.
struct Recording
{
    QTemporaryDir dir;
    SharedState state;
    DeviceTable table;
    bool portOpen = true;
    /// Stands for the engine's judgement: current while the port is open and it is connected.
    TrendRecorder recorder{state, table, [this](int index) {
                               return portOpen && table.connected(index);
                           }};
    const QDateTime start{QDate(2024, 3, 7), QTime(14, 5, 9)};

    Recording()
    {
        state.DeviceList = {3, 12};
        table.reset(state.DeviceList);
        setRow(0, {600, 587, 253}, 1); // 60.0, 58.7, 25.3
        setRow(1, {250, 253, -5}, 0);
        setRunning(0, true);
        setRunning(1, false);
        state.recording = {QStringLiteral("Yes"), 5, QStringLiteral("초"), dir.path(),
                           QStringLiteral("ZQ410")};
    }
    /// SV, PV and auxiliary temperature as the controller reports them, with its decimals.
    void setRow(int row, const std::array<int, 3> &svPvAux, int decimals)
    {
        table.setValue(row, F(8), svPvAux[0], Conversion::Scaled, decimals);
        table.setValue(row, F(4), svPvAux[1], Conversion::Scaled, decimals);
        table.setValue(row, F(5), svPvAux[2], Conversion::Scaled, decimals);
    }
    /// A status block of the row with STATUS bit 0 (running) as given.
    void setRunning(int row, bool running)
    {
        table.setValue(row, F::Status, running ? 1 : 0);
        table.noteStatusBlock(row, 0);
    }
    QByteArray file(int deviceNo) const
    {
        QFile f(
            dir.filePath(QStringLiteral("ZQ410_%1.DAT").arg(deviceNo, 2, 10, QLatin1Char('0'))));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    int records(int deviceNo) const { return int(file(deviceNo).count("\r\n")); }
    /// Runs the 500 ms ticks from start + fromMs up to start + toMs.
    void tick(qint64 fromMs, qint64 toMs)
    {
        for (qint64 ms = fromMs; ms <= toMs; ms += 500)
            recorder.recordingStep(start.addMSecs(ms));
    }
};

class tst_TrendRecorder : public QObject
{
    Q_OBJECT

private slots:
    void recordBytes();
    void secondsAndMinutes();
    void onlyExactYesRecords();
    void closedPortWritesNothingButKeepsTheRhythm();
    void missingFolderOrUnwritableFileSkipsOnlyThatRecord();
    void onlyRunningConnectedControllersAreRecorded();
    void clockSetBackWaitsWithoutBurst();
};

void tst_TrendRecorder::recordBytes()
{
    Recording r;
    r.setRunning(1, true);
    r.recorder.recordingStep(r.start);
    QCOMPARE(r.file(3), QByteArray("2024-03-07\t14:05:09\t60.0\t58.7\t25.3\r\n"));
    QCOMPARE(r.file(12), QByteArray("2024-03-07\t14:05:09\t250\t253\t-5\r\n"));
}

void tst_TrendRecorder::secondsAndMinutes()
{
    Recording r;
    r.tick(0, 4500);
    QCOMPARE(r.records(3), 1);
    r.tick(5000, 5000);
    QCOMPARE(r.records(3), 2);
    r.tick(5500, 60000);
    QCOMPARE(r.records(3), 13);

    Recording m;
    m.state.recording.RecordInterval = 1;
    m.state.recording.RecordUnit = QStringLiteral("분");
    QCOMPARE(m.state.recording.intervalSeconds(), 60);
    m.tick(0, 59500);
    QCOMPARE(m.records(3), 1);
    m.tick(60000, 60000);
    QCOMPARE(m.records(3), 2);
    m.state.recording.RecordUnit = QStringLiteral("min"); // any other unit counts as seconds
    QCOMPARE(m.state.recording.intervalSeconds(), 1);
}

void tst_TrendRecorder::onlyExactYesRecords()
{
    Recording r;
    r.state.recording.RecordSwitch = QStringLiteral("yes");
    r.tick(0, 20000);
    QCOMPARE(r.records(3), 0);
    r.state.recording.RecordSwitch = QStringLiteral("Yes");
    r.tick(20500, 20500); // the first step with recording on is due at once
    QCOMPARE(r.records(3), 1);
}

void tst_TrendRecorder::closedPortWritesNothingButKeepsTheRhythm()
{
    Recording r;
    r.portOpen = false;
    r.tick(0, 2000);
    QCOMPARE(r.records(3), 0);
    r.portOpen = true;
    r.tick(2500, 4500);
    QCOMPARE(r.records(3), 0); // not at once: the next interval from the last due step
    r.tick(5000, 5000);
    QCOMPARE(r.records(3), 1);
}

void tst_TrendRecorder::missingFolderOrUnwritableFileSkipsOnlyThatRecord()
{
    Recording r;
    r.setRunning(1, true);
    const QString folder = r.dir.filePath(QStringLiteral("later"));
    r.state.recording.DataFolder = folder;
    r.tick(0, 0);
    QVERIFY(!QDir(folder).exists());
    QVERIFY(QDir().mkpath(folder));
    r.tick(500, 5000);
    QFile file(folder + QStringLiteral("/ZQ410_03.DAT"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("\r\n"), 1);
    file.close();

    // A file that cannot be written (a folder in its place: unwritable for root too) loses its
    // record; the other controller's is written, and the next record lands once it can.
    r.state.recording.DataFolder = r.dir.path();
    r.tick(10000, 10000);
    QCOMPARE(r.records(3), 1);
    const QString blocked = r.dir.filePath(QStringLiteral("ZQ410_03.DAT"));
    QVERIFY(QFile::remove(blocked));
    QVERIFY(QDir().mkdir(blocked));
    r.tick(15000, 15000);
    QCOMPARE(r.records(12), 2);
    QVERIFY(QDir().rmdir(blocked));
    r.tick(20000, 20000);
    QCOMPARE(r.records(3), 1);
    QCOMPARE(r.records(12), 3);
}

void tst_TrendRecorder::onlyRunningConnectedControllersAreRecorded()
{
    Recording r;
    r.tick(0, 10000);
    QCOMPARE(r.records(3), 3);
    QCOMPARE(r.records(12), 0);
    r.setRunning(1, true); // controller 12 selected while it runs
    r.tick(15000, 15000);
    QCOMPARE(r.records(12), 1);
    r.table.setConnected(0, false);
    r.tick(20000, 20000);
    QCOMPARE(r.records(3), 4);
    QCOMPARE(r.records(12), 2);
}

void tst_TrendRecorder::clockSetBackWaitsWithoutBurst()
{
    Recording r;
    r.recorder.recordingStep(r.start);
    QCOMPARE(r.records(3), 1);
    for (int s = 1; s <= 3600; s += 60) // an hour back and crawling forward
        r.recorder.recordingStep(r.start.addSecs(-3600 + s));
    QCOMPARE(r.records(3), 1);
    r.recorder.recordingStep(r.start.addSecs(4));
    QCOMPARE(r.records(3), 1);
    r.recorder.recordingStep(r.start.addSecs(7200)); // far ahead: one record, not many
    QCOMPARE(r.records(3), 2);
}

QTEST_GUILESS_MAIN(tst_TrendRecorder)
#include "tst_trendrecorder.moc"
