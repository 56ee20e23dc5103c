// The monitor's core polling 99 controllers of zq410-sim at 9600 baud, measured in child
// processes of its own: publishing off, publishing on, alarm limits set on all 99 controllers,
// the core under zq410d's service runner (CPU per core for each), and publishing on with a
// subscriber that times each controller's state from the decoded status reply to its arrival
// through the broker, and from the status request that asked for it; with the gap between two
// requests on the line.
//
//   bench_publish [SECONDS [MODE...]]   (default 60 s per run, after the line is on line;
//                                       modes off, on, alarms, service, latency)

#include "MonitorCore.h"
#include "MqttBroker.h"
#include "MqttProbe.h"
#include "ProgramFolder.h"
#include "ServiceRunner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int Controllers = 99;
const QString Prefix = QStringLiteral("bench/line");

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// One measured run: mode "off", "on", "alarms" or "latency", on the pseudo-terminal, with the
/// broker.
int child(const QString &mode, const QString &pty, int brokerPort, int seconds)
{
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    QList<int> all;
    for (int n = 1; n <= Controllers; ++n)
        all.append(n);
    folder.writeDeviceList(all);
    folder.writePort(pty.toLocal8Bit(), "SUM");
    if (mode == QLatin1String("alarms")) {
        QByteArray limits;
        for (int n = 1; n <= Controllers; ++n)
            limits += QStringLiteral("[%1]\nHigh=500\nLow=-50\nDeviation=900\nOnDelay=10\n")
                          .arg(n, 2, 10, QLatin1Char('0'))
                          .toLatin1();
        folder.write(QStringLiteral("CFG/Alarm.INI"), limits);
    }
    if (mode == QLatin1String("on") || mode == QLatin1String("latency"))
        folder.write(QStringLiteral("CFG/Mqtt.INI"),
                     "Enabled=true\nHost=127.0.0.1\nPort=" + QByteArray::number(brokerPort) +
                         "\nPrefix=" + Prefix.toLatin1() + "\n");
    // "service": the same core under zq410d's runner (which opens the port itself).
    std::unique_ptr<ServiceRunner> runner;
    std::unique_ptr<MonitorCore> ownCore;
    if (mode == QLatin1String("service")) {
        runner = std::make_unique<ServiceRunner>(dir.path(), dir.filePath(QStringLiteral("data")));
        runner->start();
    } else {
        ownCore = std::make_unique<MonitorCore>(dir.path(), dir.filePath(QStringLiteral("data")));
        ownCore->start();
        if (!ownCore->engine().openPort().ok()) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(pty));
            return 1;
        }
    }
    MonitorCore &core = runner ? runner->core() : *ownCore;

    std::unique_ptr<MqttProbe> probe;
    if (mode == QLatin1String("latency"))
        probe = std::make_unique<MqttProbe>(brokerPort);
    QHash<int, qint64> decodedMs;
    QHash<int, qint64> requestedMs;
    QList<qint64> latencies;
    QList<qint64> fromRequest;
    QList<qint64> gaps;
    // Every request lights the send lamp (it is dark again before the next one goes out).
    qint64 lastSendMs = 0;
    QObject::connect(&core.engine(), &PollingEngine::sendIndicatorChanged, [&](bool lit) {
        if (!lit)
            return;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (lastSendMs > 0)
            gaps.append(now - lastSendMs);
        lastSendMs = now;
    });
    QObject::connect(&core.engine(), &PollingEngine::statusBlockDecoded, [&](int row) {
        const int deviceNo = core.engine().table().deviceNo(row);
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (probe && decodedMs.contains(deviceNo)) {
            const QString topic =
                QStringLiteral("%1/%2/state").arg(Prefix).arg(deviceNo, 2, 10, QLatin1Char('0'));
            const qint64 arrived = probe->arrivedMs(topic);
            if (arrived >= decodedMs.value(deviceNo)) {
                latencies.append(arrived - decodedMs.value(deviceNo));
                fromRequest.append(arrived - requestedMs.value(deviceNo));
            }
        }
        decodedMs.insert(deviceNo, now);
        requestedMs.insert(deviceNo, lastSendMs);
    });

    // Measured from the moment the line is on line with every controller identified.
    double cpuStart = 0;
    QElapsedTimer wall;
    QTimer finish;
    finish.setSingleShot(true);
    QObject::connect(&core.engine(), &PollingEngine::onlineChanged, [&](bool online) {
        if (!online)
            return;
        cpuStart = cpuSeconds();
        wall.start();
        finish.start(seconds * 1000);
    });
    QObject::connect(&finish, &QTimer::timeout, [&] {
        const double cpu = cpuSeconds() - cpuStart;
        const double percent = 100.0 * cpu / (double(wall.elapsed()) / 1000.0);
        std::printf("%-8s CPU %.2f %% of a core (%.2f s in %lld s), %d controllers answered, "
                    "broker: %s\n",
                    qPrintable(mode), percent, cpu, wall.elapsed() / 1000, int(decodedMs.size()),
                    qPrintable(core.publisher().status().text()));
        const auto report = [](const char *what, QList<qint64> &ms) {
            if (ms.isEmpty())
                return;
            std::sort(ms.begin(), ms.end());
            std::printf("%s: median %lld ms, 95 %% %lld ms, max %lld ms over %d\n", what,
                        ms.at(ms.size() / 2), ms.at(ms.size() * 95 / 100), ms.last(),
                        int(ms.size()));
        };
        report("latency  decoded reply -> subscriber", latencies);
        report("latency  status request -> subscriber", fromRequest);
        report("gap      request to request", gaps);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 6 && args.at(1) == QLatin1String("--child"))
        return child(args.at(2), args.at(3), args.at(4).toInt(), args.at(5).toInt());
    const int seconds = args.size() > 1 ? args.at(1).toInt() : 60;

    QTemporaryDir dir;
    MqttBroker broker(dir.path());
    if (!broker.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(broker.error()));
        return 1;
    }
    QStringList devices;
    for (int n = 1; n <= Controllers; ++n)
        devices.append(QString::number(n));
    const QString link = dir.filePath(QStringLiteral("line"));
    QProcess simulator;
    simulator.start(
        QDir(app.applicationDirPath()).filePath(QStringLiteral("zq410-sim")),
        {QStringLiteral("--devices"), devices.join(','), QStringLiteral("--link"), link});
    if (!simulator.waitForReadyRead(5000)) {
        std::fprintf(stderr, "zq410-sim did not start\n");
        return 1;
    }
    std::printf("%d controllers on zq410-sim at 9600 baud, %d s a run\n", Controllers, seconds);
    std::fflush(stdout);
    const QStringList modes =
        args.size() > 2 ? args.mid(2) : QStringList{"off", "on", "alarms", "service", "latency"};
    for (const QString &mode : modes) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(app.applicationFilePath(),
                  {QStringLiteral("--child"), mode, link, QString::number(broker.port()),
                   QString::number(seconds)});
        run.waitForFinished(-1);
    }
    simulator.terminate();
    simulator.waitForFinished(5000);
    return 0;
}
