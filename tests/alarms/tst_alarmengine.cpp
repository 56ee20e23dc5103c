#include "AlarmEngine.h"
#include "AlarmJournal.h"
#include "AlarmSettingsFile.h"
#include "EngineHarness.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

/// The engine harness (controllers 1 and 2 listed and present) with recording into a data
/// folder of the test, an Alarm.INI of the test's and an alarm engine on it.
struct AlarmLine : EngineHarness
{
    QString data;
    std::unique_ptr<AlarmEngine> alarms;
    QStringList steps;

    explicit AlarmLine(const QByteArray &alarmIni) : EngineHarness({{1, 2}, {}, false}, {1, 2})
    {
        data = dir.filePath(QStringLiteral("data"));
        QDir().mkpath(dir.filePath(QStringLiteral("CFG")));
        writeFile(QStringLiteral("CFG/SaveData.INI"),
                  "No\r\n1\r\n\xBA\xD0\r\n" + data.toLocal8Bit() + "\r\nZQ410\r\n"); // 분
        writeFile(QStringLiteral("CFG/Alarm.INI"), alarmIni);
        startUp();
        startAlarms();
    }

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    /// A new alarm engine on the same files (a restart of the monitor).
    void startAlarms()
    {
        alarms = std::make_unique<AlarmEngine>(*engine);
        QObject::connect(alarms.get(), &AlarmEngine::transitioned,
                         [this](const AlarmTransition &t, const Alarm &) {
                             steps.append(
                                 QStringLiteral("%1 %2 %3")
                                     .arg(t.deviceNo)
                                     .arg(Alarms::kindText(t.kind), Alarms::stepText(t.step)));
                         });
        alarms->start();
    }

    /// Controller 1's temperature held at each value for a second in turn.
    void hold(const QList<double> &temperatures)
    {
        for (const double t : temperatures) {
            line.controller(1)->pinTemperature(t);
            clock.advance(1000);
        }
    }

    QStringList journal() const
    {
        return TextFile::readLines(QDir(data).filePath(AlarmJournal::fileName(clock.now().date())))
            .value_or(QStringList());
    }
};

} // namespace

class tst_AlarmEngine : public QObject
{
    Q_OBJECT

private slots:
    void limits_data();
    void limits();
    void acknowledgementWalksTheStates();
    void clearNamesTheLimitItWasRaisedAgainst_data();
    void clearNamesTheLimitItWasRaisedAgainst();
    void lostControllerRaisesAndReturns();
    void journalLinesStayWholeAndAlarmsComeBackAfterARestart();
    void settingsFile_data();
    void settingsFile();
};

void tst_AlarmEngine::limits_data()
{
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QList<double>>("temperatures");
    QTest::addColumn<QStringList>("steps");
    const QString high = QStringLiteral("1 상한 경보 ");
    QTest::newRow("high after its on-delay")
        << QByteArray("High=20\nOnDelay=2") << false << QList<double>{19, 21, 21, 21, 21}
        << QStringList{high + "발생"};
    QTest::newRow("a spike shorter than the on-delay")
        << QByteArray("High=20\nOnDelay=3") << false << QList<double>{19, 21, 21, 19, 19, 19}
        << QStringList{};
    QTest::newRow("wobbling inside the deadband: one alarm")
        << QByteArray("High=20\nDeadband=1\nOnDelay=1") << false
        << QList<double>{21, 21, 21, 19.5, 20.5, 19.2, 20.8, 19.5, 21}
        << QStringList{high + "발생"};
    QTest::newRow("back past the deadband clears")
        << QByteArray("High=20\nDeadband=1\nOnDelay=1") << false
        << QList<double>{21, 21, 21, 18.5, 18.5} << QStringList{high + "발생", high + "해제"};
    QTest::newRow("no deadband") << QByteArray("High=20\nDeadband=0\nOnDelay=0") << false
                                 << QList<double>{21, 19.9, 20.1}
                                 << QStringList{high + "발생", high + "해제", high + "발생"};
    QTest::newRow("low") << QByteArray("Low=30\nOnDelay=1") << false << QList<double>{25, 25, 25}
                         << QStringList{"1 하한 경보 발생"};
    QTest::newRow("deviation while stopped: silent")
        << QByteArray("Deviation=5\nOnDelay=0") << false << QList<double>{25, 25, 25}
        << QStringList{};
    QTest::newRow("deviation while running")
        << QByteArray("Deviation=5\nOnDelay=1") << true << QList<double>{25, 25, 25, 58, 58}
        << QStringList{"1 편차 경보 발생", "1 편차 경보 해제"};
    QTest::newRow("limits left empty are off") << QByteArray("High=\nLow=\nDeviation=") << true
                                               << QList<double>{-50, 500, 25} << QStringList{};
}

