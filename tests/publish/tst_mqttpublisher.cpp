#include "ControllerTopics.h"
#include "MemoryLink.h"
#include "MonitorCore.h"
#include "MqttBroker.h"
#include "MqttConnection.h"
#include "MqttProbe.h"
#include "MqttSettingsFile.h"
#include "ProgramFolder.h"
#include "SimulatedLine.h"
#include "TrendFile.h"
#include "VirtualClock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <signal.h>

namespace {

constexpr int WaitMs = 10000;
const QString Prefix = QStringLiteral("zq410/test");

QString topic(int deviceNo, const char *suffix)
{
    return QStringLiteral("%1/%2/%3")
        .arg(Prefix)
        .arg(deviceNo, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(suffix));
}

/// A monitor core in a program folder of its own, in virtual time, on an in-memory line of
/// controllers 1 to 3 (device 4 is listed but absent), publishing to a broker of the test.
struct Plant
{
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    VirtualClock clock{QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5))};
    MemoryLink link{clock};
    SimulatedLine line{{1, 2, 3}, Frames::ChecksumMode::Sum};
    std::unique_ptr<MqttBroker> broker;
    std::unique_ptr<MonitorCore> core;

    explicit Plant(const MqttBroker::Options &options = {})
    {
        folder.write(QStringLiteral("CFG/SetMulti.INI"),
                     "O\tOven A\r\nO\tOven B\r\nO\tDryer\r\nO\tSpare\r\n");
        folder.writePort("COM1", "SUM");
        link.attach(&line);
        broker = std::make_unique<MqttBroker>(dir.path(), options);
    }

    void writeMqtt(const QByteArray &extra = {})
    {
        folder.write(QStringLiteral("CFG/Mqtt.INI"),
                     "Enabled=true\nHost=127.0.0.1\nPort=" + QByteArray::number(broker->port()) +
                         "\nPrefix=" + Prefix.toLatin1() + "/\nKeepAlive=5\n" + extra);
    }

    MqttPublisher &publisher() { return core->publisher(); }

    void startCore()
    {
        core = std::make_unique<MonitorCore>(clock, link, dir.path(), dir.filePath("data"));
        core->start();
    }

    /// The port opened and polled for ms of virtual time.
    void poll(qint64 ms)
    {
        if (!core->engine().isPortOpen())
            QVERIFY(core->engine().openPort().ok());
        clock.advance(ms);
    }

    int framesSent() const { return int(link.sent().size()); }

    /// Virtual time runs in tenths of a second while the broker's answers come in.
    void run(qint64 ms)
    {
        if (!core->engine().isPortOpen())
            QVERIFY(core->engine().openPort().ok());
        for (qint64 t = 0; t < ms; t += 100) {
            clock.advance(100);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

    /// Records every second into data/ZQ410_NN.DAT.
    void recordEverySecond()
    {
        folder.write(QStringLiteral("CFG/SaveData.INI"), "Yes\r\n1\r\n\xC3\xCA\r\n" +
                                                             dir.filePath("data").toLocal8Bit() +
                                                             "\r\nZQ410\r\n");
        QDir().mkpath(dir.filePath("data"));
    }

    /// The times of a controller's trend records.
    QStringList recordTimes(int deviceNo) const
    {
        QFile file(dir.filePath(
            QStringLiteral("data/ZQ410_%1.DAT").arg(deviceNo, 2, 10, QLatin1Char('0'))));
        QStringList times;
        if (file.open(QIODevice::ReadOnly)) {
            while (!file.atEnd()) {
                if (const auto record = TrendFile::parseRecord(file.readLine()))
                    times.append(record->time.toString(Qt::ISODate));
            }
        }
        return times;
    }
};

} // namespace

class tst_MqttPublisher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void valuesArriveUnderTheirTopicsWithTheControllersDecimals();
    void linkFollowsTheLineAndFlatValuesAreRepeatedOnceAMinute();
    void brokerRestartedReceivesCurrentValues();
    void refusedConnectionsGiveAClearStateWhilePollingGoesOn_data();
    void refusedConnectionsGiveAClearStateWhilePollingGoesOn();
    void homeAssistantDiscovery();
    void alarmsArePublished();
    void killedMonitorTurnsStatusOfflineWithinTheKeepAlive();
    void twoProgramsWithOneClientIdAreToldSo();
    void everyRecordReachesTheBrokerThroughAnOutageAndARestart();
    void replayLeavesOldRecordsAndStartsATruncatedFileAfresh();
    void settingsFile_data();
    void settingsFile();
    void settingsSavedForTheOwnerOnly();
};

