#include "EngineHarness.h"

#include "ProgramFolder.h"

EngineHarness::EngineHarness(const Settings &settings, const QList<int> &present)
    : clock(QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5))),
      line(present, Frames::checksumModeOf(QString::fromLatin1(settings.protocol)))
{
    const ProgramFolder folder(dir.path());
    if (!settings.listed.isEmpty())
        folder.writeDeviceList(settings.listed);
    if (!settings.protocol.isEmpty())
        folder.writePort("COM1", settings.protocol);
    if (settings.trace)
        folder.write(QStringLiteral("CFG/LogSaveF.INI"), "1\r\n");
    link.attach(&line);
    engine = std::make_unique<PollingEngine>(link, clock, dir.path());
    this->settings = std::make_unique<MonitorSettings>(*engine, dir.path(), dir.filePath("data"));
}

QList<QByteArray> EngineHarness::frames(qsizetype first) const
{
    QList<QByteArray> out;
    for (qsizetype i = first; i < link.sent().size(); ++i)
        out.append(link.sent().at(i).frame());
    return out;
}

QList<qint64> EngineHarness::times() const
{
    QList<qint64> out;
    for (const auto &sent : link.sent())
        out.append(sent.atMs);
    return out;
}

QList<QByteArray> EngineHarness::nextFrames(int n)
{
    const qsizetype first = link.sent().size();
    runFrames(n);
    return frames(first);
}

bool EngineHarness::untilOnline(qint64 maxMs)
{
    return runUntil([this] { return engine->isOnline(); }, maxMs);
}

bool EngineHarness::goOnline()
{
    if (!engine->openPort().ok() || !untilOnline())
        return false;
    runFrames(1);
    clock.advance(220);
    return true;
}

bool EngineHarness::runUntil(const std::function<bool()> &done, qint64 maxMs)
{
    for (qint64 ms = 0; ms <= maxMs; ms += 10) {
        if (done())
            return true;
        clock.advance(10);
    }
    return done();
}

void EngineHarness::runFrames(int n)
{
    const qsizetype target = link.sent().size() + n;
    for (int i = 0; i < 100000 && link.sent().size() < target; ++i)
        clock.advance(1);
}

QList<bool> connectedRows(const DeviceTable &table)
{
    QList<bool> rows;
    for (int row = 0; row < table.rowCount(); ++row)
        rows.append(table.connected(row));
    return rows;
}

QList<bool> runningRows(const DeviceTable &table)
{
    QList<bool> rows;
    for (int row = 0; row < table.rowCount(); ++row)
        rows.append(table.running(row));
    return rows;
}