/// The limits in virtual time, one status block of controller 1 about every half second.
void tst_AlarmEngine::limits()
{
    QFETCH(QByteArray, group);
    QFETCH(bool, running);
    QFETCH(QList<double>, temperatures);
    QFETCH(QStringList, steps);
    AlarmLine line("[01]\n" + group + "\n");
    QCOMPARE(line.alarms->settingsError(), QString());
    line.line.controller(1)->pinTemperature(temperatures.first());
    if (running)
        line.line.controller(1)->writeRegister(102, 1);
    QVERIFY(line.goOnline());
    line.hold(temperatures);
    QCOMPARE(line.steps, steps);
    QCOMPARE(line.journal().size(), steps.size());
}

void tst_AlarmEngine::clearNamesTheLimitItWasRaisedAgainst_data()
{
    // [01]'s limits after the low alarm was raised, each a length of its own: QSettings takes a
    // file of the same size and second for the one it has read.
    QTest::addColumn<QByteArray>("newGroup");
    QTest::addColumn<double>("pv");     // PV from then on
    QTest::addColumn<QString>("value"); // what the clear's line says
    QTest::newRow("limit removed") << QByteArray("OnDelay=0") << 25.0 << Alarms::ClearedBySettings;
    QTest::newRow("limit lowered past PV")
        << QByteArray("Low=20.5\nOnDelay=0") << 25.0 << Alarms::ClearedBySettings;
    QTest::newRow("PV recovered, limit lowered")
        << QByteArray("Low=28.0\nOnDelay=0") << 35.0 << QStringLiteral("35.0");
}

/// A low alarm raised against 30.0: whatever ends it, its clear names 30.0; when only the
/// settings ended it (PV still below 30.0) the clear says so instead of a value that reads as a
/// recovery.
void tst_AlarmEngine::clearNamesTheLimitItWasRaisedAgainst()
{
    QFETCH(QByteArray, newGroup);
    QFETCH(double, pv);
    QFETCH(QString, value);
    AlarmLine line("[01]\nLow=30\nOnDelay=0\n");
    line.line.controller(1)->pinTemperature(25);
    QVERIFY(line.goOnline());
    line.clock.advance(1000);
    QCOMPARE(line.steps, QStringList({QStringLiteral("1 하한 경보 발생")}));
    line.writeFile(QStringLiteral("CFG/Alarm.INI"), "[01]\n" + newGroup + "\n");
    QVERIFY(line.alarms->apply(AlarmSettingsFile(line.engine->programFolder()).load().settings));
    line.hold({pv, pv});
    QCOMPARE(line.steps.last(), QStringLiteral("1 하한 경보 해제"));
    const QStringList fields = line.journal().last().split(QLatin1Char('\t'));
    QCOMPARE(fields.mid(6), QStringList({value, QStringLiteral("30.0")}));
}