void tst_MqttPublisher::initTestCase()
{
    if (MqttBroker::program().isEmpty())
        QFAIL("mosquitto is not installed: scripts/setup installs it");
}

/// Three controllers of different decimals and units: each value arrives retained under
/// P/NN/..., as the controller shows it; the state JSON carries them with name, unit and time.
void tst_MqttPublisher::valuesArriveUnderTheirTopicsWithTheControllersDecimals()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.line.controller(2)->writeRegister(506, 0); // no decimal places
    plant.line.controller(3)->writeRegister(507, 1); // Fahrenheit
    plant.line.controller(1)->writeRegister(102, 1); // runs
    plant.writeMqtt();
    plant.startCore();
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);

    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(Prefix + "/status"), QByteArray("online"), WaitMs);
    QVERIFY(probe.last(topic(1, "pv")).isNull()); // nothing before the port opens

    plant.poll(6000);
    const DeviceTable &table = plant.core->engine().table();
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(topic(3, "state")).isEmpty(), false, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(topic(1, "pv")),
                              table.field(0, DeviceTable::Field::Pv).toLatin1(), WaitMs);
    QVERIFY(probe.last(topic(1, "pv")).contains('.'));
    QVERIFY(!probe.last(topic(2, "pv")).contains('.'));
    QCOMPARE(probe.last(topic(2, "pv")), table.field(1, DeviceTable::Field::Pv).toLatin1());
    QCOMPARE(probe.last(topic(1, "sv")), QByteArray("60.0"));
    QCOMPARE(probe.last(topic(2, "sv")), QByteArray("600"));
    QCOMPARE(probe.last(topic(1, "run")), QByteArray("1"));
    QCOMPARE(probe.last(topic(2, "run")), QByteArray("0"));
    QCOMPARE(probe.last(topic(1, "link")), QByteArray("ok"));
    QCOMPARE(probe.last(topic(1, "memory")), QByteArray("1"));
    QCOMPARE(probe.last(topic(1, "remaining_min")), QByteArray("120"));
    for (const char *suffix :
         {"aux", "deviation", "heat_output", "cool_output", "current_r", "current_s"})
        QVERIFY2(!probe.last(topic(1, suffix)).isEmpty(), suffix);
    // An absent controller's values are not published (only its link-loss alarm is).
    QCOMPARE(probe.topics().filter(QStringLiteral("/04/")), QStringList{topic(4, "alarm")});

    const QJsonObject state = QJsonDocument::fromJson(probe.last(topic(3, "state"))).object();
    QCOMPARE(state.value("device").toInt(), 3);
    QCOMPARE(state.value("name").toString(), QStringLiteral("Dryer"));
    QCOMPARE(state.value("unit").toString(), QStringLiteral("℉"));
    QCOMPARE(state.value("link").toString(), QStringLiteral("ok"));
    QCOMPARE(state.value("sv").toDouble(), 60.0);
    QCOMPARE(state.value("run").toInt(), 0);
    const QString timeText = state.value("time").toString();
    const QDateTime time = QDateTime::fromString(timeText, Qt::ISODate);
    QVERIFY2(time.isValid() && QRegularExpression("T\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$")
                                   .match(timeText)
                                   .hasMatch(),
             qPrintable(timeText));
    QVERIFY(qAbs(time.secsTo(plant.clock.now())) < 10);
}

