// Store and forward: a trend file of RECORDS one-second records for one controller, none of
// them acknowledged yet, replayed to a broker of the bench's own by the monitor's core (the
// port stays closed): how long until the broker acknowledged them all, the rate, the CPU used
// and the memory over the run (flat: the file is read from the cursor on, a little at a time).
// Takes RECORDS / 500 seconds.
//
//   bench_replay [RECORDS]   (default 100000)

#include "MonitorCore.h"
#include "MqttBroker.h"
#include "ProgramFolder.h"
#include "TrendFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// Resident memory now, in MiB.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    MqttBroker broker(dir.path());
    if (!broker.start()) {
        std::fprintf(stderr, "broker: %s\n", qPrintable(broker.error()));
        return 1;
    }
    const ProgramFolder folder(dir.path());
    folder.writeDeviceList({1});
    folder.write(QStringLiteral("CFG/Mqtt.INI"),
                 "Enabled=true\nHost=127.0.0.1\nPort=" + QByteArray::number(broker.port()) +
                     "\nPrefix=bench/replay\n");
    QByteArray lines;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-records);
    for (int i = 0; i < records; ++i)
        lines += TrendFile::recordLine(start.addSecs(i), QStringLiteral("60.0"),
                                       QStringLiteral("%1").arg(20 + i % 400 / 10.0, 0, 'f', 1),
                                       QStringLiteral("21.0"))
                     .toLatin1() +
                 "\r\n";
    folder.write(QStringLiteral("data/ZQ410_01.DAT"), lines);
    MonitorCore core(dir.path(), dir.filePath(QStringLiteral("data")));
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    core.start();
    double lowest = residentMiB();
    double highest = lowest;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] {
        lowest = std::min(lowest, residentMiB());
        highest = std::max(highest, residentMiB());
        // The backlog counts what the broker has not acknowledged yet.
        if (wall.elapsed() > 2000 && core.publisher().backlog() == 0)
            app.quit();
        if (wall.elapsed() % 10000 < 250)
            std::printf("  %3lld s: backlog %lld, %.1f MiB\n", wall.elapsed() / 1000,
                        core.publisher().backlog(), residentMiB());
    });
    sample.start(250);
    app.exec();
    const double seconds = wall.elapsed() / 1000.0;
    std::printf("replay of %d records: %.1f s, %.0f records/s, CPU %.2f s (%.1f %% of a core), "
                "resident %.1f..%.1f MiB\n",
                records, seconds, records / seconds, cpuSeconds() - cpuBefore,
                100 * (cpuSeconds() - cpuBefore) / seconds, lowest, highest);
    return 0;
}
