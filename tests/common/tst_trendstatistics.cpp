#include "RunAlignment.h"
#include "TrendFileReader.h"
#include "TrendStatistics.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

/// Samples of one second each from 2024-05-01 08:00:00 (skipping `gapSeconds` after sample
/// `gapAt`, when given), the control temperature given by value(i); SV 60.0, aux 20.0.
struct Generated
{
    QByteArray file;
    std::vector<double> values;
};

Generated generate(int count, const std::function<double(int)> &value, int gapAt = -1,
                   int gapSeconds = 0)
{
    Generated g;
    QDateTime t(QDate(2024, 5, 1), QTime(8, 0));
    for (int i = 0; i < count; ++i) {
        if (i == gapAt)
            t = t.addSecs(gapSeconds);
        const double v = std::round(value(i) * 10) / 10;
        g.values.push_back(v);
        g.file += t.toString("yyyy-MM-dd\tHH:mm:ss").toLatin1() + "\t60.0\t" +
                  QByteArray::number(v, 'f', 1) + "\t20.0\r\n";
        t = t.addSecs(1);
    }
    return g;
}

/// The generated file written into dir and read through the viewer's loading code.
std::optional<TrendFileReader::Contents> readBack(const Generated &g, const QTemporaryDir &dir)
{
    QFile file(dir.filePath("ZQ410_01.DAT"));
    if (!file.open(QIODevice::WriteOnly) || file.write(g.file) != g.file.size())
        return std::nullopt;
    file.close();
    return TrendFileReader::read(file.fileName());
}

/// Mean and population standard deviation, two passes, long double.
std::pair<double, double> independent(const std::vector<double> &values)
{
    long double sum = 0;
    for (const double v : values)
        sum += v;
    const long double mean = sum / values.size();
    long double squares = 0;
    for (const double v : values)
        squares += (v - mean) * (v - mean);
    return {double(mean), double(std::sqrt(squares / values.size()))};
}

bool close(double a, double b)
{
    return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b));
}

} // namespace

class tst_TrendStatistics : public QObject
{
    Q_OBJECT

private slots:
    void figuresMatchAnIndependentComputation_data();
    void figuresMatchAnIndependentComputation();
    void minutesAboveAndBelowALimit();
    void everyRangeMatchesAScanWhileTheDataGrows();
    void commandLine();
    void runsAlignAtTheirFirstRecords_data();
    void runsAlignAtTheirFirstRecords();
};

void tst_TrendStatistics::figuresMatchAnIndependentComputation_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("gapAt");
    QTest::newRow("constant") << 5000 << 0 << -1;
    QTest::newRow("ramp") << 20000 << 1 << -1;
    QTest::newRow("noisy") << 50000 << 2 << -1;
    QTest::newRow("noisy with a gap") << 30000 << 2 << 12000;
    QTest::newRow("one sample") << 1 << 1 << -1;
}

/// Count, extremes and where they are, mean and spread of a file's control temperature, read
/// through the viewer's loading code, against a computation of their own.
void tst_TrendStatistics::figuresMatchAnIndependentComputation()
{
    QFETCH(int, count);
    QFETCH(int, shape);
    QFETCH(int, gapAt);
    QRandomGenerator random(7);
    const std::function<double(int)> shapes[] = {
        [](int) { return 250.0; },
        [](int i) { return 20.0 + i * 0.01; },
        [&random](int i) { return 100.0 + 30 * std::sin(i / 500.0) + random.bounded(5.0); },
    };
    const Generated g = generate(count, shapes[shape], gapAt, 3600);
    QTemporaryDir dir;
    const auto contents = readBack(g, dir);
    QVERIFY(contents);
    const TrendStatistics::All all =
        TrendStatistics::over(contents->samples, 0, contents->samples.size(), std::nullopt);
    const SeriesStatistics &pv = all[1];
    QCOMPARE(pv.count, qsizetype(count));
    const auto [mean, stddev] = independent(g.values);
    QVERIFY2(close(pv.mean, mean), qPrintable(QString::number(pv.mean - mean)));
    QVERIFY2(close(pv.stddev, stddev), qPrintable(QString::number(pv.stddev - stddev)));
    // The extremes where they are first reached.
    const auto low = std::min_element(g.values.begin(), g.values.end());
    const auto high = std::max_element(g.values.begin(), g.values.end());
    QCOMPARE(double(pv.min), double(float(*low)));
    QCOMPARE(double(pv.max), double(float(*high)));
    QCOMPARE(pv.minIndex, qsizetype(low - g.values.begin()));
    QCOMPARE(pv.maxIndex, qsizetype(high - g.values.begin()));
    QCOMPARE(all[0].mean, 60.0);
    QCOMPARE(all[0].stddev, 0.0);
}

