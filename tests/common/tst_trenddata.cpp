#include "TrendData.h"

#include <QRandomGenerator>
#include <QTest>

class tst_TrendData : public QObject
{
    Q_OBJECT

private slots:
    void rangeMatchesAFullScanForAnyRun();
    void decimationKeepsEveryColumnsExtremes();
    void fewSamplesAreDrawnAsTheyAre();
    void appendingKeepsTheSummariesUpToDate();
    void memoryStaysCompact();
    void timeTexts();
};

static void fill(TrendData &data, qsizetype count, quint32 seed)
{
    QRandomGenerator random(seed);
    float walk = 25;
    for (qsizetype i = 0; i < count; ++i) {
        walk += float(random.bounded(200) - 100) / 50.0f;
        const float spike = random.bounded(1000) == 0 ? 500.0f : 0.0f;
        data.append(qint32(i % 86400), {60.0f, walk + spike, walk - spike});
    }
}

static MinMax scan(const TrendData &data, int series, qsizetype first, qsizetype last)
{
    MinMax m;
    for (qsizetype i = first; i < last; ++i)
        m.include(data.value(series, i));
    return m;
}

void tst_TrendData::rangeMatchesAFullScanForAnyRun()
{
    TrendData data;
    fill(data, 70000, 7); // crosses a chunk boundary
    QRandomGenerator random(3);
    for (int trial = 0; trial < 2000; ++trial) {
        const qsizetype a = random.bounded(int(data.size()));
        const qsizetype b = a + random.bounded(int(data.size() - a) + 1);
        const int series = trial % 3;
        const MinMax fast = data.range(series, a, b);
        const MinMax slow = scan(data, series, a, b);
        QCOMPARE(fast.min, slow.min);
        QCOMPARE(fast.max, slow.max);
    }
    QVERIFY(data.range(0, 10, 10).isEmpty());
    QVERIFY(data.range(0, -5, 0).isEmpty());
    QCOMPARE(data.range(1, -5, 1 << 30).max, scan(data, 1, 0, data.size()).max);
}

void tst_TrendData::decimationKeepsEveryColumnsExtremes()
{
    TrendData data;
    fill(data, 100000, 11);
    std::vector<double> xs, ys;
    const int columns = 697;
    const qsizetype first = 1234, last = 98765;
    data.decimate(1, first, last, columns, xs, ys);
    QCOMPARE(xs.size(), size_t(2 * columns));
    const qsizetype count = last - first;
    for (int c = 0; c < columns; ++c) {
        const qsizetype a = first + count * c / columns;
        const qsizetype b = first + count * (c + 1) / columns;
        const MinMax expected = scan(data, 1, a, b);
        const double lo = std::min(ys[2 * c], ys[2 * c + 1]);
        const double hi = std::max(ys[2 * c], ys[2 * c + 1]);
        QCOMPARE(lo, double(expected.min));
        QCOMPARE(hi, double(expected.max));
        QVERIFY(xs[2 * c] >= a && xs[2 * c] < b);
    }
}

void tst_TrendData::fewSamplesAreDrawnAsTheyAre()
{
    TrendData data;
    fill(data, 50, 1);
    std::vector<double> xs, ys;
    data.decimate(2, 10, 40, 697, xs, ys);
    QCOMPARE(xs.size(), size_t(30));
    QCOMPARE(xs.front(), 10.0);
    QCOMPARE(ys.back(), double(data.value(2, 39)));
}

void tst_TrendData::appendingKeepsTheSummariesUpToDate()
{
    TrendData data;
    for (int i = 0; i < 5000; ++i) {
        data.append(i, {float(i), float(-i), float(i % 7)});
        if (i % 97 == 0) {
            QCOMPARE(data.range(0, 0, data.size()).max, float(i));
            QCOMPARE(data.range(1, 0, data.size()).min, float(-i));
        }
    }
    data.clear();
    QCOMPARE(data.size(), qsizetype(0));
    data.append(5, {1, 2, 3});
    QCOMPARE(data.range(2, 0, 1).max, 3.0f);
}

void tst_TrendData::memoryStaysCompact()
{
    TrendData data;
    fill(data, 1 << 20, 5);
    const double perSample = double(data.memoryBytes()) / double(data.size());
    QVERIFY2(perSample < 24, qPrintable(QString::number(perSample)));
}

void tst_TrendData::timeTexts()
{
    QCOMPARE(TrendData::timeText(0), QStringLiteral("00:00:00"));
    QCOMPARE(TrendData::timeText(14 * 3600 + 5 * 60 + 9), QStringLiteral("14:05:09"));
    QCOMPARE(TrendData::timeText(TrendData::NoTime), QString());
    // Dates: seconds since 2000-01-01, before it too.
    const qint32 t = TrendData::timeOf(QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)));
    QCOMPARE(TrendData::timeText(t), QStringLiteral("14:05:09"));
    QCOMPARE(TrendData::dateText(t), QStringLiteral("03-07"));
    const qint32 before = TrendData::timeOf(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)));
    QCOMPARE(before, -1);
    QCOMPARE(TrendData::timeText(before), QStringLiteral("23:59:59"));
    QCOMPARE(TrendData::dateText(before), QStringLiteral("12-31"));
}

QTEST_GUILESS_MAIN(tst_TrendData)
#include "tst_trenddata.moc"
