// zq410-render FILE OUT.png: the viewer's loading code and chart, as a whole process, offscreen.
// Loads a trend data file, draws it as the viewer does and saves the chart as a PNG of the
// chart's size. Prints the line count, the times and the peak memory to standard error.

#include "PeakMemory.h"
#include "TrendChart.h"
#include "TrendFileReader.h"
#include "Version.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

constexpr int ChartWidth = 1001;
constexpr int ChartHeight = 545;

} // namespace

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "zq410-render"))
        return 0;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zq410-render FILE OUT.png\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    std::optional<TrendData> data = TrendFileReader::read(QString::fromLocal8Bit(argv[1]));
    if (!data) {
        std::fprintf(stderr, "zq410-render: cannot open %s\n", argv[1]);
        return 1;
    }
    const qint64 loadMs = clock.elapsed();
    const qsizetype lines = data->size();

    TrendChart chart;
    chart.resize(ChartWidth, ChartHeight);
    chart.setSeriesName(0, QStringLiteral("SV"));
    chart.setSeriesName(1, QStringLiteral("제어온도"));
    chart.setSeriesName(2, QStringLiteral("보조온도"));
    chart.setTitle(TrendChart::Title::Left, QStringLiteral("온도(℃)"));
    chart.setTitle(TrendChart::Title::Bottom, QStringLiteral("시간"));
    chart.set3D(true);
    chart.setData(std::move(*data));
    const bool saved = chart.renderToImage(QSize(ChartWidth, ChartHeight)).save(argv[2], "PNG");
    std::fprintf(stderr, "%lld lines, load %lld ms, total %lld ms, peak %ld KiB\n",
                 static_cast<long long>(lines), static_cast<long long>(loadMs),
                 static_cast<long long>(clock.elapsed()), peakResidentKiB());
    return saved ? 0 : 1;
}