/// A ramp from 20.0 crossing 50.0 after 300 s: 300 s below, the rest above; a gap of an hour in
/// the recording counts for neither; a value on the limit for neither.
void tst_TrendStatistics::minutesAboveAndBelowALimit()
{
    const Generated g = generate(
        900, [](int i) { return 20.0 + i * 0.1; }, 600, 3600);
    QTemporaryDir dir;
    const auto contents = readBack(g, dir);
    QVERIFY(contents);
    const TrendData &data = contents->samples;
    const SeriesStatistics pv = TrendStatistics::over(data, 0, data.size(), 50.0)[1];
    QCOMPARE(pv.secondsBelow, 300.0); // samples 0..299, each held a second; 300 is on the limit
    QCOMPARE(pv.secondsAbove, 597.0); // 301..898 (899 is the last) less the one across the gap
    const auto range = TrendStatistics::samplesBetween(
        data, TrendData::timeOf(QDateTime(QDate(2024, 5, 1), QTime(8, 1, 0))),
        TrendData::timeOf(QDateTime(QDate(2024, 5, 1), QTime(8, 1, 9))));
    QVERIFY(range);
    QCOMPARE(range->first, qsizetype(60));
    QCOMPARE(range->second, qsizetype(70));
    QVERIFY(!TrendStatistics::samplesBetween(
        data, TrendData::timeOf(QDateTime(QDate(2025, 1, 1), QTime(0, 0))),
        std::numeric_limits<qint32>::max()));
}

/// The figures come from summaries of blocks of samples: ranges starting and ending anywhere,
/// over values in tenths and in hundredths (kept as floats), across a gap, with the data growing
/// between questions as a followed file does, against a plain scan of the values given.
void tst_TrendStatistics::everyRangeMatchesAScanWhileTheDataGrows()
{
    QRandomGenerator random(11);
    TrendData data;
    std::vector<std::array<double, 2>> values;
    std::vector<qint32> times;
    constexpr double Limit = 50.0;
    qint32 t = TrendData::timeOf(QDateTime(QDate(2024, 5, 1), QTime(8, 0)));
    for (int grown = 0; grown < 6; ++grown) {
        // 3008 samples a time: the data grows at the ends of blocks of 64 samples too.
        for (int i = 0; i < 3008; ++i) {
            const int n = int(values.size());
            if (n == 7000)
                t += 3600; // the recording stopped for an hour
            // Tenths around the limit (some on it), and hundredths.
            const double tenths =
                std::round(500 + 40 * std::sin(n / 300.0) + double(random.bounded(7)) - 3) / 10.0;
            const double hundredths = double(random.bounded(10000)) / 100.0;
            values.push_back({tenths, hundredths});
            times.push_back(t);
            data.append(t, {float(tenths), float(hundredths), 0.0f});
            t += 1;
        }
        for (int question = 0; question < 20; ++question) {
            qsizetype first = random.bounded(qsizetype(values.size()));
            qsizetype last = random.bounded(qsizetype(values.size())) + 1;
            if (first >= last)
                std::swap(first, last);
            const TrendStatistics::All all = TrendStatistics::over(data, first, last, Limit);
            for (int series = 0; series < 2; ++series) {
                long double sum = 0;
                long double squares = 0;
                double above = 0;
                double below = 0;
                qsizetype minIndex = first;
                qsizetype maxIndex = first;
                for (qsizetype i = first; i < last; ++i) {
                    const double v = values[size_t(i)][size_t(series)];
                    sum += v;
                    if (v < values[size_t(minIndex)][size_t(series)])
                        minIndex = i;
                    if (v > values[size_t(maxIndex)][size_t(series)])
                        maxIndex = i;
                    const double held =
                        i + 1 < last && times[size_t(i + 1)] - times[size_t(i)] == 1 ? 1 : 0;
                    if (v > Limit)
                        above += held;
                    else if (v < Limit)
                        below += held;
                }
                const long double mean = sum / (last - first);
                for (qsizetype i = first; i < last; ++i) {
                    const long double d = values[size_t(i)][size_t(series)] - mean;
                    squares += d * d;
                }
                const SeriesStatistics &s = all[size_t(series)];
                const QString where = QStringLiteral("series %1, [%2, %3) of %4")
                                          .arg(series)
                                          .arg(first)
                                          .arg(last)
                                          .arg(values.size());
                QVERIFY2(s.count == last - first, qPrintable(where));
                QVERIFY2(s.minIndex == minIndex && s.maxIndex == maxIndex, qPrintable(where));
                QVERIFY2(close(s.mean, double(mean)), qPrintable(where));
                QVERIFY2(close(s.stddev, double(std::sqrt(squares / (last - first)))),
                         qPrintable(where));
                QVERIFY2(s.secondsAbove == above && s.secondsBelow == below, qPrintable(where));
            }
        }
    }
}

