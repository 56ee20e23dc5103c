#include "EventMarkLayer.h"
#include "RunAlignment.h"
#include "TimeTicker.h"

#include <QFontMetricsF>
#include <QTest>

/// Labels of the chart laid out without a widget: time ticks over a gap and across midnight,
/// and the texts of alarm marks standing close together.
class tst_ChartLabels : public QObject
{
    Q_OBJECT

private slots:
    void timeTicksFallOnRoundTimesAndNameNewDays_data();
    void timeTicksFallOnRoundTimesAndNameNewDays();
    void timeLabelsNeverOverlapAndKeepTheGapsOwnTime_data();
    void timeLabelsNeverOverlapAndKeepTheGapsOwnTime();
    void markTextsStackThenGiveWay_data();
    void markTextsStackThenGiveWay();
};

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<EventMarkLayer::Place>)

void tst_ChartLabels::timeTicksFallOnRoundTimesAndNameNewDays_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stepSeconds");
    QTest::addColumn<QStringList>("labels");
    const QDate may1(2024, 5, 1);
    QTest::newRow("an hour of seconds")
        << QDateTime(may1, QTime(13, 4, 5)) << 3600 << 1
        << QStringList{"13:10", "13:20", "13:30", "13:40", "13:50", "14:00"};
    QTest::newRow("a minute of seconds")
        << QDateTime(may1, QTime(13, 4, 5)) << 60 << 1
        << QStringList{"13:04:10", "13:04:20", "13:04:30", "13:04:40", "13:04:50", "13:05:00"};
    QTest::newRow("three days of minutes")
        << QDateTime(may1, QTime(0, 0, 30)) << 3 * 1440 << 60
        << QStringList{"12:00\n05-01", "00:00\n05-02", "12:00", "00:00\n05-03", "12:00"};
    QTest::newRow("23 days of minutes")
        << QDateTime(may1, QTime(8, 0)) << 23 * 1440 << 60
        << QStringList{"00:00\n05-04", "00:00\n05-09", "00:00\n05-14", "00:00\n05-19",
                       "00:00\n05-24"};
}

void tst_ChartLabels::timeTicksFallOnRoundTimesAndNameNewDays()
{
    QFETCH(QDateTime, start);
    QFETCH(int, count);
    QFETCH(int, stepSeconds);
    QFETCH(QStringList, labels);
    TrendData data;
    for (int i = 0; i < count; ++i)
        data.append(TrendData::timeOf(start.addSecs(qint64(i) * stepSeconds)), {60, 25, 20});
    const std::unique_ptr<RunAlignment> noAlignment;
    TimeTicker ticker(data, noAlignment);
    ticker.setRoom(697, QFont());
    QVector<double> ticks;
    QVector<QString> generated;
    ticker.generate(QCPRange(0, double(count - 1)), QLocale(), 'g', 0, ticks, nullptr, &generated);
    QCOMPARE(QStringList(generated.begin(), generated.end()), labels);
}

void tst_ChartLabels::timeLabelsNeverOverlapAndKeepTheGapsOwnTime_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<int>("stoppedAfter");
    QTest::addColumn<int>("resumedAt");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QString>("kept");
    const QDate may1(2024, 5, 1);
    // Resumed 6 s before the round 10:15:30: both labels would share one place.
    QTest::newRow("resumed just before a round time")
        << QDateTime(may1, QTime(10, 13)) << 60 << 144 << 300 << 560 << "10:15:24";
    QTest::newRow("a narrow chart")
        << QDateTime(may1, QTime(10, 13)) << 60 << 144 << 300 << 250 << "10:15:24";
    // Resumed after midnight: the new day's first label carries its date whatever was dropped.
    QTest::newRow("resumed after midnight")
        << QDateTime(may1, QTime(23, 58, 30)) << 80 << 97 << 220 << 560 << "00:00:07\n05-02";
}

void tst_ChartLabels::timeLabelsNeverOverlapAndKeepTheGapsOwnTime()
{
    QFETCH(QDateTime, start);
    QFETCH(int, stoppedAfter);
    QFETCH(int, resumedAt);
    QFETCH(int, end);
    QFETCH(int, pixels);
    QFETCH(QString, kept);
    TrendData data;
    for (int second = 0; second <= end; ++second) {
        if (second <= stoppedAfter || second >= resumedAt)
            data.append(TrendData::timeOf(start.addSecs(second)), {60.0f, 25.0f, 20.0f});
    }
    const std::unique_ptr<RunAlignment> noAlignment;
    TimeTicker ticker(data, noAlignment);
    const QFont font;
    ticker.setRoom(pixels, font);
    const QCPRange range(0, double(data.size() - 1));
    QVector<double> ticks;
    QVector<QString> labels;
    ticker.generate(range, QLocale(), 'g', 0, ticks, nullptr, &labels);
    const QString all = QStringList(labels.begin(), labels.end()).join(QLatin1Char(' '));
    QVERIFY2(labels.contains(kept), qPrintable(all));
    QVERIFY2(labels.first().contains(QLatin1Char('\n')) == data.spansDays(), qPrintable(all));
    const QFontMetricsF metrics(font);
    const auto width = [&metrics](const QString &label) {
        double widest = 0;
        for (const QString &line : label.split(QLatin1Char('\n')))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        return widest;
    };
    for (int k = 1; k < ticks.size(); ++k) {
        const double apart = (ticks[k] - ticks[k - 1]) * pixels / range.size();
        QVERIFY2(apart >= (width(labels[k]) + width(labels[k - 1])) / 2, qPrintable(all));
    }
}

void tst_ChartLabels::markTextsStackThenGiveWay_data()
{
    using Place = EventMarkLayer::Place;
    QTest::addColumn<std::vector<double>>("lines");
    QTest::addColumn<std::vector<EventMarkLayer::Place>>("places");
    // Texts 50 px wide in a plot from 0 to 600.
    QTest::newRow("apart") << std::vector<double>{100, 300}
                           << std::vector<Place>{{0, 102, 50}, {0, 302, 50}};
    QTest::newRow("close: a row lower")
        << std::vector<double>{100, 110} << std::vector<Place>{{0, 102, 50}, {1, 112, 50}};
    QTest::newRow("rows full: the first is cut at the fourth line")
        << std::vector<double>{100, 110, 120, 130}
        << std::vector<Place>{{0, 102, 28}, {1, 112, 50}, {2, 122, 50}, {0, 132, 50}};
    QTest::newRow("too little left: the first loses its text")
        << std::vector<double>{100, 104, 108, 112}
        << std::vector<Place>{{0, 102, 0}, {1, 106, 50}, {2, 110, 50}, {0, 114, 50}};
    QTest::newRow("at the right edge: left of its line")
        << std::vector<double>{600} << std::vector<Place>{{0, 548, 50}};
}

void tst_ChartLabels::markTextsStackThenGiveWay()
{
    QFETCH(std::vector<double>, lines);
    QFETCH(std::vector<EventMarkLayer::Place>, places);
    const std::vector<double> widths(lines.size(), 50);
    QVERIFY(EventMarkLayer::placeTexts(lines, widths, 0, 600) == places);
}

QTEST_MAIN(tst_ChartLabels)
#include "tst_chartlabels.moc"
