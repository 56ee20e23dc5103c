#include "ChartCursors.h"
#include "ChartTablePanel.h"
#include "TrendChart.h"

#include <qcustomplot.h>

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

class tst_TrendChart : public QObject
{
    Q_OBJECT

private slots:
    void timeLabelsNeverRunBackwards();
    void ticksStandAtTheirTimesAndGapsBreakTheLine_data();
    void ticksStandAtTheirTimesAndGapsBreakTheLine();
    void threeDChangesTheDrawing();
    void seriesColourVisibilityAndWidthShowInThePicture();
    void scrollBarMovesAZoomedView();
    void borderFramesTheChartAndTheLegendStaysOffThePlot();
    void valueAxisFollowsTheDataUnlessFixed();
    void valueLabelsShareOneNumberOfDecimals_data();
    void valueLabelsShareOneNumberOfDecimals();
    void printsToPdf();
    void hoverReadoutStaysInsideThePlot();
    void tablesStandWhereTheLinesAreNotAndMoveAndFold();
    void aRunComparedWithOneOverMidnightIsDatedToo();
};

static void fill(TrendChart &chart, int count)
{
    for (int i = 0; i < count; ++i)
        chart.data().append(8 * 3600 + i, {60.0f, 20.0f + float(i % 50), 10.0f});
    chart.dataChanged();
}

/// Samples every `stepSeconds` from `start`, as a file of records would give them.
static void fillFrom(TrendChart &chart, const QDateTime &start, int count, int stepSeconds)
{
    for (int i = 0; i < count; ++i)
        chart.data().append(TrendData::timeOf(start.addSecs(qint64(i) * stepSeconds)),
                            {60.0f, 20.0f + float(i % 50), 10.0f});
    chart.dataChanged();
}

/// Zoomed and scrolled across a long file, labels rise left to right; a label that starts a new
/// day says so.
void tst_TrendChart::timeLabelsNeverRunBackwards()
{
    TrendChart chart;
    chart.resize(697, 353);
    fillFrom(chart, QDateTime(QDate(2024, 5, 1), QTime(8, 0)), 23 * 1440, 60);
    chart.setScrollBarVisible(true);
    auto *bar = chart.findChild<QScrollBar *>();
    for (const int span : {90, 2000, 9000}) {
        chart.setXRange(0, span);
        for (int position = 0; position <= bar->maximum(); position += bar->maximum() / 7) {
            bar->setValue(position);
            chart.redraw();
            const QStringList labels = chart.timeAxisLabels();
            QVERIFY2(labels.size() >= 2, qPrintable(labels.join(' ')));
            for (int i = 1; i < labels.size(); ++i) {
                const bool newDay = labels[i].contains(QLatin1Char('\n'));
                QVERIFY2(newDay || labels[i].left(8) > labels[i - 1].left(8),
                         qPrintable(labels.join(QLatin1Char(' '))));
            }
        }
    }
}

void tst_TrendChart::ticksStandAtTheirTimesAndGapsBreakTheLine_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<int>("stoppedAfter");
    QTest::addColumn<int>("resumedAt");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("resumptionLabel");
    // 19:18:00 to 19:19:48, none for 76 s, then on from 19:21:04.
    QTest::newRow("76 s without records") << QTime(19, 18) << 108 << 184 << 300 << QString();
    // The round 19:20 falls in the gap and the records resume before 19:25: a tick of their own.
    QTest::newRow("resumed within the step")
        << QTime(19, 10) << 560 << 636 << 1500 << QStringLiteral("19:20:36");
}

