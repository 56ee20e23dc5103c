#include "TrendData.h"

#include <QRandomGenerator>
#include <QTest>

class tst_TrendData : public QObject
{
    Q_OBJECT

private slots:
    void stampsCarryTheirDateWhenTheDataSpansDays();
    void rangeMatchesAFullScanForAnyRun();
    void decimationKeepsEveryColumnsExtremes();
    void fewSamplesAreDrawnAsTheyAre();
    void appendingKeepsTheSummariesUpToDate();
    void memoryStaysCompact();
    void valuesReadBackExactlyWhateverTheirForm();
    void appendedPartsReadAsOneSeries();
    void timeTexts();
    void gapsAreWhereTheRecordingStopped_data();
    void gapsAreWhereTheRecordingStopped();
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

/// Whole tenths are kept in 16 bits; the first value that is not turns its chunk's column to
/// floats. Either way every value reads back as the float it was given.
void tst_TrendData::valuesReadBackExactlyWhateverTheirForm()
{
    const std::vector<float> odd = {45.3f,     -3276.7f, 3276.7f, 0.05f, 3276.8f,
                                    -40000.0f, 1e-7f,    25.0f,   -0.1f, float(1.0 / 3)};
    for (size_t at = 0; at < odd.size(); ++at) {
        TrendData data;
        std::vector<float> given;
        for (int i = 0; i < 100; ++i) {
            const float v = i == 50 ? odd[at] : float(i) / 10.0f + 20.0f;
            given.push_back(v);
            data.append(i, {v, -v, 60.0f});
        }
        data.appendTenths(100, {453, -5, 600});
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(data.value(0, i), given[size_t(i)]);
            QCOMPARE(data.value(1, i), -given[size_t(i)]);
        }
        QCOMPARE(data.value(0, 100), 45.3f);
        QCOMPARE(data.value(1, 100), -0.5f);
        QCOMPARE(data.value(2, 100), 60.0f);
        QCOMPARE(data.range(0, 0, 101).max,
                 std::max(45.3f, *std::max_element(given.begin(), given.end())));
    }
}

/// Parts read apart and appended whole (their chunks taken over, a part's last chunk partly
/// filled) give the same samples, ranges and labels as one series appended sample by sample.
void tst_TrendData::appendedPartsReadAsOneSeries()
{
    TrendData whole;
    fill(whole, 200000, 21);
    whole.setLastLabel(QStringLiteral("end"));
    TrendData joined;
    for (const auto &[first, last] : {std::pair<qsizetype, qsizetype>{0, 70001},
                                      {70001, 70001},
                                      {70001, 70100},
                                      {70100, 200000}}) {
        TrendData part;
        for (qsizetype i = first; i < last; ++i)
            part.append(whole.time(i), {whole.value(0, i), whole.value(1, i), whole.value(2, i)});
        if (last == 200000)
            part.setLastLabel(QStringLiteral("end"));
        joined.append(std::move(part));
        QCOMPARE(part.size(), qsizetype(0));
    }
    QCOMPARE(joined.size(), whole.size());
    QRandomGenerator random(8);
    for (int trial = 0; trial < 500; ++trial) {
        const qsizetype a = 69990 + random.bounded(200);
        const qsizetype b = a + random.bounded(130000);
        const int series = trial % 3;
        QCOMPARE(joined.range(series, a, b).min, whole.range(series, a, b).min);
        QCOMPARE(joined.range(series, a, b).max, whole.range(series, a, b).max);
        QCOMPARE(joined.value(series, a), whole.value(series, a));
        QCOMPARE(joined.time(b - 1), whole.time(b - 1));
    }
    QCOMPARE(joined.label(199999), QStringLiteral("end"));
    joined.append(1, {1, 2, 3});
    QCOMPARE(joined.value(2, 200000), 3.0f);
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

using Steps = QList<int>;
using Indexes = QList<qsizetype>;

void tst_TrendData::gapsAreWhereTheRecordingStopped_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<Indexes>("gaps");
    QTest::newRow("one second, steady") << Steps{1, 1, 1, 1, 1} << Indexes{};
    QTest::newRow("one second, late now and then") << Steps{1, 2, 1, 1, 2, 1} << Indexes{};
    QTest::newRow("one second, stopped 76 s") << Steps{1, 1, 76, 1, 1} << Indexes{3};
    QTest::newRow("one record missed") << Steps{1, 1, 3, 1, 1} << Indexes{3};
    QTest::newRow("a minute, late a second") << Steps{60, 61, 60, 60} << Indexes{};
    QTest::newRow("a minute, stopped an hour") << Steps{60, 60, 3600, 60} << Indexes{3};
    QTest::newRow("clock set back") << Steps{1, 1, -3600, 1} << Indexes{3};
    QTest::newRow("period shortened") << Steps{60, 60, 60, 1, 1, 1} << Indexes{};
    QTest::newRow("two stops") << Steps{5, 5, 100, 5, 5, 200, 5} << Indexes{3, 6};
    QTest::newRow("the same second twice") << Steps{1, 0, 1, 1} << Indexes{};
}

