#include "EngineHarness.h"

#include <QTest>
#include <malloc.h>

/// A day on a faulty line, in virtual time: 99 controllers, every fault the simulator knows at
/// rates that change every hour, then a clean hour.
class tst_Soak : public QObject
{
    Q_OBJECT

private slots:
    void aDayOfLineFaultsNeitherStallsNorLeaks();
};

void tst_Soak::aDayOfLineFaultsNeitherStallsNorLeaks()
{
    QList<int> all;
    for (int n = 1; n <= 99; ++n)
        all.append(n);
    EngineHarness h({all, "SUM", false}, all);
    h.startUp();
    QVERIFY(h.engine->openPort().ok());
    QVERIFY(h.untilOnline(10'000'000));

    using Fault = SimulatedLine::Fault;
    const QList<Fault> faults = {Fault::Silence,     Fault::Late, Fault::Split, Fault::Noise,
                                 Fault::BadChecksum, Fault::Ng,   Fault::Cut};
    constexpr qint64 Hour = 3600 * 1000;
    constexpr qint64 Step = 1000;
    qint64 longestSilence = 0;
    qsizetype sentBefore = h.link.sent().size();
    qint64 lastSendMs = h.clock.elapsedMs();
    size_t heapAfterFirstHour = 0;
    auto runFor = [&](qint64 duration) {
        for (qint64 t = 0; t < duration; t += Step) {
            h.clock.advance(Step);
            if (h.link.sent().size() != sentBefore) {
                lastSendMs = h.link.sent().last().atMs;
                sentBefore = h.link.sent().size();
            }
            longestSilence = std::max(longestSilence, h.clock.elapsedMs() - lastSendMs);
            h.link.clearSent(); // the record of frames would grow for the whole day
            sentBefore = 0;
        }
    };
    for (int hour = 0; hour < 24; ++hour) {
        for (int f = 0; f < faults.size(); ++f)
            h.line.setFault(faults[f], 0.02 * ((hour + 3 * f) % 8)); // 0 to 14 %, shifting
        runFor(Hour);
        if (hour == 0)
            heapAfterFirstHour = mallinfo2().uordblks;
    }
    const size_t heapAfterDay = mallinfo2().uordblks;
    QVERIFY2(longestSilence <= 3000, qPrintable(QString::number(longestSilence)));

    // Faults off: within three polling cycles every controller reads "양호" again.
    for (Fault fault : faults)
        h.line.setFault(fault, 0);
    const qint64 cycle = 99 * 300;
    runFor(3 * cycle);
    for (int row = 0; row < 99; ++row)
        QVERIFY2(h.engine->table().linkState(row) == LinkState::Good,
                 qPrintable(QString::number(row)));
    runFor(Hour);
    QVERIFY2(longestSilence <= 3000, qPrintable(QString::number(longestSilence)));
    // Memory flat: the heap after the day holds no more than a little over the first hour's.
    QVERIFY2(heapAfterDay < heapAfterFirstHour + (1 << 20),
             qPrintable(QStringLiteral("%1 -> %2").arg(heapAfterFirstHour).arg(heapAfterDay)));
}

QTEST_GUILESS_MAIN(tst_Soak)
#include "tst_soak.moc"