/// Records a second with a stop: every label names the time of the place where it stands, none
/// stands in the gap, no line crosses it, and records resuming between two round times get a
/// tick of their own.
void tst_TrendChart::ticksStandAtTheirTimesAndGapsBreakTheLine()
{
    QFETCH(QTime, start);
    QFETCH(int, stoppedAfter);
    QFETCH(int, resumedAt);
    QFETCH(int, end);
    QFETCH(QString, resumptionLabel);
    TrendChart chart;
    chart.resize(697, 353);
    const QDateTime first(QDate(2024, 5, 1), start);
    QList<qint32> times;
    for (int second = 0; second <= end; ++second) {
        if (second <= stoppedAfter || second >= resumedAt)
            times.append(TrendData::timeOf(first.addSecs(second)));
    }
    for (qint32 t : times)
        chart.data().append(t, {60.0f, 25.0f, 20.0f});
    chart.dataChanged();
    const qsizetype lastBefore = stoppedAfter;
    QStringList allLabels;
    for (const auto &[from, to] : {std::pair<double, double>{0, double(times.size() - 1)},
                                   {double(lastBefore - 48), double(lastBefore + 92)}}) {
        chart.setXRange(from, to);
        chart.redraw();
        QCustomPlot *plot = chart.findChild<QCustomPlot *>();
        const QVector<double> ticks = plot->xAxis->tickVector();
        const QVector<QString> labels = plot->xAxis->tickVectorLabels();
        allLabels += QStringList(labels.begin(), labels.end());
        QVERIFY2(ticks.size() >= 3,
                 qPrintable(QStringList(labels.begin(), labels.end()).join(' ')));
        for (int k = 0; k < ticks.size(); ++k) {
            const qsizetype i = qsizetype(std::floor(ticks[k]));
            const double fraction = ticks[k] - double(i);
            const double at = i + 1 < times.size()
                                  ? times[i] + fraction * double(times[i + 1] - times[i])
                                  : times[i];
            const QString format = labels[k].size() == 5 ? "HH:mm" : "HH:mm:ss";
            const QTime named = QTime::fromString(labels[k], format);
            QVERIFY2(named.isValid(), qPrintable(labels[k]));
            const double namedTime = TrendData::timeOf(QDateTime(first.date(), named));
            QVERIFY2(
                std::abs(at - namedTime) < 0.5,
                qPrintable(
                    QStringLiteral("%1 stands at %2 s off").arg(labels[k]).arg(at - namedTime)));
            QVERIFY2(!(ticks[k] > double(lastBefore) && ticks[k] < double(lastBefore + 1)),
                     qPrintable(labels[k] + QStringLiteral(" stands in the gap")));
        }
        // Each line of the run has a point without a value between the samples around the gap.
        for (int g = 0; g < TrendData::SeriesCount; ++g) {
            bool broken = false;
            for (const QCPGraphData &point : *plot->graph(g)->data()) {
                broken = broken || (point.key > double(lastBefore) &&
                                    point.key < double(lastBefore + 1) && std::isnan(point.value));
            }
            QVERIFY2(broken, qPrintable(QStringLiteral("series %1 crosses the gap").arg(g)));
        }
    }
    if (!resumptionLabel.isEmpty())
        QVERIFY2(allLabels.contains(resumptionLabel), qPrintable(allLabels.join(' ')));
}

void tst_TrendChart::threeDChangesTheDrawing()
{
    TrendChart chart;
    chart.resize(400, 300);
    fill(chart, 200);
    chart.showAll();
    const QImage flat = chart.renderToImage(QSize(400, 300));
    chart.set3D(true);
    const QImage deep = chart.renderToImage(QSize(400, 300));
    QVERIFY(flat != deep);
    chart.set3D(false);
    QCOMPARE(chart.renderToImage(QSize(400, 300)), flat);

    // A noisy series (a minimum and a maximum in every pixel column) reads as a ribbon a few
    // pixels deep along its top edge, not as teeth the height of the noise.
    TrendChart noisy;
    noisy.resize(400, 300);
    noisy.setSeriesVisible(0, false);
    noisy.setSeriesVisible(2, false);
    for (int i = 0; i < 100000; ++i)
        noisy.data().append(i, {0.0f, i % 2 ? 40.0f : 60.0f, 0.0f});
    noisy.dataChanged();
    noisy.showAll();
    noisy.setYRange(0, 100);
    noisy.set3D(true);
    const QImage ribbon = noisy.renderToImage(QSize(400, 300));
    const auto pale = [](const QColor &c) { // the ribbon: the series' red, lightened
        return c.red() > 200 && c.green() > 100 && c.green() < 230 && c.blue() > 100;
    };
    int deepest = 0;
    for (int x = 150; x < 250; ++x) {
        int n = 0;
        for (int y = 0; y < ribbon.height(); ++y)
            n += pale(ribbon.pixelColor(x, y));
        deepest = std::max(deepest, n);
    }
    QVERIFY2(deepest > 0 && deepest <= 10, qPrintable(QString::number(deepest)));
}