/// A controller that stops answering is "lost", a closed port makes every one "unknown"; an
/// unchanged value is sent again only after a minute.
void tst_MqttPublisher::linkFollowsTheLineAndFlatValuesAreRepeatedOnceAMinute()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.writeMqtt();
    plant.startCore();
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);
    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);

    plant.poll(6000);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(topic(3, "link")), QByteArray("ok"), WaitMs);
    plant.poll(20000);
    QTest::qWait(300);
    QCOMPARE(probe.count(topic(1, "sv")), 1);
    QVERIFY(probe.count(topic(1, "state")) > 5); // one per status block

    plant.line.setDeviceLatency(3, SimulatedLine::NoReply);
    plant.poll(15000);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(topic(3, "link")), QByteArray("lost"), WaitMs);
    QCOMPARE(probe.last(topic(1, "link")), QByteArray("ok"));

    plant.poll(35000); // over a minute since the first
    QTRY_COMPARE_WITH_TIMEOUT(probe.count(topic(1, "sv")), 2, WaitMs);
    QCOMPARE(probe.count(topic(3, "sv")), 1); // a lost controller's values are not renewed

    plant.core->engine().closePort();
    plant.clock.advance(2000);
    for (int deviceNo : {1, 2, 3})
        QTRY_COMPARE_WITH_TIMEOUT(probe.last(topic(deviceNo, "link")), QByteArray("unknown"),
                                  WaitMs);
}

/// The broker goes away: the state says so, polling goes on, nothing is kept; back again, the
/// monitor reconnects (back-off from 1 s) and the broker gets the current values.
void tst_MqttPublisher::brokerRestartedReceivesCurrentValues()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.writeMqtt();
    plant.startCore();
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);
    plant.poll(6000);

    plant.broker->stop();
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Failed, WaitMs);
    QVERIFY(plant.publisher().status().text().contains(QStringLiteral("초 후 다시 연결")));
    plant.line.controller(1)->writeRegister(7, 755); // SV 75.5 while the broker is away
    const int frames = plant.framesSent();
    plant.poll(5000);
    QVERIFY(plant.framesSent() > frames + 10);

    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(Prefix + "/status"), QByteArray("online"), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(topic(1, "sv")), QByteArray("75.5"), WaitMs);
    QCOMPARE(probe.last(topic(2, "link")), QByteArray("ok"));
    QCOMPARE(probe.count(topic(1, "sv")), 1); // once, not what piled up while away
}

void tst_MqttPublisher::refusedConnectionsGiveAClearStateWhilePollingGoesOn_data()
{
    QTest::addColumn<QString>("broker");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("reason");
    QTest::newRow("wrong password")
        << "login" << QByteArray("Username=op\nPassword=wrong\n") << "허가하지 않았습니다";
    QTest::newRow("right password")
        << "login" << QByteArray("Username=op\nPassword=secret\n") << "";
    QTest::newRow("trusted CA") << "tls" << QByteArray("Tls=true\nCaFile=ca.crt\n") << "";
    QTest::newRow("untrusted CA") << "tls" << QByteArray("Tls=true\nCaFile=other-ca.crt\n")
                                  << "certificate verify failed";
    QTest::newRow("plain client, TLS broker") << "tls" << QByteArray() << "TLS를 켜십시오";
    QTest::newRow("TLS client, plain broker")
        << "plain" << QByteArray("Tls=true\nCaFile=ca.crt\n") << "TLS";
    QTest::newRow("no broker") << "none" << QByteArray() << "Connection refused";
}

/// A refused login, an untrusted certificate, a broker that is not there: the state says
/// why; polling does not notice.
void tst_MqttPublisher::refusedConnectionsGiveAClearStateWhilePollingGoesOn()
{
    QFETCH(QString, broker);
    QFETCH(QByteArray, settings);
    QFETCH(QString, reason);
    QTemporaryDir certificates;
    MqttBroker::Options options;
    if (broker == "login") {
        options.user = "op";
        options.password = "secret";
    } else if (broker == "tls" || broker == "plain") {
        // A CA of the test's, a server certificate it signs for 127.0.0.1, and a second CA.
        const QString script =
            QStringLiteral(
                "set -e; cd '%1';"
                "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=test-ca "
                "  -keyout ca.key -out ca.crt 2>/dev/null;"
                "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=other-ca "
                "  -keyout other-ca.key -out other-ca.crt 2>/dev/null;"
                "openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 "
                "  -keyout server.key -out server.csr 2>/dev/null;"
                "printf 'subjectAltName=IP:127.0.0.1' > san;"
                "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial "
                "  -days 2 -extfile san -out server.crt 2>/dev/null")
                .arg(certificates.path());
        QCOMPARE(QProcess::execute("sh", {"-c", script}), 0);
    }
    if (broker == "tls") {
        options.certFile = certificates.filePath("server.crt");
        options.keyFile = certificates.filePath("server.key");
    }
    Plant plant(options);
    for (const QString name : {"ca.crt", "other-ca.crt"})
        QFile::copy(certificates.filePath(name), plant.dir.filePath(name));
    if (broker != "none")
        QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.writeMqtt(settings);
    plant.startCore();
    plant.poll(3000);
    const int frames = plant.framesSent();
    if (reason.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);
    } else {
        QTRY_VERIFY2_WITH_TIMEOUT(plant.publisher().status().state == MqttState::Failed &&
                                      plant.publisher().status().text().contains(reason),
                                  qPrintable(plant.publisher().status().text()), WaitMs);
    }
    plant.poll(3000);
    QVERIFY2(plant.framesSent() >= frames + 10, "polling goes on whatever the broker does");
    QVERIFY(plant.core->engine().isCurrent(0));
}