/// zq410-stats prints the header and a row per series named as in the legend; an empty range
/// the header alone, a message and exit code 1; a bad option exit code 2.
void tst_TrendStatistics::commandLine()
{
    const Generated g = generate(600, [](int i) { return 40.0 + i * 0.1; });
    QTemporaryDir dir;
    QFile file(dir.filePath("ZQ410_01.DAT"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(g.file);
    file.close();
    auto run = [&](const QStringList &arguments, QByteArray *out) {
        QProcess stats;
        stats.start(QStringLiteral(ZQ410_STATS), QStringList{file.fileName()} + arguments);
        if (!stats.waitForFinished(10000))
            return -1;
        *out = stats.readAllStandardOutput();
        return stats.exitCode();
    };
    QByteArray out;
    // 70.0 to 75.9 over a minute: 30 records below 72.95, 30 above (the last held for nothing).
    QCOMPARE(
        run({"--from", "2024-05-01 08:05:00", "--to", "2024-05-01 08:05:59", "--limit", "72.95"},
            &out),
        0);
    const QList<QByteArray> lines = out.trimmed().split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0],
             QByteArray("series\tcount\tmin\tmax\tmean\tstddev\tminutes_above\tminutes_below"));
    QCOMPARE(lines[2].split('\t'), QList<QByteArray>({"제어온도", "60", "70.0", "75.9", "72.950000",
                                                      "1.731810", "0.5", "0.5"}));
    QCOMPARE(lines[1], QByteArray("SV\t60\t60.0\t60.0\t60.000000\t0.000000\t0.0\t1.0"));
    // Extremes are printed as the file wrote them, hundredths included.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("2024-05-01\t08:00:00\t60.0\t8.13\t25\r\n2024-05-01\t08:00:01\t60.0\t9.5\t25\r\n");
    file.close();
    QCOMPARE(run({}, &out), 0);
    QCOMPARE(out.trimmed().split('\n')[2].split('\t').mid(0, 4),
             QList<QByteArray>({"제어온도", "2", "8.13", "9.5"}));
    QCOMPARE(out.trimmed().split('\n')[3].split('\t').mid(2, 2),
             QList<QByteArray>({"25.0", "25.0"}));
    QCOMPARE(run({"--from", "2030-01-01 00:00:00"}, &out), 1);
    QCOMPARE(out.trimmed().split('\n').size(), 1);
    QCOMPARE(run({"--from", "yesterday"}, &out), 2);
}

