// Appending one sample to the live chart and redrawing it, with 1,000 to 1,000,000 samples per
// series already in it; the memory the samples take; a range's statistics and the redraw with
// them shown.

#include "TrendChart.h"
#include "TrendStatistics.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

namespace {

void fill(TrendChart &chart, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        const float t = float(i);
        chart.data().append(qint32(i % 86400),
                            {60.0f, 25.0f + 10.0f * std::sin(t / 500.0f), 24.0f + float(i % 7)});
    }
    chart.dataChanged();
}

void AppendAndRedraw(benchmark::State &state)
{
    TrendChart chart;
    chart.resize(697, 353);
    chart.show(); // painted on screen, as in the window (offscreen platform)
    chart.set3D(state.range(1) != 0);
    fill(chart, state.range(0));
    chart.showAll();
    chart.redraw();
    qsizetype n = chart.data().size();
    for (auto _ : state) {
        chart.appendSample(qint32(n % 86400), {60.0f, 30.0f, 24.0f});
        chart.setXRange(0, double(n));
        chart.redraw();
        ++n;
    }
    state.counters["samples"] = double(n);
}
BENCHMARK(AppendAndRedraw)
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1}})
    ->ArgNames({"samples", "3d"})
    ->Unit(benchmark::kMillisecond);

/// Redraws of `span` samples at a new place each time.
void zoomedRedraws(benchmark::State &state, double span)
{
    TrendChart chart;
    chart.resize(1001, 545);
    chart.show();
    chart.set3D(state.range(1) != 0);
    fill(chart, state.range(0));
    double first = 0;
    for (auto _ : state) {
        chart.setXRange(first, first + span);
        chart.redraw();
        first = std::fmod(first + span / 3, double(state.range(0)) - span);
    }
}

/// Zooming and scrolling: a tenth of the samples visible.
void ZoomAndScroll(benchmark::State &state)
{
    zoomedRedraws(state, double(state.range(0)) / 10);
}
BENCHMARK(ZoomAndScroll)
    ->ArgsProduct({{10000, 5000000}, {0, 1}})
    ->ArgNames({"samples", "3d"})
    ->Unit(benchmark::kMillisecond);

/// The same visible span (5,000 samples, more than the columns) whatever the number of samples:
/// what a redraw costs for the size of the data alone.
void ZoomedSpan(benchmark::State &state)
{
    zoomedRedraws(state, 5000);
}
BENCHMARK(ZoomedSpan)
    ->ArgsProduct({{10000, 5000000}, {0, 1}})
    ->ArgNames({"samples", "3d"})
    ->Unit(benchmark::kMillisecond);

/// The readout: the mouse moving over the plot, the hover line and its values drawn at each
/// move (only the hover layer is redrawn).
void HoverReadout(benchmark::State &state)
{
    TrendChart chart;
    chart.resize(1001, 545);
    chart.show();
    chart.setReadoutEnabled(true);
    fill(chart, state.range(0));
    chart.redraw();
    auto *plot = chart.findChild<QCustomPlot *>();
    const QRect area = plot->axisRect()->rect();
    int x = area.left();
    for (auto _ : state) {
        const QPointF at(x, area.center().y());
        QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(plot, &move);
        x = x + 7 < area.right() ? x + 7 : area.left();
    }
}
BENCHMARK(HoverReadout)->Arg(10000)->Arg(5000000)->Unit(benchmark::kMillisecond);

/// The figures of every series over a range of `span` samples (0: all of them) at a new place
/// each time, the time above and below a limit included; the summaries are built before.
void RangeStatistics(benchmark::State &state)
{
    TrendChart chart;
    fill(chart, state.range(0));
    const TrendData &data = chart.data();
    const qsizetype span = state.range(1) == 0 ? data.size() : state.range(1);
    benchmark::DoNotOptimize(TrendStatistics::over(data, 0, data.size(), 30.0));
    qsizetype first = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TrendStatistics::over(data, first, first + span, 30.0));
        first = span == data.size() ? 0 : (first + span / 3 + 7) % (data.size() - span);
    }
}
BENCHMARK(RangeStatistics)
    ->ArgsProduct({{5000000}, {0, 5000}})
    ->ArgNames({"samples", "span"})
    ->Unit(benchmark::kMicrosecond);

/// The first pass over the data for a new limit: the one cost that grows with the data.
void NewLimit(benchmark::State &state)
{
    TrendChart chart;
    fill(chart, state.range(0));
    double limit = 30.0;
    for (auto _ : state) {
        limit += 0.1;
        benchmark::DoNotOptimize(TrendStatistics::over(chart.data(), 0, 5000, limit));
    }
}
BENCHMARK(NewLimit)->Arg(5000000)->Unit(benchmark::kMillisecond);

/// Zoomed redraws (a tenth visible) with the statistics table shown, and without.
void RedrawWithStatistics(benchmark::State &state)
{
    TrendChart chart;
    chart.resize(1001, 545);
    chart.show();
    chart.setStatisticsVisible(state.range(1) != 0);
    chart.setStatisticsLimit(30.0);
    fill(chart, state.range(0));
    const double span = double(state.range(0)) / 10;
    double first = 0;
    for (auto _ : state) {
        chart.setXRange(first, first + span);
        chart.redraw();
        first = std::fmod(first + span / 3, double(state.range(0)) - span);
    }
}
BENCHMARK(RedrawWithStatistics)
    ->ArgsProduct({{5000000}, {0, 1}})
    ->ArgNames({"samples", "statistics"})
    ->Unit(benchmark::kMillisecond);

void MemoryPerSample(benchmark::State &state)
{
    for (auto _ : state) {
        TrendChart chart;
        fill(chart, state.range(0));
        state.counters["bytes_per_sample"] =
            double(chart.data().memoryBytes()) / double(chart.data().size());
    }
}
BENCHMARK(MemoryPerSample)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