/// Switched on, each controller gets one Home Assistant sensor per value, available with
/// P/status.
void tst_MqttPublisher::homeAssistantDiscovery()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.writeMqtt("Discovery=true\n");
    plant.startCore();
    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);
    plant.poll(6000);
    const QString config = QStringLiteral("homeassistant/sensor/zq410_test/01_pv/config");
    QTRY_VERIFY_WITH_TIMEOUT(!probe.last(config).isEmpty(), WaitMs);
    const QJsonObject pv = QJsonDocument::fromJson(probe.last(config)).object();
    QCOMPARE(pv.value("state_topic").toString(), topic(1, "pv"));
    QCOMPARE(pv.value("availability_topic").toString(), Prefix + "/status");
    QCOMPARE(pv.value("unit_of_measurement").toString(), QStringLiteral("°C"));
    QCOMPARE(pv.value("device_class").toString(), QStringLiteral("temperature"));
    QVERIFY(pv.value("device").toObject().value("name").toString().contains("Oven A"));
    const QRegularExpression second("^homeassistant/sensor/zq410_test/02_");
    QTRY_COMPARE_WITH_TIMEOUT(probe.topics().filter(second).size(), 12, WaitMs);
    QCOMPARE(probe.count(config), 1); // once per connection
}

/// An alarm: P/NN/alarm holds the controller's alarms (retained), P/alarms gets each step.
void tst_MqttPublisher::alarmsArePublished()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.folder.write(QStringLiteral("CFG/Alarm.INI"), "[01]\nHigh=20\nOnDelay=0\n");
    // Without the spare: its lost link would be an alarm event of its own.
    plant.folder.write(QStringLiteral("CFG/SetMulti.INI"),
                       "O\tOven A\r\nO\tOven B\r\nO\tDryer\r\n");
    plant.writeMqtt();
    plant.startCore();
    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);
    plant.poll(6000);
    QVERIFY(plant.core->alarms().hasAlarm(1));
    QTRY_VERIFY_WITH_TIMEOUT(!probe.last(topic(1, "alarm")).isEmpty(), WaitMs);
    QJsonArray list = QJsonDocument::fromJson(probe.last(topic(1, "alarm"))).array();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0).toObject().value("kind").toString(), QStringLiteral("high"));
    QCOMPARE(list.at(0).toObject().value("text").toString(), QStringLiteral("상한 경보"));
    QCOMPARE(list.at(0).toObject().value("state").toString(),
             QStringLiteral("active_unacknowledged"));
    QCOMPARE(list.at(0).toObject().value("limit").toString(), QStringLiteral("20.0"));
    QTRY_VERIFY_WITH_TIMEOUT(!probe.last(Prefix + "/alarms").isEmpty(), WaitMs);
    const QJsonObject raised = QJsonDocument::fromJson(probe.last(Prefix + "/alarms")).object();
    QCOMPARE(raised.value("step").toString(), QStringLiteral("raised"));
    QCOMPARE(raised.value("device").toInt(), 1);
    QCOMPARE(raised.value("name").toString(), QStringLiteral("Oven A"));

    plant.core->alarms().acknowledge(1, AlarmKind::High);
    QTRY_COMPARE_WITH_TIMEOUT(QJsonDocument::fromJson(probe.last(topic(1, "alarm")))
                                  .array()
                                  .at(0)
                                  .toObject()
                                  .value("state")
                                  .toString(),
                              QStringLiteral("active_acknowledged"), WaitMs);
    QCOMPARE(QJsonDocument::fromJson(probe.last(Prefix + "/alarms")).object().value("step"),
             QJsonValue("acknowledged"));
    QVERIFY(probe.last(topic(2, "alarm")).isNull()); // no alarm, nothing published

    MqttProbe late(plant.broker->port()); // the event is not retained, the list is
    QTRY_VERIFY_WITH_TIMEOUT(!late.last(topic(1, "alarm")).isEmpty(), WaitMs);
    QVERIFY(late.last(Prefix + "/alarms").isNull());
}