void tst_TrendChart::seriesColourVisibilityAndWidthShowInThePicture()
{
    TrendChart chart;
    chart.resize(400, 300);
    fill(chart, 200);
    chart.showAll();
    auto count = [&](const QColor &colour) {
        const QImage image = chart.renderToImage(QSize(400, 300));
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    };
    const QColor magenta(255, 0, 255);
    QCOMPARE(count(magenta), 0);
    chart.setSeriesColor(1, magenta);
    const int thin = count(magenta);
    QVERIFY(thin > 100);
    chart.setLineWidth(2);
    QVERIFY(count(magenta) > thin);
    chart.setSeriesVisible(1, false);
    QVERIFY(count(magenta) < thin / 4); // only the legend's absence remains
}

void tst_TrendChart::borderFramesTheChartAndTheLegendStaysOffThePlot()
{
    TrendChart chart;
    chart.resize(400, 300);
    fill(chart, 200);
    chart.showAll();
    const QColor orange(255, 128, 0);
    auto edgePixels = [&] {
        const QImage image = chart.renderToImage(QSize(400, 300));
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixelColor(x, 1) == orange) + (image.pixelColor(x, 298) == orange);
        for (int y = 0; y < image.height(); ++y)
            n += (image.pixelColor(1, y) == orange) + (image.pixelColor(398, y) == orange);
        return n;
    };
    chart.setBorderColor(orange);
    QCOMPARE(edgePixels(), 0);
    chart.setBorderVisible(true);
    QVERIFY(edgePixels() > 2 * (400 + 300) - 8);
    chart.setBorderVisible(false);
    QCOMPARE(edgePixels(), 0);

    // An empty chart says what will appear there; samples take its place.
    TrendChart empty;
    empty.resize(400, 300);
    empty.setEmptyText(QStringLiteral("RUN: SV 60.0"));
    auto textPixels = [&empty] {
        const QImage image = empty.renderToImage(QSize(400, 300));
        int n = 0;
        for (int y = 100; y < 200; ++y)
            for (int x = 100; x < 300; ++x)
                n += image.pixelColor(x, y) == QColor(96, 96, 96);
        return n;
    };
    QVERIFY(textPixels() > 10);
    fill(empty, 10);
    QCOMPARE(textPixels(), 0);

    auto *plot = chart.findChild<QCustomPlot *>();
    chart.redraw();
    QVERIFY(plot->legend->visible());
    QVERIFY(!plot->legend->outerRect().intersects(plot->axisRect()->rect()));
}

void tst_TrendChart::scrollBarMovesAZoomedView()
{
    TrendChart chart;
    chart.resize(400, 300);
    fill(chart, 1000);
    chart.setScrollBarVisible(true);
    QVERIFY(chart.isScrollBarVisible());
    chart.setXRange(0, 100);
    auto *bar = chart.findChild<QScrollBar *>();
    QVERIFY(bar);
    QCOMPARE(bar->maximum(), 999 - 100);
    bar->setValue(500);
    QCOMPARE(chart.xFirst(), 500.0);
    QCOMPARE(chart.xLast(), 600.0);
    chart.setZoomEnabled(true);
    auto *plot = chart.findChild<QCustomPlot *>();
    QVERIFY(plot);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, plot->rect().center());
    QTest::mouseRelease(plot, Qt::LeftButton, {}, plot->rect().center()); // as a real one ends
    QCOMPARE(chart.xFirst(), 0.0);
    QCOMPARE(chart.xLast(), 999.0);
}

void tst_TrendChart::valueAxisFollowsTheDataUnlessFixed()
{
    TrendChart chart;
    chart.resize(400, 300);
    fill(chart, 100);
    chart.showAll();
    chart.redraw();
    QVERIFY(chart.yMin() < 10.0 && chart.yMin() > 0);
    QVERIFY(chart.yMax() > 69.0 && chart.yMax() < 75);
    chart.setYRange(-100, 200);
    chart.redraw();
    QCOMPARE(chart.yMin(), -100.0);
    QCOMPARE(chart.yMax(), 200.0);
}

