// zq410-sim: a line of simulated ZQ410 controllers on a pseudo-terminal.

#include "PtyPort.h"
#include "SimulatedLine.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int ModelStepMs = 100;

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

/// SIGINT and SIGTERM end the event loop cleanly, so the symbolic link is removed.
void quitOnSignals(QCoreApplication &app)
{
    if (::pipe(signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "zq410-sim: %s\n", qPrintable(message));
    std::exit(2);
}

QList<int> parseDevices(const QString &text)
{
    QList<int> devices;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int deviceNo = part.trimmed().toInt(&ok);
        if (!ok || deviceNo < 1 || deviceNo > 99)
            fail(QStringLiteral("device numbers are 1 to 99: %1").arg(part));
        if (!devices.contains(deviceNo))
            devices.append(deviceNo);
    }
    if (devices.isEmpty())
        fail(QStringLiteral("no devices given"));
    return devices;
}

void applyFault(SimulatedLine &line, const QString &text)
{
    const QString name = text.section(QLatin1Char('='), 0, 0).trimmed().toLower();
    const auto fault = SimulatedLine::faultFromName(name);
    if (!fault)
        fail(QStringLiteral("unknown fault: %1").arg(name));
    double rate = 1.0;
    if (text.contains(QLatin1Char('='))) {
        bool ok = false;
        rate = text.section(QLatin1Char('='), 1).toDouble(&ok);
        if (!ok || rate < 0 || rate > 1)
            fail(QStringLiteral("a fault rate is a number from 0 to 1: %1").arg(text));
    }
    line.setFault(*fault, rate);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zq410-sim"));
    QCoreApplication::setApplicationVersion(QLatin1String(Version::Number));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates a serial line of ZQ410 temperature controllers on a pseudo-terminal.\n"
        "The first line printed is the pseudo-terminal's path: open it as the serial port.\n"
        "Runs until stopped with Ctrl+C (SIGINT) or SIGTERM.\n\n"
        "Faults (each --fault KIND or KIND=RATE, RATE from 0 to 1, default 1):\n"
        "  silence  no reply            late   reply after 900 ms\n"
        "  split    reply in two pieces noise  junk bytes before the reply\n"
        "  badsum   wrong checksum (SUM) ng     \"NG\" reply\n"
        "  cut      reply without its LF"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption devices(QStringLiteral("devices"),
                                     QStringLiteral("Controller numbers on the line (default 1)."),
                                     QStringLiteral("1,3,4"), QStringLiteral("1"));
    const QCommandLineOption protocol(QStringLiteral("protocol"),
                                      QStringLiteral("Framing: STD or SUM (default SUM)."),
                                      QStringLiteral("STD|SUM"), QStringLiteral("SUM"));
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("Pace of the replies in baud (default 9600)."),
                                  QStringLiteral("rate"), QStringLiteral("9600"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make PATH a symbolic link to the "
                                                 "pseudo-terminal (removed on exit)."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption latency(QStringLiteral("latency"),
                                     QStringLiteral("Reply delay after a request (default 20)."),
                                     QStringLiteral("MS"), QStringLiteral("20"));
    const QCommandLineOption fault(QStringLiteral("fault"), QStringLiteral("Inject a fault."),
                                   QStringLiteral("KIND[=RATE]"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the fault dice (default 1)."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption running(QStringLiteral("running"),
                                     QStringLiteral("Start every controller running (as if its "
                                                    "RUN button was pressed), so values move at "
                                                    "once."));
    parser.addOptions({devices, protocol, baud, link, latency, fault, seed, running});
    parser.process(app);

    const QString protocolText = parser.value(protocol).toUpper();
    if (protocolText != QLatin1String("STD") && protocolText != QLatin1String("SUM"))
        fail(QStringLiteral("the protocol is STD or SUM"));
    const int baudRate = parser.value(baud).toInt();
    if (baudRate < 50)
        fail(QStringLiteral("the baud rate must be at least 50"));

    SimulatedLine line(parseDevices(parser.value(devices)), Frames::checksumModeOf(protocolText),
                       parser.value(seed).toUInt());
    line.setLatency(std::max(0, parser.value(latency).toInt()));
    for (const QString &text : parser.values(fault))
        applyFault(line, text);
    if (parser.isSet(running)) {
        for (const int deviceNo : parseDevices(parser.value(devices)))
            line.controller(deviceNo)->setRunning(true);
    }

    PtyPort port(baudRate);
    if (!port.open())
        fail(QStringLiteral("cannot open a pseudo-terminal: %1").arg(port.errorString()));
    const QString linkPath = parser.value(link);
    if (!linkPath.isEmpty()) {
        QFile::remove(linkPath);
        if (!QFile::link(port.slavePath(), linkPath))
            fail(QStringLiteral("cannot create the link %1").arg(linkPath));
    }
    std::printf("%s\n", qPrintable(port.slavePath()));
    std::fflush(stdout);

    QObject::connect(&port, &PtyPort::received, &app, [&](const QByteArray &bytes) {
        for (const SimulatedLine::Emission &emission : line.receive(bytes)) {
            QTimer::singleShot(emission.delayMs, Qt::PreciseTimer, &port,
                               [&port, out = emission.bytes] { port.send(out); });
        }
    });
    QTimer model;
    QObject::connect(&model, &QTimer::timeout, &app, [&line] { line.advance(ModelStepMs); });
    model.start(ModelStepMs);

    quitOnSignals(app);
    const int rc = app.exec();
    if (!linkPath.isEmpty())
        QFile::remove(linkPath);
    return rc;
}