/// The monitor program killed: the broker publishes its Last Will "offline" well within one
/// and a half keep-alive periods.
void tst_MqttPublisher::killedMonitorTurnsStatusOfflineWithinTheKeepAlive()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.writeMqtt();
    const QString program = plant.dir.filePath("ZQ410");
    QVERIFY(QFile::copy(QStringLiteral(ZQ410_PROGRAM), program));
    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);

    QProcess monitor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", plant.dir.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    monitor.setProcessEnvironment(environment);
    monitor.start(program, {});
    QVERIFY(monitor.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(Prefix + "/status"), QByteArray("online"), WaitMs);

    ::kill(pid_t(monitor.processId()), SIGKILL);
    QVERIFY(monitor.waitForFinished(5000));
    QElapsedTimer since;
    since.start();
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(Prefix + "/status"), QByteArray("offline"), 7500);
    qInfo("offline %lld ms after the kill (keep-alive 5 s)", since.elapsed());
}

/// Two programs with one client id take the session from each other: both say so once it has
/// happened twice in a row, instead of a bare "connection lost". Left at their defaults, a
/// service instance's id differs from the monitor's.
void tst_MqttPublisher::twoProgramsWithOneClientIdAreToldSo()
{
    QTemporaryDir dir;
    MqttBroker broker(dir.path());
    QVERIFY2(broker.start(), qPrintable(broker.error()));
    MqttSettings settings;
    settings.Enabled = true;
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = broker.port();
    settings.Prefix = QStringLiteral("zq410/same");
    MqttConnection first;
    MqttConnection second;
    first.open(settings, QStringLiteral("zq410/same/status"));
    second.open(settings, QStringLiteral("zq410/same/status"));
    const QString said =
        QStringLiteral("같은 클라이언트 ID(zq410-same)로 다른 프로그램이 접속했습니다");
    QTRY_VERIFY_WITH_TIMEOUT(
        first.status().text().contains(said) || second.status().text().contains(said), 20000);

    MqttSettings defaults;
    QVERIFY(defaults.clientId() != defaults.clientId(QStringLiteral("line2")));
    QCOMPARE(defaults.topicPrefix(QStringLiteral("line2")),
             MqttSettings::defaultPrefix() + QStringLiteral("/line2"));
}