/// Raised, acknowledged, cleared: gone. Raised, cleared: stays until acknowledged. Acknowledge
/// all. The controller's own buzzer alarm. Every step has its journal line.
void tst_AlarmEngine::acknowledgementWalksTheStates()
{
    AlarmLine line("[01]\nHigh=20\nOnDelay=0\n");
    line.line.controller(1)->pinTemperature(25);
    QVERIFY(line.goOnline());
    line.clock.advance(1000);
    QCOMPARE(line.alarms->alarms().size(), 1);
    QCOMPARE(line.alarms->alarms().first().state, AlarmState::ActiveUnacknowledged);
    QCOMPARE(line.alarms->unacknowledgedCount(), 1);
    line.alarms->acknowledge(1, AlarmKind::High);
    QCOMPARE(line.alarms->alarms().first().state, AlarmState::ActiveAcknowledged);
    QCOMPARE(line.alarms->unacknowledgedCount(), 0);
    line.hold({15});
    QVERIFY(line.alarms->alarms().isEmpty());
    QVERIFY(!line.alarms->hasAlarm(1));

    line.hold({25, 15});
    QCOMPARE(line.alarms->alarms().first().state, AlarmState::ReturnedUnacknowledged);
    QVERIFY(line.alarms->hasAlarm(1));
    line.line.controller(2)->writeRegister(108, 1); // the buzzer of controller 2
    line.clock.advance(1500);
    QCOMPARE(line.alarms->unacknowledgedCount(), 2);
    QCOMPARE(line.alarms->alarms().first().kind, AlarmKind::Device); // newest first
    line.alarms->acknowledgeAll();
    QCOMPARE(line.alarms->alarms().size(), 1); // the buzzer is still on
    QCOMPARE(line.alarms->alarms().first().state, AlarmState::ActiveAcknowledged);
    line.line.controller(2)->writeRegister(108, 1);
    line.clock.advance(1500);
    QVERIFY(line.alarms->alarms().isEmpty());

    QCOMPARE(line.steps, QStringList({"1 상한 경보 발생", "1 상한 경보 확인", "1 상한 경보 해제",
                                      "1 상한 경보 발생", "1 상한 경보 해제", "2 기기 경보 발생",
                                      "1 상한 경보 확인", "2 기기 경보 확인", "2 기기 경보 해제"}));
    const QStringList journal = line.journal();
    QCOMPARE(journal.size(), line.steps.size());
    QCOMPARE(journal.first().split('\t').mid(2),
             QStringList({"01", "", "상한 경보", "발생", "25.0", "20.0"}));
    QVERIFY(journal.first().startsWith(line.clock.now().toString("yyyy-MM-dd\t")));
}

/// Three time-outs give a controller up: "통신 이상"; it answers again: cleared. Closing the
/// port on purpose raises nothing.
void tst_AlarmEngine::lostControllerRaisesAndReturns()
{
    AlarmLine line("");
    QVERIFY(line.goOnline());
    line.clock.advance(3000);
    QVERIFY(line.steps.isEmpty());
    line.line.setDeviceLatency(2, SimulatedLine::NoReply);
    QVERIFY(line.runUntil([&] { return !line.steps.isEmpty(); }, 10000));
    QCOMPARE(line.steps, QStringList{"2 통신 이상 발생"});
    QVERIFY(line.engine->table().unansweredPolls(1) >= PollingEngine::UnansweredToStale ||
            !line.engine->isCurrent(1));
    line.line.setDeviceLatency(2, SimulatedLine::LineLatency);
    QVERIFY(line.runUntil([&] { return line.steps.size() == 2; }, 10000));
    QCOMPARE(line.steps.last(), QStringLiteral("2 통신 이상 해제"));

    line.engine->closePort();
    line.clock.advance(5000);
    QCOMPARE(line.steps.size(), 2);
}