void tst_TrendStatistics::runsAlignAtTheirFirstRecords_data()
{
    QTest::addColumn<int>("gapSeconds"); ///< after the first run's record 49
    QTest::addColumn<int>("secondStep");
    QTest::addColumn<int>("secondCount");
    QTest::addColumn<bool>("secondUntimedFirst");
    /// (the second run's record, where it stands on the axis)
    QTest::addColumn<QList<QPointF>>("positions");
    /// (an axis position, the second run's record read there or -1)
    QTest::addColumn<QList<QPointF>>("readAt");
    QTest::newRow("same step") << 0 << 1 << 50 << false
                               << QList<QPointF>{{0, 0}, {30, 30}, {49, 49}}
                               << QList<QPointF>{{30, 30}, {30.4, 30}, {49, 49}, {70, -1}};
    // Past the first run's end the axis goes on at its step.
    QTest::newRow("second slower")
        << 0 << 5 << 50 << false << QList<QPointF>{{4, 20}, {19, 95}, {30, 150}, {49, 245}}
        << QList<QPointF>{{20, 4}, {22, 4}, {23, 5}, {150, 30}, {245, 49}, {260, -1}};
    // A gap of 100 s in the first run: the second run's records of that time stand between
    // records 49 and 50, the later ones at the first run's records of their time.
    QTest::newRow("gap in the first run")
        << 100 << 1 << 200 << false << QList<QPointF>{{49, 49}, {99, 49.5}, {160, 60}}
        << QList<QPointF>{{60, 160}, {99, 199}};
    QTest::newRow("second starts without a time")
        << 0 << 2 << 50 << true << QList<QPointF>{{1, 0}, {11, 20}} << QList<QPointF>{{20, 11}};
}

void tst_TrendStatistics::runsAlignAtTheirFirstRecords()
{
    QFETCH(int, gapSeconds);
    QFETCH(int, secondStep);
    QFETCH(int, secondCount);
    QFETCH(bool, secondUntimedFirst);
    QFETCH(QList<QPointF>, positions);
    QFETCH(QList<QPointF>, readAt);
    TrendData first;
    TrendData second;
    const qint32 morning = TrendData::timeOf(QDateTime(QDate(2024, 5, 1), QTime(8, 0)));
    for (int i = 0; i < 100; ++i)
        first.append(morning + i + (i >= 50 ? gapSeconds : 0), {1, 2, 3});
    const qint32 afternoon = TrendData::timeOf(QDateTime(QDate(2024, 6, 2), QTime(13, 0)));
    if (secondUntimedFirst)
        second.append(TrendData::NoTime, {1, 2, 3});
    for (int k = 0; k < secondCount; ++k)
        second.append(afternoon + k * secondStep, {1, 2, 3});
    const RunAlignment alignment(first, second);
    QVERIFY(alignment.isValid());
    for (const QPointF &p : positions) {
        const double at = alignment.positionOfSecond(p.x());
        QVERIFY2(std::abs(at - p.y()) < 0.01,
                 qPrintable(QStringLiteral("record %1 at %2").arg(p.x()).arg(at)));
    }
    for (const QPointF &p : readAt) {
        const std::optional<qsizetype> read = alignment.secondAt(p.x());
        QVERIFY2(read.value_or(-1) == qsizetype(p.y()),
                 qPrintable(QStringLiteral("at %1 read %2").arg(p.x()).arg(read.value_or(-1))));
    }
    // Elapsed time and position are each other's inverse outside the gap.
    for (double x : {0.0, 10.5, 49.0, 60.0, 99.0, 130.0})
        QVERIFY(std::abs(alignment.positionOf(alignment.elapsedAt(x)) - x) < 1e-9);
}

QTEST_GUILESS_MAIN(tst_TrendStatistics)
#include "tst_trendstatistics.moc"