/// The broker killed, the monitor restarted while it is away: once it is back, every record of
/// both trend files has arrived, those of the outage marked historical, hardly any twice.
void tst_MqttPublisher::everyRecordReachesTheBrokerThroughAnOutageAndARestart()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.recordEverySecond();
    plant.line.controller(1)->writeRegister(102, 1);
    plant.line.controller(3)->writeRegister(102, 1);
    plant.writeMqtt();
    plant.startCore();
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);
    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);
    plant.run(10000);
    const QDateTime away = plant.clock.now();
    plant.broker->kill();
    plant.line.setDeviceLatency(3, SimulatedLine::NoReply); // an alarm while the broker is away
    plant.run(10000);
    plant.core.reset(); // the service restarted during the outage
    plant.startCore();
    plant.run(10000);
    const QDateTime back = plant.clock.now();
    QVERIFY(plant.broker->start());
    QTest::qWait(2500); // the probe subscribes again
    QTRY_COMPARE_WITH_TIMEOUT(plant.publisher().status().state, MqttState::Connected, WaitMs);

    QHash<QString, QPair<int, bool>> seen; // "NN time" -> how often, historical
    const auto collect = [&] {
        seen.clear();
        for (const int device : {1, 3}) {
            for (const QByteArray &payload : probe.all(topic(device, "record"))) {
                const QJsonObject json = QJsonDocument::fromJson(payload).object();
                const QString key = QStringLiteral("%1 %2").arg(device).arg(
                    QDateTime::fromString(json.value("time").toString(), Qt::ISODate)
                        .toLocalTime()
                        .toString(Qt::ISODate));
                seen[key] = {seen.value(key).first + 1, json.value("historical").toBool()};
            }
        }
    };
    QStringList expected;
    for (const int device : {1, 3}) {
        for (const QString &time : plant.recordTimes(device))
            expected.append(QStringLiteral("%1 %2").arg(device).arg(time));
    }
    QElapsedTimer real;
    real.start();
    for (collect(); real.elapsed() < WaitMs; collect()) {
        if (std::all_of(expected.cbegin(), expected.cend(),
                        [&](const QString &key) { return seen.contains(key); }))
            break;
        plant.run(100);
        QTest::qWait(20);
    }
    QVERIFY2(expected.size() > 20, qPrintable(QString::number(expected.size())));
    int duplicates = 0;
    for (const QString &key : std::as_const(expected)) {
        QVERIFY2(seen.contains(key), qPrintable(key + " never arrived"));
        duplicates += seen.value(key).first - 1;
        const QDateTime time = QDateTime::fromString(key.section(' ', 1), Qt::ISODate);
        if (time > away && time < back)
            QVERIFY2(seen.value(key).second, qPrintable(key + " not historical"));
    }
    QVERIFY2(duplicates * 50 <= expected.size(), qPrintable(QString::number(duplicates)));
    QVERIFY(QFile::exists(plant.dir.filePath("CFG/MqttCursor.INI")));
    const QList<QByteArray> events = probe.all(Prefix + "/alarms");
    QVERIFY2(std::any_of(events.cbegin(), events.cend(),
                         [](const QByteArray &event) {
                             const QJsonObject json = QJsonDocument::fromJson(event).object();
                             return json.value("kind") == "link" &&
                                    json.value("historical").toBool();
                         }),
             events.join('\n'));
}

/// Records beyond the horizon stay in the trend file; a file cut short is sent again whole.
void tst_MqttPublisher::replayLeavesOldRecordsAndStartsATruncatedFileAfresh()
{
    Plant plant;
    QVERIFY2(plant.broker->start(), qPrintable(plant.broker->error()));
    plant.recordEverySecond();
    const auto records = [&](int daysAgo, int count) {
        QByteArray lines;
        for (int i = 0; i < count; ++i)
            lines += TrendFile::recordLine(plant.clock.now().addDays(-daysAgo).addSecs(i), "60.0",
                                           "50.5", "40.0")
                         .toLatin1() +
                     "\r\n";
        return lines;
    };
    plant.folder.write(QStringLiteral("data/ZQ410_01.DAT"), records(10, 5) + records(1, 5));
    plant.writeMqtt("[Replay]\nDays=7\n");
    MqttProbe probe(plant.broker->port());
    QTRY_VERIFY_WITH_TIMEOUT(probe.isSubscribed(), WaitMs);
    plant.startCore();
    QSignalSpy notices(&plant.publisher(), &MqttPublisher::notice);
    const auto runUntil = [&](const std::function<bool()> &done) {
        QElapsedTimer real;
        real.start();
        while (!done() && real.elapsed() < WaitMs) {
            plant.clock.advance(100);
            QTest::qWait(10);
        }
        return done();
    };
    QVERIFY(runUntil([&] { return probe.count(topic(1, "record")) >= 5; }));
    QVERIFY(runUntil([&] { return !notices.isEmpty(); }));
    QCOMPARE(notices.last().first().toString(),
             QStringLiteral("7일보다 오래된 기록 5건은 트렌드 파일에만 남깁니다"));
    QCOMPARE(probe.count(topic(1, "record")), 5);
    QVERIFY(probe.last(topic(1, "record")).endsWith(",\"historical\":true}"));

    plant.folder.write(QStringLiteral("data/ZQ410_01.DAT"), records(0, 3)); // cut and rewritten
    QVERIFY(runUntil([&] { return probe.count(topic(1, "record")) >= 8; }));
    QVERIFY(
        probe.last(topic(1, "record"))
            .startsWith(
                "{\"time\":\"" +
                ControllerTopics::isoWithOffset(plant.clock.now().addSecs(2)).left(10).toLatin1()));
}