void tst_TrendChart::valueLabelsShareOneNumberOfDecimals_data()
{
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");
    QTest::newRow("a few degrees") << 57.3f << 61.2f;
    QTest::newRow("a steady 60") << 59.96f << 60.04f;
    QTest::newRow("a heating run") << 20.0f << 180.0f;
}

/// "57.5" never stands beside "60": every label of the value axis has as many decimals as the
/// finest of them needs, and the point is a point.
void tst_TrendChart::valueLabelsShareOneNumberOfDecimals()
{
    QFETCH(float, low);
    QFETCH(float, high);
    TrendChart chart;
    chart.resize(697, 353);
    for (int i = 0; i < 100; ++i)
        chart.data().append(8 * 3600 + i, {low, high, (low + high) / 2});
    chart.dataChanged();
    chart.showAll();
    chart.redraw();
    const QVector<QString> labels = chart.findChild<QCustomPlot *>()->yAxis->tickVectorLabels();
    QVERIFY(labels.size() >= 3);
    const auto decimals = [](const QString &label) {
        const qsizetype point = label.indexOf(QLatin1Char('.'));
        return point < 0 ? 0 : label.size() - point - 1;
    };
    for (const QString &label : labels) {
        QVERIFY2(!label.contains(QLatin1Char(',')), qPrintable(label));
        QVERIFY2(decimals(label) == decimals(labels.first()),
                 qPrintable(QStringList(labels.begin(), labels.end()).join(' ')));
        QCOMPARE(QString::number(label.toDouble(), 'f', decimals(label)), label);
    }
}

