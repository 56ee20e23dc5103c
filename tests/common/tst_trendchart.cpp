#include "TrendChart.h"

#include <qcustomplot.h>

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

class tst_TrendChart : public QObject
{
    Q_OBJECT

private slots:
    void timeAxisShowsAFewSampleTimes();
    void threeDChangesTheDrawing();
    void seriesColourVisibilityAndWidthShowInThePicture();
    void scrollBarMovesAZoomedView();
    void valueAxisFollowsTheDataUnlessFixed();
    void printsToPdf();
};

static void fill(TrendChart &chart, int count)
{
    for (int i = 0; i < count; ++i)
        chart.data().append(8 * 3600 + i, {60.0f, 20.0f + float(i % 50), 10.0f});
    chart.dataChanged();
}

void tst_TrendChart::timeAxisShowsAFewSampleTimes()
{
    TrendChart chart;
    chart.resize(697, 353);
    fill(chart, 100000);
    chart.showAll();
    chart.redraw();
    const QStringList labels = chart.timeAxisLabels();
    QVERIFY(labels.size() >= 3 && labels.size() <= 12);
    for (const QString &label : labels) {
        if (!label.isEmpty())
            QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(label).hasMatch(),
                     qPrintable(label));
    }
    QCOMPARE(labels.first(), QStringLiteral("08:00:00"));
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
    QVERIFY(chart.print(printer, QMarginsF(0.5, 0.5, 0.5, 0.5)));
    QFile pdf(dir.filePath(QStringLiteral("chart.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF"));
}

QTEST_MAIN(tst_TrendChart)
#include "tst_trendchart.moc"
