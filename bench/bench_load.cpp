// The viewer's load of trend files in its phases, each timed on its own: read (the file's bytes
// from the page cache), parse (TrendFileReader::read: lines into samples, on both cores),
// summarise (the min/max pyramids of every series, built at the first range asked), draw (the
// chart's first picture at 1366 x 768). Best of RUNS.
//
//   bench_load FILE... [--runs N]   (bench/make-trend-file 1000000 t1m.DAT writes one)

#include "TrendChart.h"
#include "TrendFileReader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

struct Phases
{
    double read = 1e9;
    double parse = 1e9;
    double summarise = 1e9;
    double draw = 1e9;
};

double secondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList files;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--runs" && i + 1 < argc)
            runs = QByteArray(argv[++i]).toInt();
        else
            files.append(QString::fromLocal8Bit(argv[i]));
    }
    for (const QString &path : files) {
        Phases best;
        qsizetype samples = 0;
        for (int run = 0; run < runs; ++run) {
            best.read = std::min(best.read, secondsOf([&] {
                                     QFile file(path);
                                     if (file.open(QIODevice::ReadOnly))
                                         while (!file.read(1 << 20).isEmpty()) {
                                         }
                                 }));
            std::optional<TrendFileReader::Contents> contents;
            best.parse =
                std::min(best.parse, secondsOf([&] { contents = TrendFileReader::read(path); }));
            if (!contents)
                return 1;
            TrendData &data = contents->samples;
            samples = data.size();
            best.summarise =
                std::min(best.summarise, secondsOf([&] { data.range(0, 0, data.size()); }));
            TrendChart chart;
            chart.resize(1366, 768);
            chart.setData(std::move(data));
            best.draw =
                std::min(best.draw, secondsOf([&] { chart.renderToImage(QSize(1366, 768)); }));
        }
        std::printf("%s: %lld samples; read %.3f s, parse %.3f s, summarise %.3f s, draw %.3f s\n",
                    qPrintable(path), qlonglong(samples), best.read, best.parse, best.summarise,
                    best.draw);
    }
    return 0;
}