void tst_MqttPublisher::settingsFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("no section header") << QByteArray("Enabled=true\nHost=broker\n") << "" << true;
    QTest::newRow("with section header")
        << QByteArray("[General]\nEnabled=false\nPort=8883\n") << "" << false;
    QTest::newRow("bad Enabled") << QByteArray("Enabled=yes\n") << "Enabled" << false;
    QTest::newRow("bad Port") << QByteArray("Enabled=true\nPort=70000\n") << "Port" << true;
    QTest::newRow("Port not a number") << QByteArray("Port=mqtt\n") << "Port" << false;
    QTest::newRow("bad KeepAlive") << QByteArray("KeepAlive=1\n") << "KeepAlive" << false;
    QTest::newRow("bad Tls") << QByteArray("Tls=1\n") << "Tls" << false;
    QTest::newRow("bad Discovery") << QByteArray("Discovery=on\n") << "Discovery" << false;
    QTest::newRow("wildcard prefix") << QByteArray("Prefix=plant/#\n") << "Prefix" << false;
    QTest::newRow("empty host") << QByteArray("Enabled=true\nHost=\n") << "Host" << true;
    QTest::newRow("broker's own prefix") << QByteArray("Prefix=$SYS/zq\n") << "Prefix" << false;
    QTest::newRow("password without user")
        << QByteArray("Enabled=true\nHost=broker\nPassword=secret\n") << "Username" << true;
    QTest::newRow("TLS with a missing CA file")
        << QByteArray("Enabled=true\nHost=broker\nTls=true\nCaFile=missing.pem\n") << "CaFile"
        << true;
}

/// Mqtt.INI as QSettings reads it, with or without a section header; a value that cannot be
/// taken gives a message naming its key, and publishing stays off.
void tst_MqttPublisher::settingsFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QFETCH(bool, enabled);
    QTemporaryDir dir;
    MqttSettingsFile files(dir.path());
    QCOMPARE(files.load().error, QString());
    QVERIFY(!files.load().settings.Enabled); // missing: off
    ProgramFolder(dir.path()).write("CFG/Mqtt.INI", file);
    const MqttSettings::Read read = files.load();
    QCOMPARE(read.settings.Enabled, enabled);
    if (error.isEmpty()) {
        QCOMPARE(read.error, QString());
        return;
    }
    QVERIFY2(read.error.contains(error), qPrintable(read.error));

    VirtualClock clock(QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5)));
    MemoryLink link(clock);
    MonitorCore core(clock, link, dir.path(), dir.filePath("data"));
    core.start();
    QCOMPARE(core.publisher().status().state, MqttState::SettingsError);
    QVERIFY(core.publisher().status().text().contains(error));
}

/// The file holds a password: written for its owner alone, read back as written.
void tst_MqttPublisher::settingsSavedForTheOwnerOnly()
{
    QTemporaryDir dir;
    MqttSettingsFile files(dir.path());
    MqttSettings settings;
    settings.Enabled = true;
    settings.Host = "broker.plant";
    settings.Port = 8883;
    settings.Prefix = "plant/line 2";
    settings.Username = "operator";
    settings.Password = "p=a;s,s \"w\" #1";
    settings.Tls = true;
    settings.CaFile = dir.filePath("plant-ca.crt");
    ProgramFolder(dir.path()).write("plant-ca.crt", "a CA");
    settings.KeepAlive = 45;
    settings.Discovery = true;
    QVERIFY(files.save(settings));
    const auto permissions = QFile::permissions(files.path());
    QVERIFY(permissions & QFileDevice::ReadOwner);
    QVERIFY(!(permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
    const MqttSettings::Read read = files.load();
    QCOMPARE(read.error, QString());
    QVERIFY(read.settings == settings);

    QFile::setPermissions(files.path(), QFile::permissions(files.path()) | QFileDevice::ReadOther);
    QVERIFY(files.save(settings)); // an older, readable file is closed again
    QVERIFY(!(QFile::permissions(files.path()) & QFileDevice::ReadOther));
}

QTEST_GUILESS_MAIN(tst_MqttPublisher)
#include "tst_mqttpublisher.moc"
