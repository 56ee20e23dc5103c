#include "CommandJournal.h"
#include "MemoryLink.h"
#include "MonitorCore.h"
#include "MqttBroker.h"
#include "ProgramFolder.h"
#include "SimulatedLine.h"
#include "VirtualClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString Prefix = QStringLiteral("zq410/kiln");
const QStringList Tenth = {QStringLiteral("-D"), QStringLiteral("PUBLISH"),
                           QStringLiteral("message-expiry-interval"), QStringLiteral("10")};

/// A line of controllers 1 and 3 (2 listed but absent) served by a monitor core in virtual
/// time, on a broker of the test with the shipped ACL: the server logs in as zq410-line, the
/// operators as shift1 (allowed to command) and shift2. Requests are made with mosquitto's own
/// clients, in MQTT 5.
struct Line
{
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    VirtualClock clock{QDateTime(QDate(2026, 12, 11), QTime(9, 0, 0))};
    MemoryLink link{clock};
    SimulatedLine line{{1, 3}, Frames::ChecksumMode::Sum};
    std::unique_ptr<MqttBroker> broker;
    std::unique_ptr<MonitorCore> core;

    Line()
    {
        folder.writeDeviceList({1, 2, 3});
        folder.writePort("COM1", "SUM");
        link.attach(&line);
        broker = std::make_unique<MqttBroker>(
            dir.path(), MqttBroker::Options{QStringLiteral("zq410-line"),
                                            QStringLiteral("zq410-line"),
                                            {},
                                            {},
                                            {QStringLiteral("shift1"), QStringLiteral("shift2")},
                                            QStringLiteral(ZQ410_ACL)});
        QVERIFY2(broker->start(), qPrintable(broker->error()));
        folder.write(QStringLiteral("CFG/Mqtt.INI"),
                     "Enabled=true\nHost=127.0.0.1\nPort=" + QByteArray::number(broker->port()) +
                         "\nPrefix=" + Prefix.toLatin1() +
                         "\nUsername=zq410-line\nPassword=zq410-line\n"
                         "[Commands]\nEnabled=true\nUsers=shift1\n");
        core = std::make_unique<MonitorCore>(clock, link, dir.path(), dir.filePath("data"));
        core->start();
        QVERIFY(core->engine().openPort().ok());
        pump([this] { return core->publisher().connection().isConnected(); });
        pump([this] { return core->engine().isCurrent(0) && core->engine().isCurrent(2); });
    }

    /// Virtual time runs while the broker's thread and the test's clients do their part, at
    /// most twice as fast as real time: two requests published together still meet while the
    /// first is under way, however slow the machine.
    void pump(const std::function<bool()> &done, int ms = 10000)
    {
        QElapsedTimer real;
        real.start();
        const qint64 from = clock.elapsedMs();
        while (!done() && real.elapsed() < ms) {
            if (clock.elapsedMs() - from < 2 * real.elapsed())
                clock.advance(10);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

    QStringList client(const QString &user) const
    {
        return {QStringLiteral("-V"), QStringLiteral("mqttv5"),
                QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                QStringLiteral("-p"), QString::number(broker->port()),
                QStringLiteral("-u"), user,
                QStringLiteral("-P"), user};
    }

    /// user's request on topicUser's request topic, answered on user's reply topic: the replies
    /// that came within 5 s (replies of them at most).
    QList<QJsonObject> ask(const QString &user, const QByteArray &payload,
                           const QStringList &options = Tenth, int replies = 1,
                           QString topicUser = {})
    {
        if (topicUser.isEmpty())
            topicUser = user;
        const QString replyTopic =
            Prefix + QStringLiteral("/reply/") + user + QStringLiteral("/c1");
        QProcess sub;
        sub.start(QStringLiteral("mosquitto_sub"),
                  client(user) + QStringList{QStringLiteral("-t"), replyTopic, QStringLiteral("-C"),
                                             QString::number(replies), QStringLiteral("-W"),
                                             QStringLiteral("8")});
        QElapsedTimer settle; // until its subscription is in place
        settle.start();
        pump([&] { return settle.elapsed() > 400; });
        // Several lines: one message each, back to back.
        const bool lines = payload.contains('\n');
        const QStringList message =
            lines ? QStringList{QStringLiteral("-l")}
                  : QStringList{QStringLiteral("-m"), QString::fromUtf8(payload)};
        QProcess pub;
        pub.start(QStringLiteral("mosquitto_pub"),
                  client(user) + message +
                      QStringList{QStringLiteral("-t"),
                                  Prefix + QStringLiteral("/request/") + topicUser,
                                  QStringLiteral("-D"), QStringLiteral("PUBLISH"),
                                  QStringLiteral("response-topic"), replyTopic} +
                      options);
        if (lines) {
            pub.write(payload + '\n');
            pub.closeWriteChannel();
        }
        pump([&] { return sub.state() == QProcess::NotRunning; }, 10000);
        sub.kill();
        sub.waitForFinished(1000);
        pub.waitForFinished(1000);
        QList<QJsonObject> out;
        for (const QByteArray &line : sub.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                out.append(QJsonDocument::fromJson(line).object());
        }
        return out;
    }

    int writesOnLine() const
    {
        int n = 0;
        for (const auto &sent : link.sent())
            n += sent.frame().contains("DWR") ? 1 : 0;
        return n;
    }

    QStringList journal() const
    {
        QFile file(
            QDir(dir.filePath("data")).filePath(CommandJournal::fileName(clock.now().date())));
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts)
                   : QStringList();
    }
};

QByteArray write(int device, const char *field, double value)
{
    return QJsonDocument(
               QJsonObject{{"op", "write"}, {"device", device}, {"field", field}, {"value", value}})
        .toJson(QJsonDocument::Compact);
}

} // namespace