/// A full disk loses a journal line whole (the next one starts clean); a restart brings back
/// the alarms not yet normal, in their states.
void tst_AlarmEngine::journalLinesStayWholeAndAlarmsComeBackAfterARestart()
{
    AlarmLine line("[01]\nHigh=20\nOnDelay=0\n[02]\nLow=30\nOnDelay=0\n");
    line.line.controller(1)->pinTemperature(25);
    line.line.controller(2)->pinTemperature(25);
    QVERIFY(line.goOnline());
    line.clock.advance(1000);
    QCOMPARE(line.alarms->alarms().size(), 2);
    const QString path = QDir(line.data).filePath(AlarmJournal::fileName(line.clock.now().date()));
    const qint64 before = QFileInfo(path).size();

    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(before + 10);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    line.alarms->acknowledge(2, AlarmKind::Low);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    QCOMPARE(QFileInfo(path).size(), before);
    QCOMPARE(line.alarms->journalFailures(), 1);
    line.alarms->acknowledge(1, AlarmKind::High);
    QCOMPARE(line.alarms->journalFailures(), 0);
    for (const QString &entry : line.journal())
        QCOMPARE(entry.count('\t'), 7);

    line.hold({15}); // controller 1 returns
    line.engine->closePort();
    line.startAlarms();
    const QList<Alarm> restored = line.alarms->alarms();
    QCOMPARE(restored.size(), 1);
    QCOMPARE(restored.first().deviceNo, 2);
    // The acknowledgement lost to the full disk is not known: unacknowledged again.
    QCOMPARE(restored.first().state, AlarmState::ActiveUnacknowledged);
    QCOMPARE(restored.first().value, QStringLiteral("25.0"));
}

void tst_AlarmEngine::settingsFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    QTest::newRow("good") << QByteArray("[General]\nSound=false\nVolume=35\nRepeatSeconds=10\n"
                                        "[03]\nHigh=250.5\nLow=-10\n")
                          << "";
    QTest::newRow("not a number") << QByteArray("[03]\nHigh=hot\n") << "[03]의 High";
    QTest::newRow("bad OnDelay") << QByteArray("[07]\nOnDelay=soon\n") << "[07]의 OnDelay";
    QTest::newRow("OnDelay too long") << QByteArray("[07]\nOnDelay=99999\n") << "[07]의 OnDelay";
    QTest::newRow("negative deadband") << QByteArray("[12]\nDeadband=-1\n") << "[12]의 Deadband";
    QTest::newRow("low above high") << QByteArray("[01]\nHigh=10\nLow=20\n") << "[01]의 Low";
    QTest::newRow("bad Sound") << QByteArray("[General]\nSound=loud\n") << "Sound";
    QTest::newRow("too loud") << QByteArray("[General]\nVolume=150\n") << "Volume";
    QTest::newRow("never repeats") << QByteArray("[General]\nRepeatSeconds=0\n") << "RepeatSeconds";
    QTest::newRow("repeat not a number")
        << QByteArray("[General]\nRepeatSeconds=often\n") << "RepeatSeconds";
}

/// Alarm.INI as QSettings reads it; a value that cannot be taken is named with its controller.
void tst_AlarmEngine::settingsFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("CFG"));
    QFile ini(dir.filePath("CFG/Alarm.INI"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(file);
    ini.close();
    const AlarmSettingsFile files(dir.path());
    const AlarmSettings::Read read = files.load();
    if (error.isEmpty()) {
        QCOMPARE(read.error, QString());
        QVERIFY(!read.settings.Sound);
        QCOMPARE(read.settings.Volume, 35);
        QCOMPARE(read.settings.RepeatSeconds, 10);
        QCOMPARE(read.settings.of(3).High, std::optional<double>(250.5));
        QCOMPARE(read.settings.of(3).Low, std::optional<double>(-10));
        QVERIFY(!read.settings.of(3).Deviation);
        QVERIFY(files.save(read.settings));
        QVERIFY(files.load().settings == read.settings);
        return;
    }
    QVERIFY2(read.error.contains(error), qPrintable(read.error));
}

QTEST_GUILESS_MAIN(tst_AlarmEngine)
#include "tst_alarmengine.moc"
