#include "DisplayTicker.h"
#include "EngineHarness.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

/// Controllers 1 and 3 on line, both running, recording a record a second into a temporary
/// folder; controller 1 is the selected one.
struct Recording : EngineHarness
{
    DisplayTicker ticker{*engine};

    Recording() : EngineHarness({{1, 3}, "STD", false}, {1, 3})
    {
        line.controller(1)->writeRegister(7, 111); // SV 11.1
        line.controller(3)->writeRegister(7, 333); // SV 33.3
        line.controller(1)->writeRegister(102, 1); // RUN
        line.controller(3)->writeRegister(102, 1);
        startUp();
        settings->applyRecordingSettings({QStringLiteral("Yes"), 1, QStringLiteral("초"),
                                          dir.filePath(QStringLiteral("data")),
                                          QStringLiteral("ZQ410")});
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
        ticker.start();
    }
    QList<QByteArray> records(int deviceNo) const
    {
        QFile file(dir.filePath(
            QStringLiteral("data/ZQ410_%1.DAT").arg(deviceNo, 2, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> lines = file.readAll().split('\n');
        lines.removeLast();
        return lines;
    }
    /// The SV column of every record of the controller.
    QStringList svs(int deviceNo) const
    {
        QStringList out;
        for (const QByteArray &record : records(deviceNo))
            out.append(QString::fromLatin1(record.split('\t').value(2)));
        return out;
    }
};

class tst_RecordingLine : public QObject
{
    Q_OBJECT

private slots:
    void everyRunningControllerIsRecordedWithItsOwnValues();
    void aControllerThatStopsAnsweringIsNotRecorded();
    void lostRecordsAreMarkedUntilOneLandsAgain();
};

/// Controller 3 is never selected, yet its file fills while it runs and stops when it is stopped
/// from the overview.
void tst_RecordingLine::everyRunningControllerIsRecordedWithItsOwnValues()
{
    Recording r;
    QVERIFY(r.goOnline());
    QCOMPARE(r.engine->state().SelectedDeviceNo, 1);
    r.clock.advance(20000);
    QVERIFY(r.records(1).size() >= 19);
    QVERIFY(r.records(3).size() >= 19);
    QCOMPARE(r.svs(1).count(QStringLiteral("11.1")), r.records(1).size());
    QCOMPARE(r.svs(3).count(QStringLiteral("33.3")), r.records(3).size());

    r.engine->writeRegister(102, 1, 3); // RUN again: controller 3 stops
    r.clock.advance(2000);
    QVERIFY(!r.line.controller(3)->running());
    const qsizetype stopped = r.records(3).size();
    r.clock.advance(10000);
    QCOMPARE(r.records(3).size(), stopped);
    QVERIFY(r.records(1).size() >= 30);
}

/// Controller 3's status replies come late, then not at all: its file gets nothing of
/// controller 1's and stops growing within a few polls; controller 1 goes on being recorded.
void tst_RecordingLine::aControllerThatStopsAnsweringIsNotRecorded()
{
    Recording r;
    QVERIFY(r.goOnline());
    r.clock.advance(5000);
    r.line.setDeviceLatency(3, SimulatedLine::LateMs);
    r.clock.advance(30000);
    QCOMPARE(r.svs(1).count(QStringLiteral("11.1")), r.records(1).size());
    QCOMPARE(r.svs(3).count(QStringLiteral("33.3")), r.records(3).size());

    r.line.setDeviceLatency(3, SimulatedLine::NoReply);
    r.clock.advance(5000);
    const qsizetype silent = r.records(3).size();
    const qsizetype first = r.records(1).size();
    r.clock.advance(20000);
    QCOMPARE(r.records(3).size(), silent);
    QVERIFY(r.records(1).size() >= first + 19);
}

/// A trend file that cannot be written (here a folder in its place; a full disk alike) loses its
/// records: the ticker says since when, the other controller's file goes on, and the mark goes
/// once every record lands again.
void tst_RecordingLine::lostRecordsAreMarkedUntilOneLandsAgain()
{
    Recording r;
    QSignalSpy fault(&r.ticker, &DisplayTicker::recordingFaultChanged);
    QVERIFY(r.goOnline());
    r.clock.advance(3000);
    QCOMPARE(fault.size(), 0);
    const QString three = r.dir.filePath(QStringLiteral("data/ZQ410_03.DAT"));
    QVERIFY(QFile::rename(three, three + QStringLiteral(".kept")));
    QVERIFY(QDir().mkpath(three));
    const qsizetype before = r.records(1).size();
    const QDateTime lostFrom = r.clock.now();
    r.clock.advance(5000);
    QCOMPARE(fault.size(), 1);
    const QDateTime since = fault.first().first().toDateTime();
    QVERIFY(since.isValid());
    QVERIFY(since >= lostFrom.addSecs(-1) && since <= lostFrom.addSecs(1));
    QVERIFY(r.records(1).size() >= before + 4);
    QCOMPARE(r.ticker.recorder().missedSince(), since);

    QVERIFY(QDir(three).removeRecursively());
    r.clock.advance(2000);
    QCOMPARE(fault.size(), 2);
    QVERIFY(!fault.last().first().toDateTime().isValid());
    QVERIFY(r.records(3).size() >= 1);
}

QTEST_GUILESS_MAIN(tst_RecordingLine)
#include "tst_recordingline.moc"