class tst_LineServer : public QObject
{
    Q_OBJECT

private slots:
    void readsAndTheLineTopics();
    void guardedWriteIsConfirmedByItsReadBack();
    void refusedCommandsReachNoController_data();
    void refusedCommandsReachNoController();
    void historyComesInChunks();
};

void tst_LineServer::readsAndTheLineTopics()
{
    Line l;
    const auto replies = l.ask(QStringLiteral("shift2"), R"({"op":"parameters","device":3})", {});
    QCOMPARE(replies.size(), 1);
    const QJsonObject reply = replies.first();
    QVERIFY2(reply.value("ok").toBool(), QJsonDocument(reply).toJson());
    QCOMPARE(reply.value("raw").toArray().size(), 31);
    QVERIFY(reply.value("parameters").toObject().contains("preheat_sv"));

    // The line and both controllers' blocks are retained: a client arriving now gets them.
    QProcess sub;
    sub.start("mosquitto_sub", l.client("shift2") + QStringList{"-t", Prefix + "/line", "-t",
                                                                Prefix + "/+/registers", "-t",
                                                                Prefix + "/+/parameters", "-v",
                                                                "-C", "4", "-W", "5"});
    l.pump([&] { return sub.state() == QProcess::NotRunning; });
    const QString out = QString::fromUtf8(sub.readAllStandardOutput());
    QVERIFY2(out.contains(Prefix + "/line {") && out.contains("\"connected\":true"),
             qPrintable(out));
    QVERIFY2(out.contains(Prefix + "/01/registers {") && out.contains("\"status\":["),
             qPrintable(out));
    QVERIFY2(out.contains(Prefix + "/03/parameters {\"parameters\":["), qPrintable(out));
    QVERIFY(!out.contains(Prefix + "/02/"));

    // Closed, the line leaves no block on the broker that could pass for a current one.
    l.core->engine().closePort();
    l.pump([] { return false; }, 500);
    sub.start("mosquitto_sub", l.client("shift2") + QStringList{"-t", Prefix + "/+/registers", "-v",
                                                                "-C", "1", "-W", "2"});
    l.pump([&] { return sub.state() == QProcess::NotRunning; });
    QCOMPARE(sub.readAllStandardOutput(), QByteArray());
}

void tst_LineServer::guardedWriteIsConfirmedByItsReadBack()
{
    Line l;
    l.ask(QStringLiteral("shift1"), R"({"op":"parameters","device":3})"); // the limits
    const int writes = l.writesOnLine();
    const auto replies = l.ask(QStringLiteral("shift1"), write(3, "preheat_sv", 60.0));
    QCOMPARE(replies.size(), 1);
    QVERIFY2(replies.first().value("ok").toBool(), QJsonDocument(replies.first()).toJson());
    QCOMPARE(replies.first().value("readback").toDouble(), 60.0);
    QCOMPARE(l.writesOnLine(), writes + 1);
    QCOMPARE(l.line.controller(3)->readRegister(511).value(), 600);
    QVERIFY2(l.journal().last().contains("\tshift1\tc1\t03\twrite\tpreheat_sv\t"),
             qPrintable(l.journal().join('\n')));
    QVERIFY(l.journal().last().endsWith("\t60\t60\tok"));

    // Another user's request on shift1's topic never reaches the server.
    QSignalSpy requests(&l.core->publisher(), &MqttPublisher::requestReceived);
    QVERIFY(l.ask("shift2", write(3, "preheat_sv", 61.0), Tenth, 1, "shift1").isEmpty());
    QCOMPARE(requests.size(), 0);
}