/// A gap lies before sample i when the time jumps back, or forward by more than twice the steps
/// beside it; found whether the samples came one by one or as two parts joined.
void tst_TrendData::gapsAreWhereTheRecordingStopped()
{
    QFETCH(Steps, steps);
    QFETCH(Indexes, gaps);
    QList<qint32> times = {TrendData::timeOf(QDateTime(QDate(2024, 5, 1), QTime(19, 0)))};
    for (int step : steps)
        times.append(times.last() + step);
    TrendData whole;
    for (qint32 t : times)
        whole.append(t, {1, 2, 3});
    const auto asList = [](const std::vector<qsizetype> &v) {
        return Indexes(v.begin(), v.end());
    };
    QCOMPARE(asList(whole.gapsIn(0, whole.size())), gaps);
    for (qsizetype split = 1; split < times.size(); ++split) {
        TrendData head;
        TrendData tail;
        for (qsizetype i = 0; i < times.size(); ++i)
            (i < split ? head : tail).append(times[i], {1, 2, 3});
        head.append(std::move(tail));
        QCOMPARE(asList(head.gapsIn(0, head.size())), gaps);
    }
    // A range sees only the gaps inside it: one starting at a gap's sample has not that gap.
    if (!gaps.isEmpty())
        QCOMPARE(asList(whole.gapsIn(gaps.first(), whole.size())), gaps.mid(1));
}

/// A day's records read "12:00:00"; records over midnight "03-02 12:00:00", so that cursors a
/// day apart never read as B before A; a label given instead of a time stays as it is.
void tst_TrendData::stampsCarryTheirDateWhenTheDataSpansDays()
{
    const QDateTime noon(QDate(2026, 3, 2), QTime(12, 0));
    TrendData oneDay;
    oneDay.append(TrendData::timeOf(noon), {1, 2, 3});
    oneDay.append(TrendData::timeOf(noon.addSecs(11 * 3600)), {1, 2, 3});
    QVERIFY(!oneDay.spansDays());
    QCOMPARE(oneDay.stamp(0), QStringLiteral("12:00:00"));

    TrendData twoDays;
    twoDays.append(TrendData::timeOf(noon), {1, 2, 3});
    twoDays.append(TrendData::timeOf(noon.addSecs(86399)), {1, 2, 3});
    twoDays.append(TrendData::NoTime, {1, 2, 3});
    twoDays.setLastLabel(QStringLiteral("2026/03/03 A"));
    twoDays.append(TrendData::timeOf(noon.addSecs(86400)), {1, 2, 3});
    QVERIFY(twoDays.spansDays());
    QCOMPARE(twoDays.stamp(0), QStringLiteral("03-02 12:00:00"));
    QCOMPARE(twoDays.stamp(1), QStringLiteral("03-03 11:59:59"));
    QCOMPARE(twoDays.stamp(2), QStringLiteral("2026/03/03 A"));
}

QTEST_GUILESS_MAIN(tst_TrendData)
#include "tst_trenddata.moc"