void tst_TrendChart::printsToPdf()
{
    QTemporaryDir dir;
    TrendChart chart;
    chart.resize(697, 353);
    fill(chart, 500);
    chart.setTitle(TrendChart::Title::Top, QStringLiteral("ZQ410_01.DAT"));
    QCOMPARE(chart.title(TrendChart::Title::Top), QStringLiteral("ZQ410_01.DAT"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("chart.pdf")));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
    chart.showAll();
    chart.cursors().setCursor(ChartCursors::A, 100);
    chart.cursors().setCursor(ChartCursors::B, 400);
    QVERIFY(chart.print(printer));
    QFile pdf(dir.filePath(QStringLiteral("chart.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF"));

    // The cursors' "A" and "B" print at the size of the other words, below the legend (inside
    // the plot), not giant over it.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf.fileName(), "-"});
    QVERIFY2(text.waitForFinished(30000), "pdftotext did not finish");
    const QString html = QString::fromUtf8(text.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"[\\d.]+\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QMultiHash<QString, QPair<double, double>> rows; // word: top and bottom, in points
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        rows.insert(m.captured(3), {m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    // Each is there twice: over its cursor line and in the readout table.
    QVERIFY2(rows.count("A") == 2 && rows.count("B") == 2 && rows.contains("Graph"),
             qPrintable(html));
    // The legend is the topmost "Graph" (the series' names head the readout table too).
    double legendBottom = std::numeric_limits<double>::max();
    for (const auto &[top, bottom] : rows.values("Graph"))
        legendBottom = std::min(legendBottom, bottom);
    for (const QString &cursor : {QStringLiteral("A"), QStringLiteral("B")}) {
        for (const auto &[top, bottom] : rows.values(cursor)) {
            QVERIFY2(bottom - top >= 5 && bottom - top <= 14,
                     qPrintable(cursor + ' ' + QString::number(bottom - top)));
            QVERIFY2(top > legendBottom, qPrintable(cursor));
        }
    }
}

/// Wherever the mouse is, the hover readout is drawn whole inside the plot: right of the line
/// while it fits there, left of it near the right edge, and over the line where it fits on
/// neither side.
void tst_TrendChart::hoverReadoutStaysInsideThePlot()
{
    TrendChart chart;
    chart.resize(560, 300); // the readout is wider than half the plot
    fill(chart, 500);
    chart.showAll();
    chart.setReadoutEnabled(true);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCustomPlot *plot = chart.findChild<QCustomPlot *>();
    const QRect area = plot->axisRect()->rect();
    for (int x = area.left() + 2; x < area.right(); x += 20) {
        QTest::mouseMove(plot, QPoint(x, area.center().y()));
        QCPItemText *readout = nullptr;
        for (int i = 0; i < plot->itemCount(); ++i) {
            auto *text = qobject_cast<QCPItemText *>(plot->item(i));
            if (text && text->visible() && text->text().contains(QLatin1Char(':')))
                readout = text;
        }
        QVERIFY2(readout, qPrintable(QStringLiteral("no readout at x %1").arg(x)));
        const QRectF box(readout->topLeft->pixelPosition(), readout->bottomRight->pixelPosition());
        QVERIFY2(QRectF(area).adjusted(-1, -1, 1, 1).contains(box),
                 qPrintable(QStringLiteral("x %1: readout %2..%3 outside %4..%5")
                                .arg(x)
                                .arg(box.left())
                                .arg(box.right())
                                .arg(area.left())
                                .arg(area.right())));
    }
}

/// The cursors' and statistics' tables stand in the corner the lines leave free; dragged, they
/// move without placing a cursor or zooming; folded, they keep their header rows; a
/// double-click puts them back.
void tst_TrendChart::tablesStandWhereTheLinesAreNotAndMoveAndFold()
{
    TrendChart chart;
    chart.resize(1200, 700);
    for (int i = 0; i < 600; ++i) // every line falls from the top left to the bottom right
        chart.data().append(8 * 3600 + i, {100.0f - i / 6.0f, 99.0f - i / 6.0f, 98.0f - i / 6.0f});
    chart.dataChanged();
    chart.showAll();
    chart.setReadoutEnabled(true);
    chart.setZoomEnabled(true);
    chart.setStatisticsVisible(true);
    chart.cursors().setCursor(ChartCursors::A, 100);
    chart.cursors().setCursor(ChartCursors::B, 400);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    chart.redraw();
    QCustomPlot *plot = chart.findChild<QCustomPlot *>();
    const QRect area = plot->axisRect()->rect();
    ChartTablePanel &panel = chart.tablePanel();
    const QRect placed = panel.panelRect();
    QVERIFY2(area.right() - placed.right() <= 10 && placed.top() - area.top() <= 10,
             "the tables are not in the top right corner, which the lines leave free");

    const QPoint grip = placed.topLeft() + QPoint(5, 5);
    QTest::mousePress(plot, Qt::LeftButton, {}, grip);
    QTest::mouseMove(plot, grip + QPoint(-300, 120));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, grip + QPoint(-300, 120));
    chart.redraw();
    QCOMPARE(panel.panelRect().topLeft(), placed.topLeft() + QPoint(-300, 120));
    QCOMPARE(chart.cursors().cursor(ChartCursors::A), qsizetype(100));
    QCOMPARE(chart.cursors().cursor(ChartCursors::B), qsizetype(400));
    QCOMPARE(chart.xLast(), 599.0);

    QTest::mouseClick(plot, Qt::LeftButton, {}, panel.foldButtonRect().center());
    chart.redraw();
    QVERIFY(panel.isFolded());
    const int rowHeight = QFontMetrics(plot->legend->font()).height() + ChartTable::CellPadding;
    QVERIFY2(panel.panelRect().height() <= 2 * rowHeight + 8, "folded tables keep only headers");
    QTest::mouseDClick(plot, Qt::LeftButton, {}, panel.panelRect().topLeft() + QPoint(5, 5));
    chart.redraw();
    QCOMPARE(panel.placement(), std::nullopt);
    QCOMPARE(chart.cursors().cursor(ChartCursors::A), qsizetype(100));
}

void tst_TrendChart::aRunComparedWithOneOverMidnightIsDatedToo()
{
    TrendChart chart;
    fillFrom(chart, QDateTime(QDate(2024, 5, 1), QTime(8, 0)), 100, 1);
    TrendData overMidnight;
    for (int i = 0; i < 100; ++i)
        overMidnight.append(TrendData::timeOf(QDateTime(QDate(2024, 4, 30), QTime(23, 59))) + i,
                            {60.0f, 25.0f, 20.0f});
    chart.setComparison(std::move(overMidnight), QStringLiteral("OLD.DAT"));
    QCOMPARE(chart.data().stamp(0), QStringLiteral("05-01 08:00:00"));
    chart.clearComparison();
    QCOMPARE(chart.data().stamp(0), QStringLiteral("08:00:00"));
}

QTEST_MAIN(tst_TrendChart)
#include "tst_trendchart.moc"