void tst_LineServer::refusedCommandsReachNoController_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("reason");
    const QByteArray ok = write(3, "preheat_sv", 60.0);
    QTest::newRow("operator's switch off") << "shift1" << ok << Tenth << "commands_disabled";
    QTest::newRow("user") << "shift2" << ok << Tenth << "user_not_allowed";
    QTest::newRow("retained") << "shift1" << ok << (Tenth + QStringList{"-r"}) << "retained";
    QTest::newRow("no expiry") << "shift1" << ok << QStringList() << "expired";
    QTest::newRow("long expiry") << "shift1" << ok
                                 << QStringList{"-D", "PUBLISH", "message-expiry-interval", "60"}
                                 << "expired";
    QTest::newRow("unlisted") << "shift1" << write(7, "preheat_sv", 60.0) << Tenth
                              << "unknown_device";
    QTest::newRow("absent") << "shift1" << write(2, "preheat_sv", 60.0) << Tenth << "not_current";
    QTest::newRow("read only") << "shift1" << write(3, "pv", 60.0) << Tenth << "not_writable";
    QTest::newRow("range") << "shift1" << write(3, "high_alarm", 5000.0) << Tenth << "out_of_range";
    QTest::newRow("limits") << "shift1" << write(3, "preheat_sv", 60.0) << Tenth << "out_of_range";
    QTest::newRow("busy") << "shift1" << ok << Tenth << "busy";
    QTest::newRow("garbled") << "shift1" << QByteArray("{\"op\":\"write\"") << Tenth
                             << "bad_request";
}

void tst_LineServer::refusedCommandsReachNoController()
{
    QFETCH(QString, user);
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, options);
    QFETCH(QString, reason);
    Line l;
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    if (row == "operator's switch off")
        l.core->server().setOperatorSwitch(true);
    if (row != "limits") // a set value is checked against the limits of a parameter block
        l.ask("shift1", R"({"op":"parameters","device":3})");
    // Busy: a second command for the controller while the first is under way.
    const bool busy = row == "busy";
    if (busy)
        payload = write(3, "high_alarm", 90.0) + '\n' + payload;
    const int writes = l.writesOnLine();
    const auto replies = l.ask(user, payload, options, busy ? 2 : 1);
    QCOMPARE(replies.size(), busy ? 2 : 1);
    const QJsonObject refusal =
        replies.first().value("ok").toBool() ? replies.last() : replies.first();
    QCOMPARE(refusal.value("ok").toBool(), false);
    QCOMPARE(refusal.value("reason").toString(), reason);
    QVERIFY(!refusal.value("text").toString().isEmpty());
    QCOMPARE(l.writesOnLine(), writes + (busy ? 1 : 0));
    if (reason != "bad_request")
        QVERIFY2(l.journal().filter(QRegularExpression("\t" + reason + "$")).size() == 1,
                 qPrintable(l.journal().join('\n')));
}

void tst_LineServer::historyComesInChunks()
{
    Line l;
    QByteArray records;
    const QDateTime start(QDate(2026, 12, 10), QTime(0, 0, 0));
    for (int i = 0; i < 12000; ++i)
        records += start.addSecs(i).toString("yyyy-MM-dd\tHH:mm:ss").toLatin1() + "\t60.0\t" +
                   QByteArray::number(20 + i % 10) + ".5\t21.0\r\n";
    l.folder.write(QStringLiteral("data/ZQ410_03.DAT"), records);
    const QByteArray ask =
        QJsonDocument(QJsonObject{{"op", "history"},
                                  {"device", 3},
                                  {"from", start.addSecs(1000).toString(Qt::ISODate)},
                                  {"to", start.addSecs(11999).toString(Qt::ISODate)}})
            .toJson(QJsonDocument::Compact);
    const auto replies = l.ask("shift2", ask, {}, 3);
    QVERIFY2(replies.size() == 3, QJsonDocument(replies.value(0)).toJson().left(300));
    QCOMPARE(replies.at(0).value("records").toArray().size(), 5000);
    QCOMPARE(replies.at(2).value("records").toArray().size(), 1000);
    QCOMPARE(replies.at(1).value("more").toBool(), true);
    QCOMPARE(replies.at(2).value("more").toBool(), false);
    const QJsonObject first = replies.at(0).value("records").toArray().first().toObject();
    QCOMPARE(first.value("pv").toDouble(), 20.5);
    QVERIFY(first.value("time").toString().startsWith("2026-12-10T00:16:40+"));
}

QTEST_GUILESS_MAIN(tst_LineServer)
#include "tst_lineserver.moc"
